#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <cairo.h>

#include "surfaces/DrawingSurface.h"
#include "surfaces/PixelBlock.h"

class CRasterImage;
class CRasterSurface;

// The pictures of one PDF document. Every picture becomes one image object of the file,
// however often it is painted: several bands of one cover, the same cover on several
// pages of a batch. Each picture is named by its content (a 128-bit hash of its pixels,
// or of the JPEG file it came from), and cairo writes one object per name.
//
// A JPEG whose pixels are still those of its file (only turned by quarter turns or by its
// EXIF orientation) is embedded as the file's own bytes, kept by its image since it was
// loaded, in the file's own orientation; the turn becomes part of the placement. Such a
// picture needs no pixels at all. Everything else is embedded as pixels.
//
// Pixel surfaces are held only while a page is open: cairo writes a page's pictures when
// the page ends, so memory does not grow with the number of pages.
class CPdfPictures {
public:
    CPdfPictures() = default;
    ~CPdfPictures();
    CPdfPictures(const CPdfPictures&) = delete;
    CPdfPictures& operator=(const CPdfPictures&) = delete;

    // A picture ready to paint: a cairo surface (a reference owned by the caller) and the
    // matrix from the picture's shown pixel grid (top-down, as the block shows it) to the
    // surface's own grid. surface is nullptr when the picture cannot be embedded.
    //
    // A large pixel picture comes as strips instead: raster-source patterns (references
    // owned by the caller) of consecutive rows, each to be painted with the matrix moved
    // down to its first row. cairo asks for a strip's pixels only while it writes the
    // strip, so the picture never exists in full a second time beside its pixel block.
    struct Strip {
        cairo_pattern_t* pattern = nullptr;
        std::int32_t top = 0;
    };
    struct Source {
        cairo_surface_t* surface = nullptr;
        cairo_matrix_t shownToSurface{1, 0, 0, 1, 0, 0};
        std::vector<Strip> strips;
        bool Empty() const { return surface == nullptr && strips.empty(); }
        void Release();
    };

    // The picture of a pixel block; origin (may be nullptr) tells whether the block is
    // an untouched JPEG. With a key, transparent pixels: those of palette entry keyIndex
    // when the block has that entry, else those of the key colour.
    // A block cut into strips must stay unchanged until the page ends (its memory is
    // kept alive that long).
    Source Get(const PixelBlock& pixels, const CRasterImage* origin,
               std::optional<SurfaceColour> key = std::nullopt, int keyIndex = -1);
    // The rectangle (sx, sy, cx, cy) of an off-screen picture, cut to the picture;
    // (x0, y0) receives the cut rectangle's top-left corner.
    Source GetSurfacePart(const CRasterSurface& source, int sx, int sy, int cx, int cy, int& x0, int& y0);

    // Where a strip's pixels come from: its own rows and, below all but the last, the
    // first row of the next strip. Painted in order, each strip covers that extra row
    // with the same pixels, so no seam can show between two strips at any scale.
    struct StripData {
        PixelBlock pixels; // shares the picture's memory until the page ends
        std::int32_t width = 0;
        std::int32_t top = 0;
        std::int32_t rows = 0;
        std::optional<SurfaceColour> key;
        int keyIndex = -1; // the transparent palette entry, or -1 to key on the colour
        std::string id;
        bool failed = false; // set when cairo asked for the strip and it could not be made
    };

    // Whether the open page shows a picture cut into strips.
    bool PageHasStrips() const { return !pageStrips_.empty(); }
    // Whether a strip of the page could not be made when cairo asked for it (no memory):
    // the page then lacks part of its picture.
    bool PageStripFailed() const;

    // Lets go of the pixel surfaces held for the page that ended.
    void EndPage();

    // For tests and benchmarks: pictures created as pixels and as JPEG data since the
    // document began (a picture painted again is not counted again).
    int PixelPictures() const { return pixelPictures_; }
    int JpegPictures() const { return jpegPictures_; }

private:
    Source Hold(const std::string& id, cairo_surface_t* surface, const cairo_matrix_t& m);
    Source GetJpeg(const CRasterImage& origin, const std::shared_ptr<const std::string>& bytes);
    Source Patterns(const std::vector<std::unique_ptr<StripData>>& strips, bool alpha);
    Source Strips(const std::string& id, const PixelBlock& pixels, std::optional<SurfaceColour> key,
                  int keyIndex);

    // Surfaces of the open page by name; each holds one reference.
    std::map<std::string, cairo_surface_t*> page_;
    // What the strips of the open page read their pixels from, by picture name.
    std::map<std::string, std::vector<std::unique_ptr<StripData>>> pageStrips_;
    // The content names of JPEG data seen in this document, by address.
    struct JpegName {
        std::weak_ptr<const std::string> bytes;
        std::string hash;
    };
    std::map<const std::string*, JpegName> jpegNames_;
    // Names already written to the document.
    std::set<std::string> written_;
    int pixelPictures_ = 0;
    int jpegPictures_ = 0;
};

// cairo (1.16) keeps a copy of every strip's pattern that it writes and never frees it,
// 192 bytes a strip; while one of these lives, a sanitizer build leaves such allocations
// out of its leak report. Does nothing when inactive or in other builds.
class CairoStripLeakScope {
public:
    explicit CairoStripLeakScope(bool active);
    ~CairoStripLeakScope();
    CairoStripLeakScope(const CairoStripLeakScope&) = delete;
    CairoStripLeakScope& operator=(const CairoStripLeakScope&) = delete;

private:
    [[maybe_unused]] bool active_; // read only where the sanitizer's leak checker is built in
};

// What a JPEG file's first frame header says. ok only for what every PDF reader decodes:
// baseline, extended or progressive Huffman frames of 8-bit samples with one or three
// components (exposed for the tests and the fuzz target).
struct JpegFrame {
    bool ok = false;
    std::int32_t width = 0;
    std::int32_t height = 0;
    int components = 0;
};
JpegFrame ReadJpegFrame(const std::string& bytes);

// A 128-bit content hash as 32 hex digits (exposed for the tests).
std::string HashBytesHex(const void* data, std::size_t size, std::uint64_t seed = 0);
