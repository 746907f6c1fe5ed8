// JPEG files whose decoding waits until their pixels are needed: they must end up with
// exactly the pixels of a decode at load, whatever was done to them meanwhile, and files
// that are not whole must still be decoded (and found wanting) at load.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "DataLines.h"
#include "ScratchFolder.h"
#include "images/DecoderKit.h"
#include "images/RasterImage.h"
#include "surfaces/PixelBlock.h"

namespace {

const std::string kFolder = std::string(SLEEVIT_SHARED_DIR) + "/corpus/jpeg/exif-orientation/";

const std::string kCases = SLEEVIT_SOURCE_DIR "/tests/images/data/deferred-jpeg.txt";

// Each "turns" line: a corpus file and the turns applied before the pixels are first wanted.
TEST(DeferredJpeg, PixelsMatchADecodeAtLoadAfterAnyQuarterTurns)
{
    int cases = 0;
    for (const std::string& line : ReadDataLines(kCases)) {
        std::istringstream in(line);
        std::string verb, file;
        in >> verb >> file;
        if (verb != "turns")
            continue;
        SCOPED_TRACE(line);
        ++cases;
        const std::string path = kFolder + file;
        if (!std::filesystem::exists(path))
            GTEST_SKIP() << "no " << path;
        const std::string bytes = ReadBytes(path);
        CRasterImage now; // from memory: decoded at once
        ASSERT_TRUE(now.LoadMemory(bytes.data(), bytes.size(), kImageJpeg));
        ASSERT_TRUE(now.IsDecoded());
        CRasterImage later;
        ASSERT_TRUE(later.Load(path, kImageJpeg));
        EXPECT_FALSE(later.IsDecoded());
        for (float t = 0; in >> t;) {
            ASSERT_TRUE(now.Rotate(t));
            ASSERT_TRUE(later.Rotate(t));
        }
        EXPECT_FALSE(later.IsDecoded()) << "quarter turns need no pixels";
        EXPECT_EQ(
            (std::array{later.GetWidth(), later.GetHeight(), later.GetBpp(), later.GetXDpi(),
                        later.QuarterTurns()}),
            (std::array{now.GetWidth(), now.GetHeight(), now.GetBpp(), now.GetXDpi(), now.QuarterTurns()}))
            << "width, height, bits, resolution, turns";
        CRasterImage copy;
        copy.Copy(later);
        const std::vector<std::uint32_t> want = kit::Colours(now.Pixels());
        EXPECT_TRUE(kit::Colours(later.Pixels()) == want);
        EXPECT_TRUE(kit::Colours(copy.Pixels()) == want) << "a copy of a waiting picture";
        EXPECT_TRUE(later.JpegData() != nullptr);
    }
    EXPECT_EQ(cases, 6);
}

// Files that are not whole are decoded at load, as before, so that a load fails or
// reports what is missing there; nothing about them is put off.
TEST(DeferredJpeg, FilesThatAreNotWholeAreDecodedAtLoad)
{
    const std::string path = kFolder + "Landscape_1.jpg";
    if (!std::filesystem::exists(path))
        GTEST_SKIP() << "no " << path;
    const std::string bytes = ReadBytes(path);
    // The frame header's height and width, after the SOF0 marker's length and precision.
    const std::size_t sof = bytes.find("\xFF\xC0", 2);
    ASSERT_NE(sof, std::string::npos);
    std::string lying = bytes;
    lying[sof + 5] = lying[sof + 7] = '\x7D'; // 32000 x 32000 and more
    const struct {
        const char* name;
        std::string data;
    } cases[] = {
        {"cut at 45%", bytes.substr(0, bytes.size() * 45 / 100)},
        {"cut just before its end marker", bytes.substr(0, bytes.size() - 2)},
        {"a frame far larger than its data", lying},
        {"no scan data", bytes.substr(0, bytes.find("\xFF\xDA") + 20)},
    };
    ScratchFolder folder;
    for (const auto& c : cases) {
        CRasterImage image;
        const std::string file = folder.Write("cover.jpg", c.data);
        if (image.Load(file, kImageJpeg)) {
            EXPECT_TRUE(image.IsDecoded()) << c.name;
        }
        EXPECT_TRUE(image.JpegData() == nullptr) << c.name;
    }
}

// The screen's reduced decode: the smallest DCT scale that still gives a source pixel for
// every pixel shown, turned like the picture, with the source rectangle scaled to it.
TEST(DeferredJpeg, ScreenPixelsComeFromAScaledDecode)
{
    const std::string path = kFolder + "Landscape_1.jpg"; // 1800 x 1200
    if (!std::filesystem::exists(path))
        GTEST_SKIP() << "no " << path;
    CRasterImage image;
    ASSERT_TRUE(image.Load(path, kImageJpeg));
    // Each "screen" line: the size shown and the source rectangle asked for, then the size
    // of the block drawn from and the source rectangle in it.
    int cases = 0;
    for (const std::string& line : ReadDataLines(kCases)) {
        int v[12] = {};
        if (std::sscanf(line.c_str(), "screen %d %d %d %d %d %d : %d %d %d %d %d %d", &v[0], &v[1], &v[2],
                        &v[3], &v[4], &v[5], &v[6], &v[7], &v[8], &v[9], &v[10], &v[11]) != 12)
            continue;
        ++cases;
        const PixelBlock& block = image.ScreenPixels(v[0], v[1], v[2], v[3], v[4], v[5]);
        EXPECT_EQ((std::array{block.Width(), block.Height(), v[2], v[3], v[4], v[5]}),
                  (std::array{v[6], v[7], v[8], v[9], v[10], v[11]}))
            << line;
    }
    EXPECT_EQ(cases, 6);
    // A turn turns the reduced picture too; its colours follow the full one's.
    ASSERT_TRUE(image.Rotate(90.0f));
    int sx = 0, sy = 0, sw = 1200, sh = 1800;
    const PixelBlock& turned = image.ScreenPixels(150, 225, sx, sy, sw, sh);
    ASSERT_EQ(turned.Width(), 150);
    ASSERT_EQ(turned.Height(), 225);
    const PixelBlock& full = image.Pixels();
    for (int y = 4; y < 225; y += 37)
        for (int x = 4; x < 150; x += 29) {
            // A reduced pixel stands for the mean of its 8 x 8 block.
            const std::uint32_t a = turned.GetColour(x, y);
            for (int k = 0; k < 24; k += 8) {
                int sum = 0;
                for (int j = 0; j < 64; ++j)
                    sum += int((full.GetColour(x * 8 + j % 8, y * 8 + j / 8) >> k) & 0xFF);
                EXPECT_NEAR(int((a >> k) & 0xFF), sum / 64, 16) << x << ", " << y;
            }
        }
}

} // namespace
