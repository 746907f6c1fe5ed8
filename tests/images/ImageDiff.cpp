#include "images/ImageDiff.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include <zlib.h>

#include "surfaces/PixelBlock.h"

RgbPicture ToRgb(const PixelBlock& pixels)
{
    RgbPicture out;
    if (!pixels.IsValid())
        return out;
    out.width = pixels.Width();
    out.height = pixels.Height();
    out.rgb.resize(std::size_t(out.width) * std::size_t(out.height) * 3);
    std::uint8_t* dst = out.rgb.data();
    for (std::int32_t y = out.height - 1; y >= 0; --y) { // rows are stored bottom-up
        for (std::int32_t x = 0; x < out.width; ++x, dst += 3) {
            const std::uint32_t c = pixels.GetColour(x, y); // 0x00BBGGRR
            dst[0] = std::uint8_t(c);
            dst[1] = std::uint8_t(c >> 8);
            dst[2] = std::uint8_t(c >> 16);
        }
    }
    return out;
}

std::uint32_t RgbCrc32(const RgbPicture& picture)
{
    uLong crc = crc32(0L, Z_NULL, 0);
    // zlib takes at most 4 GiB per call; feed the rows in slices below that.
    const std::uint8_t* p = picture.rgb.data();
    std::size_t left = picture.rgb.size();
    while (left > 0) {
        const std::size_t n = left < (std::size_t{1} << 30) ? left : (std::size_t{1} << 30);
        crc = crc32(crc, p, static_cast<uInt>(n));
        p += n;
        left -= n;
    }
    return static_cast<std::uint32_t>(crc);
}

bool ReadPnmFile(const std::string& path, RgbPicture& out, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path;
        return false;
    }
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                          std::istreambuf_iterator<char>());
    // "P6", width, height and maxval 255 as decimal words (comments from # to the line's end), then one
    // whitespace byte and the samples.
    std::size_t pos = 0;
    auto word = [&] {
        while (pos < bytes.size() && (std::isspace(bytes[pos]) || bytes[pos] == '#'))
            if (bytes[pos++] == '#') // a comment runs to the end of its line
                while (pos < bytes.size() && bytes[pos] != '\n')
                    ++pos;
        std::string w;
        while (pos < bytes.size() && !std::isspace(bytes[pos]) && w.size() < 10)
            w.push_back(char(bytes[pos++]));
        return w;
    };
    auto number = [&] {
        const std::string w = word();
        return w.empty() || w.size() > 5 || w.find_first_not_of("0123456789") != std::string::npos
                   ? -1L
                   : std::strtol(w.c_str(), nullptr, 10);
    };
    if (word() != "P6") {
        error = "not a binary PPM";
        return false;
    }
    const long width = number(), height = number(), maxval = number();
    if (width < 1 || height < 1 || maxval != 255 || pos >= bytes.size() || !std::isspace(bytes[pos])) {
        error = "bad PPM header (8-bit samples only)";
        return false;
    }
    ++pos;
    const std::size_t need = std::size_t(width) * std::size_t(height) * 3;
    if (bytes.size() - pos < need) {
        error = "PPM samples truncated";
        return false;
    }
    out.width = std::int32_t(width);
    out.height = std::int32_t(height);
    out.rgb.assign(bytes.begin() + std::ptrdiff_t(pos), bytes.begin() + std::ptrdiff_t(pos + need));
    return true;
}
