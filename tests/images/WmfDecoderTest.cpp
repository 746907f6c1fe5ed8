#include <gtest/gtest.h>

#include "MetafileBuilder.h"
#include "images/DecoderKit.h"

using namespace testmf;

namespace {

kit::Decoded Decode(const Bytes& file)
{
    return kit::Decode(kImageWmf, file);
}

constexpr std::uint32_t kBlack = 0; // colours as the files store them: 0x00BBGGRR

// The picture cases (shapes, mapping, objects, embedded pictures of every depth and
// coding, malformed and hostile records) are files in tests/images/cases/wmf; the
// files here are too large to keep.

TEST(WmfDecoder, ManyHugeShapesCostBoundedTime)
{
    // 20000 hatched rectangles over a 4096 x 4096 picture would be 3 * 10^11 pixel
    // writes; the work budget stops drawing long before.
    Wmf w;
    w.Brush(2, kBlack, 5).Select(0);
    for (int i = 0; i < 20000; ++i)
        w.Rectangle(0, 0, 4096, 4096);
    // Without the budget this would run for hours; the test's time limit catches that.
    const kit::Decoded r = Decode(w.Placeable(0, 0, 4096, 4096, 96));
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.image.pixels.Width(), 4096);
}

TEST(WmfDecoder, ManyRunLengthPicturesCostBoundedTime)
{
    // Each picture is 1024 x 1024 pixels from a few bytes of run-length data; reading
    // 20000 of them would be 2 * 10^10 pixels, but reading is charged to the budget.
    Bytes rle = DibHeader(40, 1024, 1024, 8, 1);
    rle.insert(rle.end(), {0, 1}); // end of picture
    Wmf w;
    for (int i = 0; i < 20000; ++i)
        w.StretchDib(0, 0, 8, 8, 0, 0, 1024, 1024, rle);
    const kit::Decoded r = Decode(w.Placeable(0, 0, 8, 8, 96));
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.image.pixels.Width(), 8);
}

} // namespace
