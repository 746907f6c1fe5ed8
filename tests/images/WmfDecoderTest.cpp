// Metafiles too large to keep as case files (those are tests/images/cases/wmf), built
// here record by record, and a bitmap of an odd number of bytes, which no metafile
// record (a whole number of words) can hold, read by the bitmap reader directly.
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "images/DecoderKit.h"
#include "images/DibReader.h"

namespace {

using kit::Bytes;

// Each value as size little-endian bytes.
void Put(Bytes& b, int size, std::initializer_list<std::int64_t> values)
{
    for (const std::int64_t v : values)
        for (int i = 0; i < size; ++i)
            b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// A bitmap info header of 40 bytes.
Bytes DibHeader(std::int32_t w, std::int32_t h, int bpp, std::uint32_t compression, std::uint32_t colours = 0)
{
    Bytes b;
    Put(b, 4, {40, w, h});
    Put(b, 2, {1, bpp});
    Put(b, 4, {compression, 0, 0, 0, colours, 0});
    return b;
}

// A record of the 16-bit format: its size in words, its function, its parameters (16-bit
// words in the order the file stores them, the reverse of the drawing call's arguments).
void Record(Bytes& records, std::uint16_t function, const Bytes& params)
{
    Put(records, 4, {std::int64_t(3 + params.size() / 2)});
    Put(records, 2, {function});
    records.insert(records.end(), params.begin(), params.end());
}

// The metafile of a placeable header with its box (0, 0, side, side) at 96 units an
// inch, then the header, the records and the end record.
kit::Decoded DecodeMetafile(int side, const Bytes& records)
{
    Bytes f;
    Put(f, 4, {0x9AC6CDD7});
    Put(f, 2, {0, 0, 0, side, side, 96, 0, 0, 0}); // reserved words and checksum (not checked) zero
    Put(f, 2, {1, 9, 0x0300});
    Put(f, 4, {std::int64_t(18 + records.size() + 6) / 2});
    Put(f, 2, {16, 0, 0, 0}); // 16 objects
    f.insert(f.end(), records.begin(), records.end());
    Put(f, 2, {3, 0, 0});
    return kit::Decode(kImageWmf, f);
}

TEST(WmfDecoder, ManyHugeShapesOrRunLengthPicturesCostBoundedTime)
{
    // 20000 hatched rectangles over a 4096 x 4096 picture would be 3 * 10^11 pixel
    // writes; the work budget stops drawing long before. Without the budget this would
    // run for hours; the test's time limit catches that.
    Bytes shapes, params;
    Put(params, 2, {2, 0, 0, 5}); // a hatched black brush
    Record(shapes, 0x02FC, params);
    Record(shapes, 0x012D, {0, 0}); // selected
    for (int i = 0; i < 20000; ++i)
        Record(shapes, 0x041B, {0, 16, 0, 16, 0, 0, 0, 0}); // rectangle (0, 0, 4096, 4096)
    kit::Decoded r = DecodeMetafile(4096, shapes);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.image.pixels.Width(), 4096);
    // Each picture is 1024 x 1024 pixels from a few bytes of run-length data; reading
    // 20000 of them would be 2 * 10^10 pixels, but reading is charged to the budget.
    Bytes pictures, stretch;
    Put(stretch, 4, {0x00CC0020});                      // a plain copy
    Put(stretch, 2, {0, 1024, 1024, 0, 0, 8, 8, 0, 0}); // colours as colours, source, destination
    const Bytes dib = DibHeader(1024, 1024, 8, 1);
    stretch.insert(stretch.end(), dib.begin(), dib.end());
    stretch.insert(stretch.end(), {0, 1}); // the picture's end
    for (int i = 0; i < 20000; ++i)
        Record(pictures, 0x0F43, stretch);
    r = DecodeMetafile(8, pictures);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.image.pixels.Width(), 8);
}

TEST(DibReader, RunLengthDataOfOneByteIsRefused)
{
    Bytes dib = DibHeader(1, 1, 8, 1, 1);
    dib.insert(dib.end(), {0, 0, 0, 0, 1});
    PixelBlock p;
    EXPECT_FALSE(CDibReader::ReadPacked(dib.data(), dib.size(), CDibReader::kRgbColours, p));
    EXPECT_FALSE(p.IsValid());
}

} // namespace
