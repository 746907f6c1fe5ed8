// Metafiles too large to keep as case files (those are tests/images/cases/wmf), and a
// bitmap of an odd number of bytes, which no metafile record (a whole number of words)
// can hold, read by the bitmap reader directly.
#include <gtest/gtest.h>

#include "MetafileBuilder.h"
#include "images/DecoderKit.h"
#include "images/DibReader.h"

using namespace testmf;

namespace {

TEST(WmfDecoder, ManyHugeShapesOrRunLengthPicturesCostBoundedTime)
{
    // 20000 hatched rectangles over a 4096 x 4096 picture would be 3 * 10^11 pixel
    // writes; the work budget stops drawing long before. Without the budget this would
    // run for hours; the test's time limit catches that.
    Wmf shapes;
    shapes.Brush(2, 0, 5).Select(0);
    for (int i = 0; i < 20000; ++i)
        shapes.Rectangle(0, 0, 4096, 4096);
    kit::Decoded r = kit::Decode(kImageWmf, shapes.Placeable(0, 0, 4096, 4096, 96));
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.image.pixels.Width(), 4096);
    // Each picture is 1024 x 1024 pixels from a few bytes of run-length data; reading
    // 20000 of them would be 2 * 10^10 pixels, but reading is charged to the budget.
    Bytes rle = DibHeader(40, 1024, 1024, 8, 1);
    rle.insert(rle.end(), {0, 1}); // end of picture
    Wmf pictures;
    for (int i = 0; i < 20000; ++i)
        pictures.StretchDib(0, 0, 8, 8, 0, 0, 1024, 1024, rle);
    r = kit::Decode(kImageWmf, pictures.Placeable(0, 0, 8, 8, 96));
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.image.pixels.Width(), 8);
}

TEST(DibReader, RunLengthDataOfOneByteIsRefused)
{
    Bytes dib = DibHeader(40, 1, 1, 8, 1, 1);
    dib.insert(dib.end(), {0, 0, 0, 0, 1});
    PixelBlock p;
    EXPECT_FALSE(CDibReader::ReadPacked(dib.data(), dib.size(), CDibReader::kRgbColours, p));
    EXPECT_FALSE(p.IsValid());
}

} // namespace
