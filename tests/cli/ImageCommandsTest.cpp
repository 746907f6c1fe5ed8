// sleevit-cli info --crc and decode on a picture whose every pixel differs, so that a row
// or channel mix-up cannot go unseen.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <zlib.h>

#include "RunProgram.h"
#include "ScratchFolder.h"
#include "images/ImageDiff.h"

namespace {

const std::string kBmp = SLEEVIT_SOURCE_DIR "/tests/cli/data/cover.bmp";
// data/cover.bmp: three by two, top row first.
const std::vector<std::uint8_t> kPixels = {
    255, 0,  0,  0,   255, 0,   0, 0, 255, // top row: red, green, blue
    10,  20, 30, 200, 150, 100, 1, 2, 3    // bottom row
};

TEST(ImageCommands, InfoCrcIsTheCrcOfTheTopDownRgbRows)
{
    const ProgramResult r = RunProgram(SLEEVIT_CLI " info --crc " + kBmp);
    ASSERT_EQ(r.status, 0) << r.err;
    char want[16];
    std::snprintf(want, sizeof want, "\t%08x\n",
                  std::uint32_t(crc32(crc32(0L, Z_NULL, 0), kPixels.data(), uInt(kPixels.size()))));
    EXPECT_EQ(r.out, kBmp + "\t3\t2\t24\tBMP" + want);
}

TEST(ImageCommands, DecodeWritesTheTopRowFirst)
{
    ScratchFolder folder;
    const std::string ppm = folder.File("cover.ppm");
    const ProgramResult r = RunProgram(SLEEVIT_CLI " decode " + kBmp + " " + ppm);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    RgbPicture pic;
    std::string error;
    ASSERT_TRUE(ReadPnmFile(ppm, pic, error)) << error;
    EXPECT_EQ(pic.width, 3);
    EXPECT_EQ(pic.height, 2);
    EXPECT_EQ(pic.rgb, kPixels);
    // Exactly a P6 header and the samples: nothing after them.
    EXPECT_EQ(std::filesystem::file_size(ppm), std::string("P6\n3 2\n255\n").size() + kPixels.size());
}

} // namespace
