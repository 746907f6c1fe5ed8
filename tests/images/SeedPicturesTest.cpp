// The fuzz seeds of fuzz/corpus/image_any hold the same twelve pixels in every lossless
// format (scripts/make-image-seeds.py makes them): every decoder must give exactly those
// pixels, the right way up, whatever route the file takes through Load.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "images/DecoderTable.h"
#include "images/ImageDiff.h"
#include "images/RasterImage.h"

namespace {

const std::string kSeeds = SLEEVIT_SOURCE_DIR "/fuzz/corpus/image_any/";

// The picture the seeds were made from: four by three, top row first.
const std::vector<std::uint8_t> kPixels = {
    255, 0,  0,  0,   255, 0,   0,   0,   255, 255, 255, 255, //
    0,   0,  0,  128, 128, 128, 255, 255, 0,   0,   255, 255, //
    10,  20, 30, 200, 100, 50,  255, 0,   255, 60,  60,  60,
};

// The one-bit version: white where the pixel is bright (red + green + blue >= 384).
std::vector<std::uint8_t> Thresholded()
{
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i < kPixels.size(); i += 3) {
        const int sum = kPixels[i] + kPixels[i + 1] + kPixels[i + 2];
        const std::uint8_t v = sum >= 384 ? 255 : 0;
        out.insert(out.end(), {v, v, v});
    }
    return out;
}

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
        const RgbPicture have = ToRgb(image.Pixels());
        EXPECT_EQ(std::to_string(have.width) + "x" + std::to_string(have.height), "4x3") << c.file;
        EXPECT_EQ(have.rgb, c.oneBit ? Thresholded() : kPixels) << c.file;
    }
}

} // namespace
