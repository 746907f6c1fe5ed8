// The PNG decoder from a file stream; the colour types, depths, transparency,
// resolution and hostile-file cases are files in tests/images/cases/png.
#include <gtest/gtest.h>

#include "images/DecoderKit.h"

namespace {

TEST(PngDecoder, FileStreamGivesTheSamePixels)
{
    // 16-bit noise: many chunks of image data, read in pieces from the file.
    const kit::Bytes file =
        kit::ReadBytes(SLEEVIT_SOURCE_DIR "/tests/images/cases/large/noise_16_bits_160x70.png");
    ASSERT_GT(file.size(), 60000u);
    const kit::Decoded fromFile = kit::DecodeFromFile(kImagePng, file);
    ASSERT_TRUE(fromFile.ok) << fromFile.error;
    const kit::Decoded fromMemory = kit::Decode(kImagePng, file);
    ASSERT_TRUE(fromMemory.ok) << fromMemory.error;
    EXPECT_EQ(kit::Colours(fromFile.image.pixels), kit::Colours(fromMemory.image.pixels));
}

} // namespace
