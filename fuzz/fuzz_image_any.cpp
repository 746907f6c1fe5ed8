// Feeds arbitrary bytes to the whole image facility the way an unknown file is loaded:
// every decoder in trial order. Then checks what the rest of the program relies on: a
// failure says why and leaves the image as it was, a success gives a sound pixel block,
// and a quarter turn there and back gives the same pixels.
#include <cstddef>
#include <cstdint>

#include "FuzzCheck.h"
#include "images/DecoderTable.h"
#include "images/RasterImage.h"

namespace {

// A cheap fingerprint of every stored byte of the rows (padding included), which also
// makes a sanitizer see every byte of the block.
std::uint64_t Fingerprint(const PixelBlock& p)
{
    std::uint64_t h = 1469598103934665603ull;
    const std::uint8_t* bits = p.Bits();
    for (std::size_t i = 0; i < p.BitsSize(); ++i)
        h = (h ^ bits[i]) * 1099511628211ull;
    return h;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CRasterImage image;
    if (!image.LoadMemory(data, size, kImageAny)) {
        Check(!image.GetLastError().empty()); // every failure says why
        Check(!image.IsValid());              // and leaves the empty image empty
        return 0;
    }
    const PixelBlock& p = image.Pixels();
    Check(image.IsValid());
    const std::int32_t w = image.GetWidth();
    const std::int32_t h = image.GetHeight();
    Check(w >= 1 && w <= ImageLimits::kMaxSide && h >= 1 && h <= ImageLimits::kMaxSide);
    const int bpp = image.GetBpp();
    Check(bpp == 1 || bpp == 4 || bpp == 8 || bpp == 24);
    Check(p.PaletteSize() == (bpp == 24 ? 0 : 1 << bpp));
    Check(p.Stride() == PixelBlock::StrideFor(w, bpp));
    Check(DecoderFor(image.GetType()) != nullptr); // the code of the decoder that read it
    Check(image.GetTransIndex() >= -1 && image.GetTransIndex() < 256);
    Check(image.GetXDpi() >= 1 && image.GetYDpi() >= 1);
    const std::uint64_t before = Fingerprint(p);

    // Nothing at all is no picture: the load fails and keeps the pixels.
    Check(!image.LoadMemory(data, 0, kImageAny));
    Check(!image.GetLastError().empty());
    Check(image.IsValid() && image.GetWidth() == w && image.GetHeight() == h && image.GetBpp() == bpp);
    Check(Fingerprint(image.Pixels()) == before);

    // A quarter turn swaps the sides, and turning back restores every pixel. Kept to
    // pictures of a megapixel or less so that one input stays fast.
    if (std::uint64_t(w) * std::uint64_t(h) <= (std::uint64_t{1} << 20)) {
        const PixelBlock original = image.Pixels().Clone();
        Check(original.IsValid());
        Check(image.Rotate(90.0f));
        Check(image.GetWidth() == h && image.GetHeight() == w && image.GetBpp() == bpp);
        Check(image.Rotate(-90.0f));
        Check(image.GetWidth() == w && image.GetHeight() == h);
        for (std::int32_t y = 0; y < h; ++y)
            for (std::int32_t x = 0; x < w; ++x)
                Check(image.Pixels().GetPixel(x, y) == original.GetPixel(x, y));
    }
    return 0;
}
