// The comparison helpers the decoder tests rely on: if these are wrong, every golden and
// differential test is wrong with them.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "images/CorpusManifest.h"
#include "images/ImageDiff.h"
#include "surfaces/PixelBlock.h"

namespace {

std::vector<std::uint8_t> Bytes(const std::string& header, const std::vector<int>& samples)
{
    std::vector<std::uint8_t> out(header.begin(), header.end());
    for (int s : samples)
        out.push_back(static_cast<std::uint8_t>(s));
    return out;
}

TEST(ImageDiff, ReadsEightBitPpmAndRefusesTheRest)
{
    RgbPicture pic;
    std::string error;
    ASSERT_TRUE(ReadPnm(Bytes("P6\n# made by hand\n2 1\n255\n", {1, 2, 3, 250, 251, 252, 9}), pic, error))
        << error;
    EXPECT_EQ(pic.width, 2);
    EXPECT_EQ(pic.height, 1);
    EXPECT_EQ(pic.rgb, (std::vector<std::uint8_t>{1, 2, 3, 250, 251, 252})) << "trailing bytes ignored";
    const struct {
        const char* name;
        std::vector<std::uint8_t> file;
    } cases[] = {
        {"plain-text P3", Bytes("P3 1 1 255\n1 2 3\n", {})},
        {"grey P5", Bytes("P5 1 1 255\n", {1})},
        {"samples cut short", Bytes("P6 2 2 255\n", {1, 2, 3, 4, 5, 6})},
        {"zero width", Bytes("P6 0 2 255\n", {})},
        {"16-bit samples", Bytes("P6 1 1 65535\n", {1, 2, 3, 4, 5, 6})},
        {"no space before the samples", Bytes("P6 1 1 255", {})},
        {"empty", {}},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(ReadPnm(c.file, pic, error)) << c.name << ": have success, want a refusal";
        EXPECT_FALSE(error.empty()) << c.name;
    }
}

TEST(ImageDiff, ComparesChannelByChannel)
{
    const RgbPicture want{2, 2, {10, 10, 10, 0, 0, 0, 255, 255, 255, 5, 5, 5}};
    RgbPicture have = want;
    ImageDifference same = CompareRgb(have, want);
    EXPECT_TRUE(same.sameSize);
    EXPECT_EQ(same.maxChannelDiff, 0);
    EXPECT_EQ(same.sumChannelDiff, 0u);
    EXPECT_EQ(same.differingPixels, 0u);

    have.rgb[4] = 3;   // pixel (1, 0), green: 3 off
    have.rgb[9] = 0;   // pixel (1, 1), red: 5 off
    have.rgb[11] = 12; // pixel (1, 1), blue: 7 off
    const ImageDifference d = CompareRgb(have, want);
    EXPECT_EQ(d.maxChannelDiff, 7);
    EXPECT_EQ(d.sumChannelDiff, 15u);
    EXPECT_EQ(d.differingPixels, 2u);
    EXPECT_EQ(d.firstX, 1);
    EXPECT_EQ(d.firstY, 0);
    EXPECT_DOUBLE_EQ(d.MeanChannelDiff(2, 2), 15.0 / 12.0);

    const RgbPicture other{1, 4, want.rgb};
    EXPECT_FALSE(CompareRgb(other, want).sameSize) << "same byte count, other shape";
}

TEST(ImageDiff, TurnsPixelBlocksIntoTopDownRgb)
{
    std::string error;
    PixelBlock pal;
    ASSERT_TRUE(pal.Create(3, 2, 4, error)) << error;
    pal.Palette()[0] = RgbQuad{0, 0, 0, 0};
    pal.Palette()[1] = RgbQuad{30, 20, 10, 0}; // blue, green, red
    pal.Palette()[2] = RgbQuad{0, 0, 255, 0};
    // Bottom row: 1 2 1 (nibbles 0x12, 0x10); top row: 2 0 15 (15 lies past the three colours set, still in
    // the 16-entry palette, so it is black).
    pal.Row(0)[0] = 0x12;
    pal.Row(0)[1] = 0x10;
    pal.Row(1)[0] = 0x20;
    pal.Row(1)[1] = 0xF0;
    const RgbPicture rgb = ToRgb(pal);
    const std::vector<std::uint8_t> want = {255, 0,  0,  0,   0, 0, 0,  0,  0, // top row
                                            10,  20, 30, 255, 0, 0, 10, 20, 30};
    EXPECT_EQ(rgb.rgb, want);
    const RgbPicture clear = ToRgb(pal, 2); // index 2 is transparent: white
    EXPECT_EQ(clear.rgb[0], 255);
    EXPECT_EQ(clear.rgb[1], 255);
    EXPECT_EQ(clear.rgb[12], 255);
    EXPECT_EQ(clear.rgb[13], 255);

    PixelBlock rgbBlock;
    ASSERT_TRUE(rgbBlock.Create(1, 2, 24, error)) << error;
    const std::uint8_t bottom[3] = {1, 2, 3}, top[3] = {4, 5, 6}; // blue, green, red
    std::copy(bottom, bottom + 3, rgbBlock.Row(0));
    std::copy(top, top + 3, rgbBlock.Row(1));
    EXPECT_EQ(ToRgb(rgbBlock).rgb, (std::vector<std::uint8_t>{6, 5, 4, 3, 2, 1}));
    // The CRC covers exactly the packed rows: a known value of zlib's CRC-32.
    EXPECT_EQ(RgbCrc32(RgbPicture{1, 2, {'1', '2', '3', '4', '5', '6'}}), 0x0972d361u);
}

// Every row of a sample corpus is read as its last cell says: the status, the size rule,
// and the reference renderings found beside the file or above it.
TEST(CorpusManifest, ReadsTheSampleCorpusAsItsLastCellsSay)
{
    const std::string root = SLEEVIT_SOURCE_DIR "/tests/images/data/corpus-sample";
    std::ifstream in(root + "/fmt/MANIFEST.md");
    ASSERT_TRUE(in) << "no " << root << "/fmt/MANIFEST.md";
    std::vector<std::string> want;
    for (std::string line; std::getline(in, line);) {
        const std::size_t at = line.find("| want: ");
        if (at != std::string::npos && line.compare(at, 10, "| want: - ") != 0)
            want.push_back(line.substr(at + 8, line.rfind(" |") - at - 8));
    }
    std::vector<std::string> have;
    const char* const rules[] = {"none", "exact", "largest", "aspect"};
    const char* const statuses[] = {"valid", "valid-but-odd", "invalid"};
    for (const CorpusEntry& e : LoadCorpus(root)) {
        std::string text = e.path + " " + statuses[int(e.status)] + " " + rules[int(e.rule)];
        if (e.rule != SizeRule::kNone)
            text += " " + std::to_string(e.width) + "x" + std::to_string(e.height);
        for (const std::string& r : e.references)
            text += " " + r;
        have.push_back(text);
    }
    EXPECT_EQ(have, want);
}

} // namespace
