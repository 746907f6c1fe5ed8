// The comparison helpers the decoder tests rely on: if these are wrong, every golden and
// differential test is wrong with them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

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

TEST(CorpusManifest, ReadsTableRowsAndSizeRules)
{
    const std::string text =
        "# Title\n\n| File | Status | Expected size | Notes | Observed |\n|---|---|---|---|---|\n"
        "| `a/ok.bmp` | valid | 127x64 | plain | IM6: 127x64 |\n"
        "| `a/bad.bmp` | invalid | n/a (header claims 127x64) | broken | IM6 |\n"
        "| `a/turned.jpg` | valid | stored 2x1 -> displayed 1x2 | EXIF | IM6 |\n"
        "| `a/multi.ico` | valid | largest 256x256 | icons | x |\n"
        "| `a/png.ico` | valid | 16x16 PNG 32-bit | icon | x |\n"
        "| `a/pic.wmf` | valid | 1905x692 units; inch=575 3.31x1.20in | wmf | x |\n"
        "| `a/empty.emf` | valid-but-odd | 0x0 dev-px bounds; frame=1x1mm | emf | x |\n"
        "| `a/odd.wmf` | valid-but-odd | no placeable header (size from records) | x | x |\n"
        "| `a/unknown.bmp` | maybe | 1x1 | not a status | x |\n"
        "| plain | valid | 1x1 | no backticks | x |\n";
    const std::vector<CorpusEntry> got = ParseManifest(text, "fmt");
    struct Want {
        const char* path;
        CorpusStatus status;
        SizeRule rule;
        std::int32_t w, h;
    };
    const Want want[] = {
        {"fmt/a/ok.bmp", CorpusStatus::kValid, SizeRule::kExact, 127, 64},
        {"fmt/a/bad.bmp", CorpusStatus::kInvalid, SizeRule::kNone, 0, 0},
        {"fmt/a/turned.jpg", CorpusStatus::kValid, SizeRule::kExact, 1, 2},
        {"fmt/a/multi.ico", CorpusStatus::kValid, SizeRule::kLargest, 256, 256},
        {"fmt/a/png.ico", CorpusStatus::kValid, SizeRule::kExact, 16, 16},
        {"fmt/a/pic.wmf", CorpusStatus::kValid, SizeRule::kAspect, 1905, 692},
        {"fmt/a/empty.emf", CorpusStatus::kOdd, SizeRule::kNone, 0, 0},
        {"fmt/a/odd.wmf", CorpusStatus::kOdd, SizeRule::kNone, 0, 0},
    };
    ASSERT_EQ(got.size(), std::size(want));
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].path, want[i].path);
        EXPECT_EQ(got[i].status, want[i].status) << want[i].path;
        EXPECT_EQ(got[i].rule, want[i].rule) << want[i].path << ": " << got[i].sizeText;
        if (want[i].rule != SizeRule::kNone) {
            EXPECT_EQ(got[i].width, want[i].w) << want[i].path;
            EXPECT_EQ(got[i].height, want[i].h) << want[i].path;
        }
    }
}

} // namespace

namespace {

TEST(CorpusManifest, FindsReferenceRenderingsBesideTheFileOrAbove)
{
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / ("sleevit-manifest-" + std::to_string(::getpid()));
    fs::create_directories(root / "fmt/set/g");
    fs::create_directories(root / "fmt/set/ref");
    fs::create_directories(root / "fmt/other/common/ref");
    for (const char* f : {"fmt/set/ref/a.png", "fmt/set/ref/b-v.png", "fmt/set/ref/b-e.png",
                          "fmt/other/common/ref/c.png", "fmt/set/ref/d.jpg"})
        std::ofstream(root / f) << "x";
    const std::string text = "| `set/g/a.bmp` | valid | 1x1 | shown [ref: ref/a.png] | x |\n"
                             "| `set/g/b.bmp` | valid | 1x1 | two [ref: ref/b-v.png, ref/b-e.png] | x |\n"
                             "| `other/c.tga` | valid | 1x1 | should equal common/ref/c.png. | x |\n"
                             "| `set/d.bmp` | valid | 1x1 | reference ref/d.jpg. | x |\n"
                             "| `set/e.bmp` | valid | 1x1 | [ref: ref/missing.png] | x |\n"
                             "| `set/f.bmp` | valid | 1x1 | in ref/ folders | x |\n";
    const std::vector<CorpusEntry> got = ParseManifest(text, "fmt", root.string());
    fs::remove_all(root);
    const std::vector<std::vector<std::string>> want = {
        {"fmt/set/ref/a.png"},
        {"fmt/set/ref/b-v.png", "fmt/set/ref/b-e.png"},
        {"fmt/other/common/ref/c.png"},
        {"fmt/set/ref/d.jpg"},
        {},
        {},
    };
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i)
        EXPECT_EQ(got[i].references, want[i]) << got[i].path;
}

} // namespace
