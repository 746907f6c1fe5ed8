#pragma once

// Bitmap and PNG files made in memory for the tests that load pictures.
#include <cstdint>
#include <functional>
#include <vector>

#include <zlib.h>

namespace testbmp {

using Bytes = std::vector<std::uint8_t>;

inline void PutLe(Bytes& b, std::uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// A bitmap file whose pixel at (x, row from the top) has value(x, row): a palette index
// for 1, 4 and 8 bits, 0xRRGGBB for 24. Paletted files get a palette of distinct colours
// (entry i is red i, green 255 - i, blue 7 i).
inline Bytes Make(std::int32_t w, std::int32_t h, int bpp,
                  const std::function<std::uint32_t(int, int)>& value)
{
    const std::uint32_t colours = bpp <= 8 ? 1u << bpp : 0;
    const std::size_t stride = (static_cast<std::size_t>(w) * static_cast<std::size_t>(bpp) + 31) / 32 * 4;
    const std::uint32_t offset = 14 + 40 + 4 * colours;
    Bytes b = {'B', 'M'};
    PutLe(b, offset + static_cast<std::uint32_t>(stride * static_cast<std::size_t>(h)), 4);
    PutLe(b, 0, 4);
    PutLe(b, offset, 4);
    for (const std::uint32_t v : {40u, static_cast<std::uint32_t>(w), static_cast<std::uint32_t>(h)})
        PutLe(b, v, 4);
    PutLe(b, 1, 2);
    PutLe(b, static_cast<std::uint32_t>(bpp), 2);
    for (const std::uint32_t v : {0u, 0u, 0u, 0u, colours, 0u})
        PutLe(b, v, 4);
    for (std::uint32_t i = 0; i < colours; ++i)
        PutLe(b, (i * 7 & 0xFF) | ((255 - i) & 0xFF) << 8 | (i & 0xFF) << 16, 4); // blue, green, red, 0
    for (int fileRow = 0; fileRow < h; ++fileRow) {
        Bytes row(stride, 0);
        const int top = h - 1 - fileRow;
        for (int x = 0; x < w; ++x) {
            const std::uint32_t v = value(x, top);
            const std::size_t at = static_cast<std::size_t>(x) * static_cast<std::size_t>(bpp) / 8;
            if (bpp == 24) {
                for (std::size_t i = 0; i < 3; ++i) // blue, green, red
                    row[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
            } else {
                const int shift = 8 - bpp - static_cast<int>(static_cast<std::size_t>(x) * bpp % 8);
                row[at] = static_cast<std::uint8_t>(row[at] | (v & ((1u << bpp) - 1)) << shift);
            }
        }
        b.insert(b.end(), row.begin(), row.end());
    }
    return b;
}

inline void PutBe32(Bytes& b, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        b.push_back(static_cast<std::uint8_t>(v >> shift));
}

inline void PngChunk(Bytes& png, const char* type, const Bytes& data)
{
    Bytes body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    PutBe32(png, static_cast<std::uint32_t>(data.size()));
    png.insert(png.end(), body.begin(), body.end());
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

} // namespace testbmp
