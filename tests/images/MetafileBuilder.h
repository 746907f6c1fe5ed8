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

// Colours as the files store them: 0x00BBGGRR.
inline constexpr std::uint32_t Rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    return std::uint32_t{r} | (std::uint32_t{g} << 8) | (std::uint32_t{b} << 16);
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

    Wmf& Pen(int style, int width, std::uint32_t colour)
    {
        return Rec(0x02FA, {style, width, 0, int(colour & 0xFFFF), int(colour >> 16)});
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
        Put16(p, 0); // colours given as colours
        for (const int v : {sh, sw, sy, sx, h, w, y, x})
            Put16(p, static_cast<std::uint32_t>(v));
        Append(p, dib);
        return Raw(0x0F43, p);
    }

    // A font: height (negative the em, positive the cell), escapement in tenths of a
    // degree, weight, italic, underline, character set and face name.
    Wmf& Font(int height, int escapement, int weight, bool underline, int charset, const std::string& face)
    {
        Bytes p;
        for (const int v : {height, 0, escapement, escapement, weight})
            Put16(p, static_cast<std::uint32_t>(v));
        for (const int v : {0, underline ? 1 : 0, 0, charset, 0, 0, 0, 0})
            p.push_back(static_cast<std::uint8_t>(v));
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
        Put16(p, static_cast<std::uint32_t>(y));
        Put16(p, static_cast<std::uint32_t>(x));
        return Raw(0x0521, p);
    }
    // Options 2 (opaque) or 4 (clipped) take the rectangle (l, t, r, b).
    Wmf& ExtTextOut(int x, int y, int options, std::array<int, 4> box, const std::string& text,
                    const std::vector<int>& advances = {})
    {
        Bytes p;
        for (const int v : {y, x, int(text.size()), options})
            Put16(p, static_cast<std::uint32_t>(v));
        if ((options & 6) != 0)
            for (const int v : box)
                Put16(p, static_cast<std::uint32_t>(v));
        p.insert(p.end(), text.begin(), text.end());
        if (text.size() % 2 != 0)
            p.push_back(0);
        for (const int v : advances)
            Put16(p, static_cast<std::uint32_t>(v));
        return Raw(0x0A32, p);
    }

    // The file without the placeable header: header, records, end record.
    Bytes Plain(std::uint16_t objects = 16, bool withEnd = true) const
    {
        Bytes f;
        Put16(f, 1);
        Put16(f, 9);
        Put16(f, 0x0300);
        Put32(f, static_cast<std::uint32_t>((18 + records_.size() + 6) / 2));
        Put16(f, objects);
        Put32(f, 0);
        Put16(f, 0);
        Append(f, records_);
        if (withEnd) {
            Put32(f, 3);
            Put16(f, 0);
        }
        return f;
    }
    // The file with a placeable header giving its bounding box and units per inch.
    Bytes Placeable(int l, int t, int r, int b, int unitsPerInch, std::uint16_t objects = 16) const
    {
        Bytes f;
        Put32(f, 0x9AC6CDD7);
        Put16(f, 0);
        for (const int v : {l, t, r, b})
            Put16(f, static_cast<std::uint32_t>(v));
        Put16(f, static_cast<std::uint32_t>(unitsPerInch));
        Put32(f, 0);
        Put16(f, 0); // checksum, not checked
        Append(f, Plain(objects));
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
            Put32(p, static_cast<std::uint32_t>(v));
        return Rec(type, p);
    }

    Emf& Select(std::uint32_t index) { return Rec32(37, {std::int32_t(index)}); }

    // A font (see Wmf::Font) in slot index.
    Emf& Font(int index, int height, int escapement, int weight, bool underline, int charset,
              const std::u16string& face)
    {
        Bytes p;
        for (const int v : {index, height, 0, escapement, escapement, weight})
            Put32(p, static_cast<std::uint32_t>(v));
        for (const int v : {0, underline ? 1 : 0, 0, charset, 0, 0, 0, 0})
            p.push_back(static_cast<std::uint8_t>(v));
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
        for (const int v : {x, y, int(count), int(at), options, box[0], box[1], box[2], box[3]})
            Put32(p, static_cast<std::uint32_t>(v));
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
        for (const int v : {x, y, int(text.size()), wide ? 0x100 : 0x300, 0, 0, 0})
            Put32(p, static_cast<std::uint32_t>(v));
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

    // The whole file: header record with the bounds (inclusive device pixels) and
    // frame (hundredths of a millimetre), the records, and the end record.
    Bytes File(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b, std::uint16_t handles = 16,
               bool withEnd = true, std::array<std::int32_t, 4> frame = {0, 0, 0, 0}) const
    {
        Bytes f;
        Put32(f, 1);
        Put32(f, 88);
        for (const std::int32_t v : {l, t, r, b})
            Put32(f, static_cast<std::uint32_t>(v));
        for (const std::int32_t v : frame)
            Put32(f, static_cast<std::uint32_t>(v));
        Put32(f, 0x464D4520);
        Put32(f, 0x10000);
        Put32(f, 0); // bytes (not trusted)
        Put32(f, 0); // records (not trusted)
        Put16(f, handles);
        Put16(f, 0);
        Put32(f, 0);
        Put32(f, 0);
        Put32(f, 0);
        // A reference device of 96 pixels per inch: 3780 pixels per metre.
        Put32(f, 3780);
        Put32(f, 3780);
        Put32(f, 1000);
        Put32(f, 1000);
        Append(f, records_);
        if (withEnd) {
            Put32(f, 14);
            Put32(f, 20);
            Put32(f, 0);
            Put32(f, 0);
            Put32(f, 20);
        }
        return f;
    }

private:
    Bytes records_;
};

} // namespace testmf
