#pragma once

#include <cstdint>
#include <string>

#include "images/ImageDecoder.h"
#include "images/PixelBlock.h"

class CDrawingSurface;
class CRasterSurface;
struct SurfaceRect;

// One decoded picture: a cover, a skin's background, an embedded picture. Decodes
// every supported file format into a device-independent pixel block, turns it by
// quarter turns and draws it, whole or in part, stretched into a rectangle.
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

    bool IsValid() const { return pixels_.IsValid(); }
    std::int32_t GetWidth() const { return pixels_.Width(); }
    std::int32_t GetHeight() const { return pixels_.Height(); }
    int GetBpp() const { return pixels_.Bpp(); }
    int GetType() const { return type_; }
    const std::string& GetLastError() const { return error_; }
    // Non-empty when the last load succeeded only in part (the data ended early): what
    // was wrong, for a notice. The picture holds what could be read.
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
    bool Draw(CDrawingSurface* dc, int x, int y, int cx = -1, int cy = -1,
              const SurfaceRect* clip = nullptr, bool smooth = false) const;
    bool DrawStretched(CDrawingSurface* dc, int x, int y, int cx, int cy) const;
    bool DrawPart(CDrawingSurface* dc, int x, int y, int cx, int cy, int sx, int sy, int sw,
                  int sh) const;
    bool Tile(CDrawingSurface* dc, const SurfaceRect& rect) const;
    bool CreateFromBitmap(const CRasterSurface& bitmap);

    const PixelBlock& Pixels() const { return pixels_; }
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

    PixelBlock pixels_;
    int type_;
    int transIndex_ = -1;
    std::uint32_t transColour_ = 0;
    bool enabled_ = true;
    int xDpi_ = 96;
    int yDpi_ = 96;
    int quarterTurns_ = 0;
    int exifOrientation_ = 1;
    std::string sourcePath_;
    std::string error_;
    std::string notice_;
};
