// The bitmap reader's rules where bitmap files and the bitmaps inside metafiles
// once disagreed: one table of packed bitmaps and what they read as.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "MetafileBuilder.h"
#include "images/DibReader.h"

using namespace testmf;

namespace {

Bytes Cat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& p : parts)
        Append(all, p);
    return all;
}

constexpr std::uint32_t kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000;
const Bytes kPalette = {0, 0, 0, 0, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0}; // black, red, green, blue

TEST(DibReader, OneRuleForFilesAndMetafiles)
{
    struct Case {
        const char* name;
        Bytes dib;
        std::vector<std::uint32_t> top; // colours of the top row; empty: refused
    };
    const Case cases[] = {
        {"2 bits", Cat({DibHeader(40, 3, 1, 2, 0), kPalette, {0x6C, 0, 0, 0}}), {kRed, kGreen, kBlue}},
        {"last row without its padding", Cat({DibHeader(40, 1, 2, 24, 0), {0, 0, 0, 0, 255, 0, 0}}), {kBlue}},
        {"literal run cut short keeps its pixels",
         Cat({DibHeader(40, 4, 1, 8, 1, 4), kPalette, {0, 3, 1, 2, 3}}),
         {kRed, kGreen, kBlue, 0}},
        {"delta past the row's end",
         Cat({DibHeader(40, 2, 2, 8, 1, 4), kPalette, {0, 2, 9, 1, 1, 2}}),
         {0, 0}},
        {"alpha channel ignored",
         Cat({DibHeader(40, 1, 1, 32, 6),
              {0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0, 0, 0, 0, 255},
              {0, 0, 255, 0x80}}),
         {kRed}},
        {"short OS/2 header", Cat({DibHeader(16, 1, 1, 24, 0), {0, 255, 0, 0}}), {kGreen}},
        {"OS/2 Huffman code", Cat({DibHeader(64, 1, 1, 1, 3), kPalette, {0, 0, 0, 0}}), {}},
        {"header of no known version", Cat({DibHeader(100, 1, 1, 24, 0), {0, 0, 255, 0}}), {}},
        {"bit fields without masks", Cat({DibHeader(48, 1, 1, 32, 6), {0, 0, 255, 0}}), {}},
        {"run-length data of one byte", Cat({DibHeader(40, 1, 1, 8, 1, 1), {0, 0, 0, 0}, {1}}), {}},
    };
    for (const Case& c : cases) {
        PixelBlock p;
        const bool ok = CDibReader::ReadPacked(c.dib.data(), c.dib.size(), CDibReader::kRgbColours, p);
        ASSERT_EQ(ok, !c.top.empty()) << c.name;
        for (std::size_t x = 0; x < c.top.size(); ++x)
            EXPECT_EQ(p.GetColour(std::int32_t(x), p.Height() - 1), c.top[x]) << c.name << " pixel " << x;
    }
}

} // namespace
