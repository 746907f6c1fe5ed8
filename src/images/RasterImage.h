#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "images/ImageDecoder.h"
#include "surfaces/PixelBlock.h"

class CDrawingSurface;
class CRasterSurface;
struct SurfaceRect;

// One decoded picture: a cover, a skin's background, an embedded picture. Decodes
// every supported file format into a device-independent pixel block, turns it by
// quarter turns and draws it, whole or in part, stretched into a rectangle.
//
// A JPEG file that a PDF can carry as it is, complete and whose data can fill its frame,
// is checked when it is loaded but decoded only when its pixels are first needed: a PDF
// page embeds the file's bytes, so a cover printed unchanged or only turned is never
// decoded, and the screen draws it from a decode at a reduced scale.
class CRasterImage {
public:
    explicit CRasterImage(int type = kImageAny) : type_(type) {}
    CRasterImage(const CRasterImage&) = delete;
    CRasterImage& operator=(const CRasterImage&) = delete;

    // Decodes a file; the type code only chooses the decoder tried first. A failed
    // load keeps the previous pixels and sets the error text.
    bool Load(const std::string& path, int type);
    // Decodes a picture compiled into the program, by name.
    bool LoadResource(const char* name, int type);
    // Decodes a block of memory (what LoadResource and the tests use).
    bool LoadMemory(const void* data, std::size_t size, int type);
    bool Destroy();

    bool IsValid() const { return pending_ || pixels_.IsValid(); }
    std::int32_t GetWidth() const { return pending_ ? pendingWidth_ : pixels_.Width(); }
    std::int32_t GetHeight() const { return pending_ ? pendingHeight_ : pixels_.Height(); }
    int GetBpp() const { return pending_ ? pendingBpp_ : pixels_.Bpp(); }
    int GetType() const { return type_; }
    const std::string& GetLastError() const { return error_; }
    // Non-empty when the last load succeeded only in part (the data ended early): what
    // was wrong, for a notice. The picture holds what could be read. A JPEG whose
    // decoding waits is complete up to its end marker; damage inside its data is noticed
    // when its pixels are first decoded.
    const std::string& GetLoadNotice() const { return notice_; }
    int GetXDpi() const { return xDpi_; }
    int GetYDpi() const { return yDpi_; }
    bool IsEnabled() const { return enabled_; }
    void Enable(bool on) { enabled_ = on; }

    // Turns the picture; 90 is a quarter turn clockwise on screen, -90 anticlockwise.
    bool Rotate(float degrees);
    void Copy(const CRasterImage& source, bool copyPixels = true, bool copySelection = true,
              bool copyAlpha = true);

    std::uint32_t GetPixelIndex(std::int32_t x, std::int32_t yFromBottom) const;
    void SetTransIndex(int index);
    int GetTransIndex() const { return transIndex_; }
    // The transparent colour, 0x00BBGGRR (meaningful when GetTransIndex() >= 0).
    std::uint32_t GetTransColour() const;

    // Drawing (no smoothing ever: rows and columns are dropped or repeated).
    bool Draw(CDrawingSurface* dc, int x, int y, int cx = -1, int cy = -1, const SurfaceRect* clip = nullptr,
              bool smooth = false) const;
    bool DrawStretched(CDrawingSurface* dc, int x, int y, int cx, int cy) const;
    bool DrawPart(CDrawingSurface* dc, int x, int y, int cx, int cy, int sx, int sy, int sw, int sh) const;
    bool Tile(CDrawingSurface* dc, const SurfaceRect& rect) const;
    bool CreateFromBitmap(const CRasterSurface& bitmap);

    // The pixels, decoded first if that was put off (empty if that decode fails, with
    // the error text set).
    const PixelBlock& Pixels() const;
    // Whether the pixels exist yet (false while a JPEG's decoding waits).
    bool IsDecoded() const { return !pending_; }
    // The JPEG file's bytes while the pixels are still those of the file (turned by
    // quarter turns at most); nullptr otherwise. Printing embeds them as they are.
    const std::shared_ptr<const std::string>& JpegData() const { return jpegData_; }
    // The pixels to show in a cx x cy rectangle of the screen from the source rectangle
    // (sx, sy, sw, sh): a JPEG with its bytes is decoded at the smallest DCT scale (1/2,
    // 1/4, 1/8) that still gives at least as many pixels as are shown, and the source
    // rectangle is scaled to match; anything else gives Pixels() unchanged.
    const PixelBlock& ScreenPixels(int cx, int cy, int& sx, int& sy, int& sw, int& sh) const;
    // How many quarter turns clockwise Rotate has applied since the last load (0..3),
    // and the EXIF orientation the decoder applied; the print pipeline uses both to
    // embed an untouched JPEG with the same turn.
    int QuarterTurns() const { return quarterTurns_; }
    int ExifOrientation() const { return exifOrientation_; }
    // The file's own bytes are kept for JPEGs so that printing can embed them as they
    // are; empty for other types or after pixels were changed otherwise.
    const std::string& SourcePath() const { return sourcePath_; }

private:
    bool Decode(CByteStream& in, int type);
    void Adopt(DecodedImage&& decoded, int type);
    // Reads a JPEG file whose decoding can wait; false (nothing changed) when it cannot.
    bool LoadPending(const std::string& path);
    void DecodePending() const;
    void DropPending();
    // The block drawn on dc for the given rectangles (which a reduced block rescales).
    const PixelBlock& BlockFor(const CDrawingSurface& dc, int cx, int cy, int& sx, int& sy, int& sw,
                               int& sh) const;

    // While pending_, pixels_ is empty and the pending* fields give the picture's size.
    mutable PixelBlock pixels_;
    mutable bool pending_ = false;
    std::int32_t pendingWidth_ = 0;
    std::int32_t pendingHeight_ = 0;
    int pendingBpp_ = 0;
    std::shared_ptr<const std::string> jpegData_;
    // The reduced decode the screen draws from, and its scale.
    mutable PixelBlock screen_;
    mutable int screenDenom_ = 0;
    int type_;
    int transIndex_ = -1;
    std::uint32_t transColour_ = 0;
    bool enabled_ = true;
    int xDpi_ = 96;
    int yDpi_ = 96;
    int quarterTurns_ = 0;
    int exifOrientation_ = 1;
    std::string sourcePath_;
    mutable std::string error_;
    mutable std::string notice_;
};
