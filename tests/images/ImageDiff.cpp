#include "images/ImageDiff.h"

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
    const bool paletted = pixels.Bpp() != 24;
    std::uint8_t* dst = out.rgb.data();
    for (std::int32_t y = 0; y < out.height; ++y) {
        const std::int32_t fromBottom = out.height - 1 - y;
        if (!paletted) { // rows hold blue, green, red
            const std::uint8_t* src = pixels.Row(fromBottom);
            for (std::int32_t x = 0; x < out.width; ++x, src += 3, dst += 3) {
                dst[0] = src[2];
                dst[1] = src[1];
                dst[2] = src[0];
            }
            continue;
        }
        for (std::int32_t x = 0; x < out.width; ++x, dst += 3) {
            const std::uint32_t v = pixels.GetPixel(x, fromBottom);
            if (transparentIndex >= 0 && v == std::uint32_t(transparentIndex)) {
                dst[0] = dst[1] = dst[2] = 255;
                continue;
            }
            if (v >= std::uint32_t(pixels.PaletteSize())) {
                dst[0] = dst[1] = dst[2] = 0;
                continue;
            }
            const RgbQuad& q = pixels.Palette()[v];
            dst[0] = q.red;
            dst[1] = q.green;
            dst[2] = q.blue;
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

namespace {

// Reads the text header of a PNM/PAM file one token at a time.
class HeaderReader {
public:
    explicit HeaderReader(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}

    // The next whitespace-separated word, skipping comments; "" at the end.
    std::string Word()
    {
        SkipSpace();
        std::string word;
        while (pos_ < bytes_.size() && !IsSpace(bytes_[pos_]) && word.size() < 64)
            word.push_back(char(bytes_[pos_++]));
        return word;
    }
    // A decimal number of at most 9 digits, or -1.
    long Number()
    {
        const std::string w = Word();
        if (w.empty() || w.size() > 9 || w.find_first_not_of("0123456789") != std::string::npos)
            return -1;
        return std::strtol(w.c_str(), nullptr, 10);
    }
    // After the last header field exactly one whitespace byte precedes the samples.
    bool SkipOneSpace()
    {
        if (pos_ >= bytes_.size() || !IsSpace(bytes_[pos_]))
            return false;
        ++pos_;
        return true;
    }
    // Moves past the end of the current line (PAM header lines).
    void SkipLine()
    {
        while (pos_ < bytes_.size() && bytes_[pos_] != '\n')
            ++pos_;
        if (pos_ < bytes_.size())
            ++pos_;
    }
    std::size_t Position() const { return pos_; }

private:
    static bool IsSpace(std::uint8_t c)
    {
        return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
    }
    void SkipSpace()
    {
        while (pos_ < bytes_.size()) {
            if (bytes_[pos_] == '#') {
                SkipLine();
            } else if (IsSpace(bytes_[pos_])) {
                ++pos_;
            } else {
                break;
            }
        }
    }

    const std::vector<std::uint8_t>& bytes_;
    std::size_t pos_ = 0;
};

} // namespace

bool ReadPnm(const std::vector<std::uint8_t>& bytes, RgbPicture& out, std::string& error)
{
    HeaderReader header(bytes);
    const std::string magic = header.Word();
    long width = -1, height = -1, maxval = -1, depth = -1;
    if (magic == "P6" || magic == "P5") {
        width = header.Number();
        height = header.Number();
        maxval = header.Number();
        depth = magic == "P6" ? 3 : 1;
        if (!header.SkipOneSpace()) {
            error = "no space after the header";
            return false;
        }
    } else if (magic == "P7") {
        for (;;) {
            const std::string key = header.Word();
            if (key.empty()) {
                error = "PAM header without ENDHDR";
                return false;
            }
            if (key == "ENDHDR") {
                header.SkipLine();
                break;
            }
            if (key == "WIDTH") {
                width = header.Number();
            } else if (key == "HEIGHT") {
                height = header.Number();
            } else if (key == "DEPTH") {
                depth = header.Number();
            } else if (key == "MAXVAL") {
                maxval = header.Number();
            } else {
                header.SkipLine(); // TUPLTYPE and anything else
            }
        }
    } else {
        error = "not a binary PPM, PGM or PAM";
        return false;
    }
    if (width < 1 || height < 1 || width > 65535 || height > 65535 || maxval < 1 || maxval > 65535 ||
        depth < 1 || depth > 4) {
        error = "bad PNM header fields";
        return false;
    }
    const std::size_t sampleBytes = maxval > 255 ? 2 : 1;
    // width and height are below 2^16 and depth * sampleBytes at most 8: no overflow.
    const std::size_t need = std::size_t(width) * std::size_t(height) * std::size_t(depth) * sampleBytes;
    if (bytes.size() - header.Position() < need) {
        error = "PNM samples truncated";
        return false;
    }
    out.width = std::int32_t(width);
    out.height = std::int32_t(height);
    out.rgb.assign(std::size_t(width) * std::size_t(height) * 3, 0);
    const std::uint8_t* src = bytes.data() + header.Position();
    const bool hasAlpha = depth == 2 || depth == 4;
    const int colourChannels = depth >= 3 ? 3 : 1;
    auto sample = [&](std::size_t index) -> unsigned {
        const unsigned raw =
            sampleBytes == 2 ? (unsigned(src[index * 2]) << 8) | src[index * 2 + 1] : src[index];
        return (raw * 255u + unsigned(maxval) / 2) / unsigned(maxval); // scaled to 0..255, rounded
    };
    const std::size_t pixels = std::size_t(width) * std::size_t(height);
    for (std::size_t i = 0; i < pixels; ++i) {
        const std::size_t base = i * std::size_t(depth);
        unsigned c[3];
        for (int k = 0; k < 3; ++k)
            c[k] = sample(base + std::size_t(colourChannels == 3 ? k : 0));
        if (hasAlpha) {
            const unsigned a = sample(base + std::size_t(depth - 1));
            for (unsigned& v : c)
                v = (v * a + 255u * (255u - a) + 127u) / 255u;
        }
        for (int k = 0; k < 3; ++k)
            out.rgb[i * 3 + std::size_t(k)] = std::uint8_t(c[k]);
    }
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
