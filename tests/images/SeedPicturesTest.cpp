// The fuzz seeds of fuzz/corpus/image_any hold the same twelve pixels in every lossless
// format (scripts/make-image-seeds.py makes them): every decoder must give exactly those
// pixels, the right way up, whatever route the file takes through Load.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "images/DecoderKit.h"
#include "images/DecoderTable.h"
#include "images/RasterImage.h"

namespace {

const std::string kSeeds = SLEEVIT_SOURCE_DIR "/fuzz/corpus/image_any/";

// The picture the seeds were made from, 0xRRGGBB, four by three, top row first; and its
// one-bit version: white where the pixel is bright (red + green + blue >= 384).
const std::vector<std::uint32_t> kPixels = {0xff0000, 0x00ff00, 0x0000ff, 0xffffff, 0x000000, 0x808080,
                                            0xffff00, 0x00ffff, 0x0a141e, 0xc86432, 0xff00ff, 0x3c3c3c};
const std::vector<std::uint32_t> kOneBit = {0,        0,        0, 0xffffff, 0,        0xffffff,
                                            0xffffff, 0xffffff, 0, 0,        0xffffff, 0};

TEST(SeedPictures, EveryLosslessFormatGivesTheSamePixels)
{
    for (const std::string file : {"rgb24_4x3.bmp", "pal8_4x3.bmp", "pal8_rle_4x3.bmp", "rgb_4x3.png",
                                   "plain_4x3.gif", "interlaced_trans_4x3.gif", "rgb_bottom_4x3.tga",
                                   "rgb_rle_top_4x3.tga", "pal8_4x3.pcx", "rgb24_4x3.ico", "mono_4x3.wbmp"}) {
        CRasterImage image;
        // Type 0: the trial order must find the right decoder by content alone.
        ASSERT_TRUE(image.Load(kSeeds + file, kImageAny)) << file << ": " << image.GetLastError();
        EXPECT_EQ(image.GetType(), TypeFromFileName(file))
            << file << ": read by " << DecoderName(image.GetType());
        EXPECT_EQ(image.GetLoadNotice(), "") << file << " loads whole";
        EXPECT_EQ(std::to_string(image.GetWidth()) + "x" + std::to_string(image.GetHeight()), "4x3") << file;
        EXPECT_EQ(kit::Colours(image.Pixels()), TypeFromFileName(file) == kImageWbmp ? kOneBit : kPixels)
            << file;
    }
}

} // namespace
