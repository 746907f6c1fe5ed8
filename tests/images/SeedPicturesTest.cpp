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
    const struct {
        const char* file;
        int type; // the decoder that must read it
        bool oneBit;
    } cases[] = {
        {"rgb24_4x3.bmp", kImageBmp, false},      {"pal8_4x3.bmp", kImageBmp, false},
        {"pal8_rle_4x3.bmp", kImageBmp, false},   {"rgb_4x3.png", kImagePng, false},
        {"plain_4x3.gif", kImageGif, false},      {"interlaced_trans_4x3.gif", kImageGif, false},
        {"rgb_bottom_4x3.tga", kImageTga, false}, {"rgb_rle_top_4x3.tga", kImageTga, false},
        {"pal8_4x3.pcx", kImagePcx, false},       {"rgb24_4x3.ico", kImageIco, false},
        {"mono_4x3.wbmp", kImageWbmp, true},
    };
    for (const auto& c : cases) {
        CRasterImage image;
        // Type 0: the trial order must find the right decoder by content alone.
        ASSERT_TRUE(image.Load(kSeeds + c.file, kImageAny)) << c.file << ": " << image.GetLastError();
        EXPECT_EQ(image.GetType(), c.type) << c.file << ": read by " << DecoderName(image.GetType());
        EXPECT_EQ(image.GetLoadNotice(), "") << c.file << " loads whole";
        EXPECT_EQ(std::to_string(image.GetWidth()) + "x" + std::to_string(image.GetHeight()), "4x3")
            << c.file;
        EXPECT_EQ(kit::Colours(image.Pixels()), c.oneBit ? kOneBit : kPixels) << c.file;
    }
}

} // namespace
