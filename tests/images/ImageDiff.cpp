#include "images/ImageDiff.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include <zlib.h>

#include "surfaces/PixelBlock.h"

double ImageDifference::MeanChannelDiff(std::int32_t width, std::int32_t height) const
{
    const double channels = 3.0 * double(width) * double(height);
    return channels > 0 ? double(sumChannelDiff) / channels : 0.0;
}

std::string ImageDifference::Describe() const
{
    if (!sameSize)
        return "sizes differ";
    char text[160];
    std::snprintf(text, sizeof text, "max %d, sum %llu, %llu pixels differ, first at (%d, %d)",
                  maxChannelDiff, static_cast<unsigned long long>(sumChannelDiff),
                  static_cast<unsigned long long>(differingPixels), firstX, firstY);
    return text;
}

RgbPicture ToRgb(const PixelBlock& pixels, int transparentIndex)
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
            const bool clear = pixels.Bpp() != 24 && transparentIndex >= 0 &&
                               pixels.GetPixel(x, y) == std::uint32_t(transparentIndex);
            const std::uint32_t c = clear ? 0xFFFFFFu : pixels.GetColour(x, y); // 0x00BBGGRR
            dst[0] = std::uint8_t(c);
            dst[1] = std::uint8_t(c >> 8);
            dst[2] = std::uint8_t(c >> 16);
        }
    }
    return out;
}

ImageDifference CompareRgb(const RgbPicture& have, const RgbPicture& want)
{
    ImageDifference d;
    d.sameSize = have.width == want.width && have.height == want.height && have.rgb.size() == want.rgb.size();
    if (!d.sameSize)
        return d;
    const std::size_t pixels = have.rgb.size() / 3;
    for (std::size_t i = 0; i < pixels; ++i) {
        int worst = 0;
        for (std::size_t c = 0; c < 3; ++c) {
            const int diff = std::abs(int(have.rgb[i * 3 + c]) - int(want.rgb[i * 3 + c]));
            d.sumChannelDiff += std::uint64_t(diff);
            if (diff > worst)
                worst = diff;
        }
        if (worst == 0)
            continue;
        if (d.differingPixels == 0) {
            d.firstX = std::int32_t(i % std::size_t(have.width));
            d.firstY = std::int32_t(i / std::size_t(have.width));
        }
        ++d.differingPixels;
        if (worst > d.maxChannelDiff)
            d.maxChannelDiff = worst;
    }
    return d;
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

bool ReadPnm(const std::vector<std::uint8_t>& bytes, RgbPicture& out, std::string& error)
{
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

bool ReadPnmFile(const std::string& path, RgbPicture& out, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path;
        return false;
    }
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                          std::istreambuf_iterator<char>());
    return ReadPnm(bytes, out, error);
}
