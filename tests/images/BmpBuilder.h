#pragma once

// Hand-built bitmap, icon and wireless-bitmap files for the decoder tests: every field
// can be set on its own, so a test can make exactly the file it is about.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include <zlib.h>

namespace testbmp {

using Bytes = std::vector<std::uint8_t>;

inline void Put16(Bytes& b, std::uint32_t v)
{
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}

inline void Put32(Bytes& b, std::uint32_t v)
{
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

inline void Append(Bytes& b, const Bytes& more)
{
    b.insert(b.end(), more.begin(), more.end());
}

// One row's bytes padded to a multiple of four.
inline Bytes Row(std::initializer_list<std::uint8_t> bytes)
{
    Bytes r(bytes);
    while (r.size() % 4 != 0)
        r.push_back(0);
    return r;
}

inline Bytes Rows(std::initializer_list<Bytes> rows)
{
    Bytes all;
    for (const Bytes& r : rows)
        Append(all, r);
    return all;
}

struct Rgb {
    std::uint8_t r, g, b;
};

struct BmpLayout {
    std::int32_t width = 1;
    std::int32_t height = 1; // negative for top-down
    int bpp = 24;
    std::uint32_t compression = 0;
    std::uint32_t headerSize = 40; // 12 for the core header
    std::vector<Rgb> palette;
    std::int64_t coloursUsed = -1;    // -1: the palette's length
    std::vector<std::uint32_t> masks; // written after a 40-byte header, inside bigger ones
    std::int32_t ppm = 0;
    Bytes pixels;             // as stored in the file
    std::int64_t offset = -1; // -1: right after the palette
    bool fileHeader = true;
};

// The info header, masks and palette (what an icon entry starts with).
inline Bytes InfoAndPalette(const BmpLayout& s)
{
    Bytes b;
    if (s.headerSize == 12) {
        Put32(b, 12);
        Put16(b, static_cast<std::uint32_t>(s.width));
        Put16(b, static_cast<std::uint32_t>(s.height));
        Put16(b, 1);
        Put16(b, static_cast<std::uint32_t>(s.bpp));
        for (const Rgb& c : s.palette) {
            b.push_back(c.b);
            b.push_back(c.g);
            b.push_back(c.r);
        }
        return b;
    }
    Put32(b, s.headerSize);
    Put32(b, static_cast<std::uint32_t>(s.width));
    Put32(b, static_cast<std::uint32_t>(s.height));
    Put16(b, 1);
    Put16(b, static_cast<std::uint32_t>(s.bpp));
    Put32(b, s.compression);
    Put32(b, static_cast<std::uint32_t>(s.pixels.size()));
    Put32(b, static_cast<std::uint32_t>(s.ppm));
    Put32(b, static_cast<std::uint32_t>(s.ppm));
    Put32(b, static_cast<std::uint32_t>(s.coloursUsed >= 0 ? s.coloursUsed
                                                           : static_cast<std::int64_t>(s.palette.size())));
    Put32(b, 0);
    for (const std::uint32_t m : s.masks)
        Put32(b, m);
    while (b.size() < s.headerSize)
        b.push_back(0);
    for (const Rgb& c : s.palette) {
        b.push_back(c.b);
        b.push_back(c.g);
        b.push_back(c.r);
        b.push_back(0);
    }
    return b;
}

inline Bytes Make(const BmpLayout& s)
{
    const Bytes info = InfoAndPalette(s);
    if (!s.fileHeader) {
        Bytes b = info;
        Append(b, s.pixels);
        return b;
    }
    const std::uint32_t offset =
        static_cast<std::uint32_t>(s.offset >= 0 ? s.offset : 14 + static_cast<std::int64_t>(info.size()));
    Bytes b{'B', 'M'};
    Put32(b, static_cast<std::uint32_t>(offset + s.pixels.size()));
    Put32(b, 0);
    Put32(b, offset);
    Append(b, info);
    while (b.size() < offset)
        b.push_back(0);
    Append(b, s.pixels);
    return b;
}

// An icon directory over the given entries (width, height, depth, data).
struct IconEntry {
    int width;
    int height;
    int bpp;
    Bytes data;
};

inline Bytes MakeIcon(const std::vector<IconEntry>& entries, int kind = 1)
{
    Bytes b;
    Put16(b, 0);
    Put16(b, static_cast<std::uint32_t>(kind));
    Put16(b, static_cast<std::uint32_t>(entries.size()));
    std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * entries.size());
    for (const IconEntry& e : entries) {
        b.push_back(static_cast<std::uint8_t>(e.width & 0xFF));
        b.push_back(static_cast<std::uint8_t>(e.height & 0xFF));
        b.push_back(0);
        b.push_back(0);
        Put16(b, 1);
        Put16(b, static_cast<std::uint32_t>(e.bpp));
        Put32(b, static_cast<std::uint32_t>(e.data.size()));
        Put32(b, offset);
        offset += static_cast<std::uint32_t>(e.data.size());
    }
    for (const IconEntry& e : entries)
        Append(b, e.data);
    return b;
}

inline void PutBe32(Bytes& b, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        b.push_back(static_cast<std::uint8_t>(v >> shift));
}

inline void PngChunk(Bytes& png, const char* type, const Bytes& data)
{
    PutBe32(png, static_cast<std::uint32_t>(data.size()));
    Bytes body(type, type + 4);
    Append(body, data);
    Append(png, body);
    PutBe32(png, static_cast<std::uint32_t>(crc32(0, body.data(), static_cast<uInt>(body.size()))));
}

// An n x n opaque RGB PNG file of one colour.
inline Bytes MakeSolidPng(int n, std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    Bytes ihdr;
    PutBe32(ihdr, static_cast<std::uint32_t>(n));
    PutBe32(ihdr, static_cast<std::uint32_t>(n));
    ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});
    PngChunk(png, "IHDR", ihdr);
    Bytes raw;
    for (int y = 0; y < n; ++y) {
        raw.push_back(0);
        for (int x = 0; x < n; ++x)
            raw.insert(raw.end(), {r, g, b});
    }
    Bytes packed(compressBound(static_cast<uLong>(raw.size())));
    uLongf packedSize = static_cast<uLongf>(packed.size());
    compress(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()));
    packed.resize(packedSize);
    PngChunk(png, "IDAT", packed);
    PngChunk(png, "IEND", {});
    return png;
}

inline std::string Hex(std::uint32_t v)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string s(6, '0');
    for (int i = 5; i >= 0; --i, v >>= 4)
        s[static_cast<std::size_t>(i)] = digits[v & 15];
    return s;
}

} // namespace testbmp
