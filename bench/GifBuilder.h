#pragma once

// GIF files made in memory for the decoding benchmark: a small LZW encoder and a writer
// whose every block can be chosen.
#include <cstdint>
#include <string>
#include <vector>

namespace testgif {

using Bytes = std::vector<std::uint8_t>;

struct Rgb {
    std::uint8_t r, g, b;
};

// Codes packed least significant bit first, as GIF stores them.
class BitWriter {
public:
    void Put(unsigned code, int width)
    {
        acc_ |= std::uint64_t{code} << count_;
        count_ += width;
        while (count_ >= 8) {
            bytes_.push_back(static_cast<std::uint8_t>(acc_));
            acc_ >>= 8;
            count_ -= 8;
        }
    }
    Bytes Finish()
    {
        if (count_ > 0)
            bytes_.push_back(static_cast<std::uint8_t>(acc_));
        acc_ = 0;
        count_ = 0;
        return bytes_;
    }

private:
    Bytes bytes_;
    std::uint64_t acc_ = 0;
    int count_ = 0;
};

// The plain LZW code stream of the pixels (no sub-blocks): a clear code first, a clear
// code again whenever the table is full, the end code last.
inline Bytes LzwCodes(const Bytes& pixels, int minCodeSize)
{
    BitWriter out;
    const unsigned clear = 1u << minCodeSize;
    const unsigned end = clear + 1;
    std::vector<std::uint16_t> child(4096 * 256, 0); // (prefix code, byte) -> code, 0 = none
    std::vector<std::uint32_t> used;
    unsigned next = clear + 2;
    int width = minCodeSize + 1;
    out.Put(clear, width);
    if (!pixels.empty()) {
        unsigned w = pixels[0];
        for (std::size_t i = 1; i < pixels.size(); ++i) {
            const std::uint32_t slot = w * 256u + pixels[i];
            if (child[slot] != 0) {
                w = child[slot];
                continue;
            }
            out.Put(w, width);
            if (next < 4096) {
                child[slot] = static_cast<std::uint16_t>(next++);
                used.push_back(slot);
                if (next > (1u << width) && width < 12)
                    ++width;
            } else {
                out.Put(clear, width);
                for (std::uint32_t s : used)
                    child[s] = 0;
                used.clear();
                next = clear + 2;
                width = minCodeSize + 1;
            }
            w = pixels[i];
        }
        out.Put(w, width);
    }
    out.Put(end, width);
    return out.Finish();
}

// Data cut into sub-blocks of at most 255 bytes, with the terminator.
inline Bytes SubBlocks(const Bytes& data)
{
    Bytes b;
    for (std::size_t i = 0; i < data.size(); i += 255) {
        const std::size_t n = std::min<std::size_t>(255, data.size() - i);
        b.push_back(static_cast<std::uint8_t>(n));
        b.insert(b.end(), data.begin() + static_cast<std::ptrdiff_t>(i),
                 data.begin() + static_cast<std::ptrdiff_t>(i + n));
    }
    b.push_back(0);
    return b;
}

inline void Put16(Bytes& b, unsigned v)
{
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}

// The rows of a frame in the order an interlaced file stores them.
inline Bytes InterlaceRows(const Bytes& pixels, unsigned width, unsigned height)
{
    Bytes out;
    const unsigned start[4] = {0, 4, 2, 1};
    const unsigned step[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (unsigned y = start[pass]; y < height; y += step[pass])
            out.insert(out.end(), pixels.begin() + std::ptrdiff_t{y} * width,
                       pixels.begin() + std::ptrdiff_t{y + 1} * width);
    return out;
}

// Everything a one-frame file is made of; the defaults give a plain GIF89a.
struct Picture {
    std::string version = "GIF89a";
    unsigned screenWidth = 0, screenHeight = 0; // 0: the frame's size
    std::uint8_t background = 0;
    std::vector<Rgb> globalPalette; // empty: none (size rounded up to a power of two)
    std::vector<Rgb> localPalette;
    unsigned left = 0, top = 0, width = 0, height = 0;
    bool interlaced = false;
    int transIndex = -1; // a graphic control extension when >= 0
    int minCodeSize = 0; // 0: from the palette size (at least 2)
    Bytes beforeImage;   // extra blocks (extensions) before the image descriptor
    Bytes pixels;        // frame pixels, rows top to bottom
};

inline int TableBits(std::size_t entries)
{
    int bits = 1;
    while ((std::size_t{1} << bits) < entries)
        ++bits;
    return bits;
}

inline void PutPalette(Bytes& b, const std::vector<Rgb>& palette)
{
    const std::size_t size = std::size_t{1} << TableBits(palette.size());
    for (std::size_t i = 0; i < size; ++i) {
        const Rgb c = i < palette.size() ? palette[i] : Rgb{0, 0, 0};
        b.push_back(c.r);
        b.push_back(c.g);
        b.push_back(c.b);
    }
}

// Header, screen, palettes and descriptor: everything up to the LZW code size byte.
inline Bytes Head(const Picture& s)
{
    Bytes b(s.version.begin(), s.version.end());
    Put16(b, s.screenWidth ? s.screenWidth : s.width);
    Put16(b, s.screenHeight ? s.screenHeight : s.height);
    b.push_back(s.globalPalette.empty()
                    ? 0
                    : static_cast<std::uint8_t>(0x80 | (TableBits(s.globalPalette.size()) - 1)));
    b.push_back(s.background);
    b.push_back(0);
    if (!s.globalPalette.empty())
        PutPalette(b, s.globalPalette);
    if (s.transIndex >= 0) {
        const Bytes gce = {0x21, 0xF9, 4, 1, 0, 0, static_cast<std::uint8_t>(s.transIndex), 0};
        b.insert(b.end(), gce.begin(), gce.end());
    }
    b.insert(b.end(), s.beforeImage.begin(), s.beforeImage.end());
    b.push_back(0x2C);
    Put16(b, s.left);
    Put16(b, s.top);
    Put16(b, s.width);
    Put16(b, s.height);
    std::uint8_t flags = s.interlaced ? 0x40 : 0;
    if (!s.localPalette.empty())
        flags = static_cast<std::uint8_t>(flags | 0x80 | (TableBits(s.localPalette.size()) - 1));
    b.push_back(flags);
    if (!s.localPalette.empty())
        PutPalette(b, s.localPalette);
    return b;
}

inline int CodeSize(const Picture& s)
{
    if (s.minCodeSize > 0)
        return s.minCodeSize;
    const std::size_t entries = !s.localPalette.empty() ? s.localPalette.size() : s.globalPalette.size();
    return std::max(2, TableBits(entries));
}

// A whole file: head, code size, the frame's LZW data in sub-blocks, trailer.
inline Bytes Make(const Picture& s)
{
    Bytes b = Head(s);
    const int codeSize = CodeSize(s);
    b.push_back(static_cast<std::uint8_t>(codeSize));
    const Bytes stored = s.interlaced ? InterlaceRows(s.pixels, s.width, s.height) : s.pixels;
    const Bytes blocks = SubBlocks(LzwCodes(stored, codeSize));
    b.insert(b.end(), blocks.begin(), blocks.end());
    b.push_back(0x3B);
    return b;
}

} // namespace testgif
