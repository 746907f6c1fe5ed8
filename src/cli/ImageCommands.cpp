// sleevit-cli info FILE...: what the image facility makes of each file.
// sleevit-cli decode FILE OUT.ppm: the decoded picture as a binary PPM.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <zlib.h>

#include "cli/Commands.h"
#include "formats/AtomicFile.h"
#include "images/DecoderTable.h"
#include "images/RasterImage.h"

namespace {

// One row of the picture as RGB triples; rows counted from the top.
void RgbRow(const PixelBlock& pixels, std::int32_t fromTop, std::vector<std::uint8_t>& out)
{
    const std::int32_t w = pixels.Width();
    out.resize(std::size_t(w) * 3);
    const std::int32_t fromBottom = pixels.Height() - 1 - fromTop;
    if (pixels.Bpp() == 24) {
        const std::uint8_t* src = pixels.Row(fromBottom); // blue, green, red
        for (std::int32_t x = 0; x < w; ++x) {
            out[std::size_t(x) * 3] = src[x * 3 + 2];
            out[std::size_t(x) * 3 + 1] = src[x * 3 + 1];
            out[std::size_t(x) * 3 + 2] = src[x * 3];
        }
        return;
    }
    const RgbQuad* palette = pixels.Palette();
    for (std::int32_t x = 0; x < w; ++x) {
        const std::uint32_t index = pixels.GetPixel(x, fromBottom);
        // An index past the palette (only from a faulty decoder) shows as black.
        const RgbQuad q = index < std::uint32_t(pixels.PaletteSize()) ? palette[index] : RgbQuad{};
        out[std::size_t(x) * 3] = q.red;
        out[std::size_t(x) * 3 + 1] = q.green;
        out[std::size_t(x) * 3 + 2] = q.blue;
    }
}

// CRC-32 of the rows as packed RGB, top row first: a fingerprint of the decoded pixels
// that does not depend on the bits per pixel the decoder chose for the same colours.
std::uint32_t PixelCrc(const PixelBlock& pixels)
{
    uLong crc = crc32(0L, Z_NULL, 0);
    std::vector<std::uint8_t> row;
    for (std::int32_t y = 0; y < pixels.Height(); ++y) {
        RgbRow(pixels, y, row);
        // A row holds at most 32768 * 3 bytes, well inside zlib's uInt.
        crc = crc32(crc, row.data(), static_cast<uInt>(row.size()));
    }
    return static_cast<std::uint32_t>(crc);
}

} // namespace

int RunInfoCommand(const std::vector<std::string>& args)
{
    bool withCrc = false;
    std::vector<std::string> files;
    for (const std::string& a : args) {
        if (a == "--crc")
            withCrc = true;
        else
            files.push_back(a);
    }
    if (files.empty()) {
        std::fputs("usage: sleevit-cli info [--crc] FILE...\n", stderr);
        return 2;
    }
    int failures = 0;
    for (const std::string& file : files) {
        CRasterImage image;
        // A tab separates the fields, so that scripts can take them apart.
        if (!image.Load(file, TypeFromFileName(file))) {
            std::printf("%s\terror\t%s\n", file.c_str(), image.GetLastError().c_str());
            ++failures;
            continue;
        }
        WarnIfPartial(file, image.GetLoadNotice());
        std::printf("%s\t%d\t%d\t%d\t%s", file.c_str(), image.GetWidth(), image.GetHeight(), image.GetBpp(),
                    DecoderName(image.GetType()));
        if (withCrc)
            std::printf("\t%08x", PixelCrc(image.Pixels()));
        std::printf("\n");
    }
    std::fflush(stdout);
    return failures == 0 ? 0 : 1;
}

int RunDecodeCommand(const std::vector<std::string>& args)
{
    if (args.size() != 2) {
        std::fputs("usage: sleevit-cli decode FILE OUT.ppm\n", stderr);
        return 2;
    }
    const std::string& file = args[0];
    const std::string& outPath = args[1];
    CRasterImage image;
    if (!image.Load(file, TypeFromFileName(file))) {
        std::fprintf(stderr, "sleevit-cli: %s: %s\n", file.c_str(), image.GetLastError().c_str());
        return 1;
    }
    WarnIfPartial(file, image.GetLoadNotice());
    // The picture replaces an earlier file only once it is written whole.
    CAtomicOutput output;
    if (!output.Open(outPath)) {
        std::fprintf(stderr, "sleevit-cli: cannot write %s: %s\n", outPath.c_str(),
                     output.LastError().c_str());
        return 1;
    }
    std::FILE* out = output.File();
    const PixelBlock& pixels = image.Pixels();
    bool ok = std::fprintf(out, "P6\n%d %d\n255\n", pixels.Width(), pixels.Height()) > 0;
    std::vector<std::uint8_t> row;
    for (std::int32_t y = 0; ok && y < pixels.Height(); ++y) {
        RgbRow(pixels, y, row);
        ok = std::fwrite(row.data(), 1, row.size(), out) == row.size();
    }
    if (!ok)
        output.SetFailed();
    if (!output.Commit()) {
        std::fprintf(stderr, "sleevit-cli: cannot write %s: %s\n", outPath.c_str(),
                     output.LastError().c_str());
        return 1;
    }
    return 0;
}

void WarnIfPartial(const std::string& path, const std::string& notice)
{
    if (!notice.empty())
        std::fprintf(stderr, "sleevit-cli: warning: %s is loaded only in part: %s\n", path.c_str(),
                     notice.c_str());
}
