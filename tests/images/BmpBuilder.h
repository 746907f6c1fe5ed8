#pragma once

// Bitmap files made in memory for the tests that load pictures.
#include <cstdint>
#include <functional>
#include <vector>

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

// The pattern pictures' pixel at (x, row from the top), unlike its neighbours at every
// depth: a palette index for 1, 4 and 8 bits, 0xRRGGBB for 24 (unique below 256 x 256).
inline std::uint32_t Pattern(int bpp, int x, int top)
{
    const auto v = static_cast<std::uint32_t>(x * 3 + top * 5 + x * top);
    return bpp == 24 ? (static_cast<std::uint32_t>(x) & 0xFF) << 16 |
                           (static_cast<std::uint32_t>(top) & 0xFF) << 8 | (v & 0xFF)
                     : v % (1u << bpp);
}

// The bitmap file of the pattern picture of w x h at bpp.
inline Bytes MakePattern(std::int32_t w, std::int32_t h, int bpp)
{
    return Make(w, h, bpp, [bpp](int x, int top) { return Pattern(bpp, x, top); });
}

// The colour (0x00BBGGRR) of a pixel of value v in a file that Make wrote at bpp.
inline std::uint32_t ColourOf(int bpp, std::uint32_t v)
{
    return bpp == 24 ? (v & 0xFF) << 16 | (v & 0xFF00) | (v >> 16 & 0xFF)
                     : (v * 7 & 0xFF) << 16 | (255 - v) << 8 | v;
}

} // namespace testbmp
