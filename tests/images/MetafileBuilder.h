#pragma once

// Hand-built metafiles of the 16-bit format for the metafile tests: records are written
// one by one, so a test can make exactly the file it is about, sound or broken. (Small
// metafiles are kept as files: tests/images/cases/wmf and tests/images/metafile-text.)
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace testmf {

using Bytes = std::vector<std::uint8_t>;

// Each value as size little-endian bytes.
inline void Put(Bytes& b, int size, std::initializer_list<std::int64_t> values)
{
    for (const std::int64_t v : values)
        for (int i = 0; i < size; ++i)
            b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// A bitmap info header of `size` bytes: the fields of the 40-byte one, cut short or
// padded with zeros.
inline Bytes DibHeader(std::uint32_t size, std::int32_t w, std::int32_t h, int bpp, std::uint32_t compression,
                       std::uint32_t colours = 0)
{
    Bytes b;
    Put(b, 4, {size, w, h});
    Put(b, 2, {1, bpp});
    Put(b, 4, {compression, 0, 0, 0, colours, 0});
    b.resize(size, 0);
    return b;
}

// Records of the 16-bit format. Parameters are 16-bit words in the order the file
// stores them (the reverse of the drawing call's arguments).
class Wmf {
public:
    Wmf& Rec(std::uint16_t function, std::initializer_list<std::int32_t> words)
    {
        Bytes params;
        for (const std::int32_t w : words)
            Put(params, 2, {w});
        return Raw(function, params);
    }
    // A record with raw parameter bytes (padded to whole words).
    Wmf& Raw(std::uint16_t function, Bytes params)
    {
        if (params.size() % 2 != 0)
            params.push_back(0);
        Put(records_, 4, {std::int64_t(3 + params.size() / 2)});
        Put(records_, 2, {function});
        records_.insert(records_.end(), params.begin(), params.end());
        return *this;
    }

    Wmf& Brush(int style, std::uint32_t colour, int hatch = 0)
    {
        return Rec(0x02FC, {style, int(colour & 0xFFFF), int(colour >> 16), hatch});
    }
    Wmf& Select(int index) { return Rec(0x012D, {index}); }
    Wmf& Rectangle(int l, int t, int r, int b) { return Rec(0x041B, {b, r, t, l}); }
    // A stretched copy of a packed bitmap: source (sx, sy, sw, sh), destination
    // (x, y, w, h), plain copy.
    Wmf& StretchDib(int x, int y, int w, int h, int sx, int sy, int sw, int sh, const Bytes& dib)
    {
        Bytes p;
        Put(p, 4, {0x00CC0020});
        Put(p, 2, {0, sh, sw, sy, sx, h, w, y, x}); // colours given as colours, then the rectangles
        p.insert(p.end(), dib.begin(), dib.end());
        return Raw(0x0F43, p);
    }

    // The file with a placeable header giving its bounding box and units per inch, then
    // the header, the records and the end record.
    Bytes Placeable(int l, int t, int r, int b, int unitsPerInch) const
    {
        Bytes f;
        Put(f, 4, {0x9AC6CDD7});
        Put(f, 2, {0, l, t, r, b, unitsPerInch, 0, 0, 0}); // reserved words and checksum (not checked) zero
        Put(f, 2, {1, 9, 0x0300});
        Put(f, 4, {std::int64_t(18 + records_.size() + 6) / 2});
        Put(f, 2, {16, 0, 0, 0}); // 16 objects
        f.insert(f.end(), records_.begin(), records_.end());
        Put(f, 2, {3, 0, 0});
        return f;
    }

private:
    Bytes records_;
};

} // namespace testmf
