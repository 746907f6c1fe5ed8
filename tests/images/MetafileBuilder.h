#pragma once

// Hand-built metafiles for the metafile tests: records are written one by one, so a
// test can make exactly the file it is about, sound or broken.
#include <array>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>
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

inline void Put16(Bytes& b, std::uint32_t v)
{
    Put(b, 2, {v});
}

inline void Put32(Bytes& b, std::uint32_t v)
{
    Put(b, 4, {v});
}

inline void Append(Bytes& b, const Bytes& more)
{
    b.insert(b.end(), more.begin(), more.end());
}

// Colours as the files store them: 0x00BBGGRR.
inline constexpr std::uint32_t Rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    return std::uint32_t{r} | (std::uint32_t{g} << 8) | (std::uint32_t{b} << 16);
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
        Put32(records_, static_cast<std::uint32_t>(3 + words.size()));
        Put16(records_, function);
        for (const std::int32_t w : words)
            Put16(records_, static_cast<std::uint32_t>(w));
        return *this;
    }
    // A record with raw parameter bytes (padded to whole words).
    Wmf& Raw(std::uint16_t function, Bytes params)
    {
        if (params.size() % 2 != 0)
            params.push_back(0);
        Put32(records_, static_cast<std::uint32_t>(3 + params.size() / 2));
        Put16(records_, function);
        Append(records_, params);
        return *this;
    }

    Wmf& Brush(int style, std::uint32_t colour, int hatch = 0)
    {
        return Rec(0x02FC, {style, int(colour & 0xFFFF), int(colour >> 16), hatch});
    }
    Wmf& Select(int index) { return Rec(0x012D, {index}); }
    Wmf& Rectangle(int l, int t, int r, int b) { return Rec(0x041B, {b, r, t, l}); }
    Wmf& MoveTo(int x, int y) { return Rec(0x0214, {y, x}); }
    // A stretched copy of a packed bitmap: source (sx, sy, sw, sh), destination
    // (x, y, w, h), plain copy.
    Wmf& StretchDib(int x, int y, int w, int h, int sx, int sy, int sw, int sh, const Bytes& dib)
    {
        Bytes p;
        Put32(p, 0x00CC0020);
        Put(p, 2, {0, sh, sw, sy, sx, h, w, y, x}); // colours given as colours, then the rectangles
        Append(p, dib);
        return Raw(0x0F43, p);
    }

    // A font: height (negative the em, positive the cell), escapement in tenths of a
    // degree, weight, italic, underline, character set and face name.
    Wmf& Font(int height, int escapement, int weight, bool underline, int charset, const std::string& face)
    {
        Bytes p;
        Put(p, 2, {height, 0, escapement, escapement, weight});
        Put(p, 1, {0, underline ? 1 : 0, 0, charset, 0, 0, 0, 0});
        p.insert(p.end(), face.begin(), face.end());
        p.push_back(0);
        return Raw(0x02FB, p);
    }
    Wmf& TextOut(int x, int y, const std::string& text)
    {
        Bytes p;
        Put16(p, static_cast<std::uint32_t>(text.size()));
        p.insert(p.end(), text.begin(), text.end());
        if (text.size() % 2 != 0)
            p.push_back(0);
        Put(p, 2, {y, x});
        return Raw(0x0521, p);
    }
    // Options 2 (opaque) or 4 (clipped) take the rectangle (l, t, r, b).
    Wmf& ExtTextOut(int x, int y, int options, std::array<int, 4> box, const std::string& text,
                    const std::vector<int>& advances = {})
    {
        Bytes p;
        Put(p, 2, {y, x, std::int64_t(text.size()), options});
        if ((options & 6) != 0)
            Put(p, 2, {box[0], box[1], box[2], box[3]});
        p.insert(p.end(), text.begin(), text.end());
        if (text.size() % 2 != 0)
            p.push_back(0);
        for (const int v : advances)
            Put16(p, static_cast<std::uint32_t>(v));
        return Raw(0x0A32, p);
    }

    // The file with a placeable header giving its bounding box and units per inch, then
    // the header, the records and the end record.
    Bytes Placeable(int l, int t, int r, int b, int unitsPerInch) const
    {
        Bytes f;
        Put32(f, 0x9AC6CDD7);
        Put(f, 2, {0, l, t, r, b, unitsPerInch, 0, 0, 0}); // reserved words and checksum (not checked) zero
        Put(f, 2, {1, 9, 0x0300});
        Put32(f, static_cast<std::uint32_t>((18 + records_.size() + 6) / 2));
        Put(f, 2, {16, 0, 0, 0}); // 16 objects
        Append(f, records_);
        Put(f, 2, {3, 0, 0});
        return f;
    }

private:
    Bytes records_;
};

// Records of the enhanced format; the header record is written by File().
class Emf {
public:
    Emf& Rec(std::uint32_t type, const Bytes& params)
    {
        Put32(records_, type);
        Put32(records_, static_cast<std::uint32_t>(8 + params.size()));
        Append(records_, params);
        return *this;
    }
    Emf& Rec32(std::uint32_t type, std::initializer_list<std::int32_t> values)
    {
        Bytes p;
        for (const std::int32_t v : values)
            Put(p, 4, {v});
        return Rec(type, p);
    }

    Emf& Select(std::uint32_t index) { return Rec32(37, {std::int32_t(index)}); }

    // A font (see Wmf::Font) in slot index.
    Emf& Font(int index, int height, int escapement, int weight, bool underline, int charset,
              const std::u16string& face)
    {
        Bytes p;
        Put(p, 4, {index, height, 0, escapement, escapement, weight});
        Put(p, 1, {0, underline ? 1 : 0, 0, charset, 0, 0, 0, 0});
        for (std::size_t i = 0; i < 32; ++i)
            Put16(p, i < face.size() ? face[i] : 0);
        return Rec(82, p);
    }
    // The text part of the text records (reference, count, string offset, options,
    // rectangle, advances offset) followed by the characters and advances; offsets
    // count from the record's start, whose first skip bytes come before this part.
    static Bytes TextPart(std::size_t skip, int x, int y, int options, std::array<int, 4> box,
                          const Bytes& chars, std::size_t count, const std::vector<int>& advances)
    {
        const auto at = static_cast<std::uint32_t>(8 + skip + 40);
        Bytes p;
        Put(p, 4, {x, y, std::int64_t(count), at, options, box[0], box[1], box[2], box[3]});
        Bytes tail = chars;
        while (tail.size() % 4 != 0)
            tail.push_back(0);
        Put32(p, advances.empty() ? 0 : static_cast<std::uint32_t>(at + tail.size()));
        for (const int v : advances)
            Put32(tail, static_cast<std::uint32_t>(v));
        Append(p, tail);
        return p;
    }
    // 16-bit characters (wide) or 8-bit ones.
    Emf& ExtTextOut(bool wide, int x, int y, int options, std::array<int, 4> box, const std::u16string& text,
                    const std::vector<int>& advances = {})
    {
        Bytes p(16 + 4 + 8, 0); // bounds, graphics mode, scales
        Append(p, TextPart(p.size(), x, y, options, box, Chars(wide, text), text.size(), advances));
        return Rec(wide ? 84 : 83, p);
    }
    Emf& PolyTextOut(int x, int y, const std::u16string& text)
    {
        Bytes p(16 + 4 + 8, 0);
        Put32(p, 1); // one string
        Append(p, TextPart(p.size(), x, y, 0, {0, 0, 0, 0}, Chars(true, text), text.size(), {}));
        return Rec(97, p);
    }
    Emf& SmallTextOut(bool wide, int x, int y, const std::u16string& text)
    {
        Bytes p;
        Put(p, 4, {x, y, std::int64_t(text.size()), wide ? 0x100 : 0x300, 0, 0, 0});
        Append(p, Chars(wide, text));
        return Rec(108, p);
    }
    static Bytes Chars(bool wide, const std::u16string& text)
    {
        Bytes b;
        for (const char16_t c : text) {
            if (wide)
                Put16(b, c);
            else
                b.push_back(static_cast<std::uint8_t>(c));
        }
        return b;
    }

    // The whole file: header record with the bounds (inclusive device pixels) and no
    // frame, the records, and the end record.
    Bytes File(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) const
    {
        Bytes f;
        Put(f, 4, {1, 88, l, t, r, b, 0, 0, 0, 0, 0x464D4520, 0x10000});
        Put(f, 4, {0, 0});  // bytes and records (not trusted)
        Put(f, 2, {16, 0}); // handles
        // A reference device of 96 pixels per inch: 3780 pixels per metre, 1000 mm wide and high.
        Put(f, 4, {0, 0, 0, 3780, 3780, 1000, 1000});
        Append(f, records_);
        Put(f, 4, {14, 20, 0, 0, 20});
        return f;
    }

private:
    Bytes records_;
};

} // namespace testmf
