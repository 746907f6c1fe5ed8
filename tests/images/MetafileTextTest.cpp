#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "MetafileBuilder.h"
#include "images/DecoderKit.h"
#include "images/WmfDecoder.h"

using namespace testmf;

namespace {

constexpr std::uint32_t kRed = Rgb(255, 0, 0);
constexpr std::uint32_t kGreen = Rgb(0, 255, 0);
constexpr std::uint32_t kWhite = Rgb(255, 255, 255);
const std::string kFace = "DejaVu Sans";

// The pixels text left on a white picture: their box (right and bottom exclusive),
// how many, and how many are exactly of a colour.
struct Ink {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
    int count = 0;
    int red = 0;
    int green = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

Ink InkOf(const Bytes& file)
{
    CMemoryStream in(file.data(), file.size());
    DecodedImage image;
    std::string error;
    Ink ink;
    EXPECT_TRUE(CWmfDecoder::Decode(in, image, error)) << error;
    const PixelBlock& p = image.pixels;
    for (int y = 0; y < p.Height(); ++y) {
        for (int x = 0; x < p.Width(); ++x) {
            const std::uint32_t c = p.GetColour(x, p.Height() - 1 - y);
            if (c == kWhite)
                continue;
            ink.left = std::min(ink.left, x);
            ink.top = std::min(ink.top, y);
            ink.right = std::max(ink.right, x + 1);
            ink.bottom = std::max(ink.bottom, y + 1);
            ++ink.count;
            ink.red += c == kRed;
            ink.green += c == kGreen;
        }
    }
    return ink;
}

// A 300 x 100 picture in either format with a 20-pixel em font in red at transparent
// background, then whatever the case adds.
Bytes WmfText(const std::function<void(Wmf&)>& add, int escapement = 0, bool underline = false)
{
    Wmf w;
    w.Font(-20, escapement, 400, underline, 0, kFace).Select(0);
    w.Rec(0x0209, {int(kRed & 0xFFFF), int(kRed >> 16)}).Rec(0x0102, {1});
    add(w);
    return w.Placeable(0, 0, 300, 100, 96);
}

// A file of the enhanced format in tests/images/metafile-text: a 300 x 100 picture with a
// 20-pixel em font in red at transparent background, and its text records.
Bytes EmfFile(const std::string& name)
{
    return kit::ReadBytes(SLEEVIT_SOURCE_DIR "/tests/images/metafile-text/" + name);
}

TEST(MetafileText, EveryTextRecordDrawsItsTextInTheTextColour)
{
    struct Case {
        const char* name;
        Bytes file;
    };
    const Case cases[] = {
        {"16-bit text out", WmfText([](Wmf& w) { w.TextOut(50, 30, "Hello"); })},
        {"16-bit extended text out", WmfText([](Wmf& w) { w.ExtTextOut(50, 30, 0, {}, "Hello"); })},
        {"enhanced, wide", EmfFile("hello_extended_wide.emf")},
        {"enhanced, 8-bit", EmfFile("hello_extended_8_bit.emf")},
        {"enhanced small, wide", EmfFile("hello_small_wide.emf")},
        {"enhanced small, 8-bit", EmfFile("hello_small_8_bit.emf")},
        {"enhanced poly text out", EmfFile("hello_poly_text_out.emf")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Ink ink = InkOf(c.file);
        // Top-aligned at (50, 30): five letters of a 20-pixel em below and right of it.
        EXPECT_GE(ink.left, 50);
        EXPECT_LE(ink.left, 54);
        EXPECT_GE(ink.top, 30);
        EXPECT_LE(ink.top, 36);
        EXPECT_GT(ink.Width(), 45);
        EXPECT_LT(ink.Width(), 75);
        EXPECT_GT(ink.Height(), 12);
        EXPECT_LT(ink.Height(), 20);
        EXPECT_GT(ink.red, 30) << "stems fully covered in the text colour";
    }
}

TEST(MetafileText, AlignmentMovesTheTextAroundItsReferencePoint)
{
    const auto aligned = [](int align) {
        return InkOf(WmfText([align](Wmf& w) { w.Rec(0x012E, {align}).TextOut(150, 50, "HHHH"); }));
    };
    const Ink left = aligned(0);
    const Ink right = aligned(2);
    const Ink centre = aligned(6);
    const Ink baseline = aligned(24);
    const Ink bottom = aligned(8);
    EXPECT_NEAR(left.left, 150, 3);
    EXPECT_NEAR(right.right, 150, 3);
    EXPECT_NEAR((centre.left + centre.right) / 2, 150, 2);
    EXPECT_NEAR(left.top, 50 + 4, 3) << "top: the cell's top (its leading above the capitals)";
    EXPECT_NEAR(baseline.bottom, 50, 1) << "baseline: capitals stand on it";
    EXPECT_LT(bottom.bottom, 50 - 2) << "bottom: the descent below the capitals";
    EXPECT_EQ(left.Width(), right.Width());
}

TEST(MetafileText, CurrentPositionMovesPastTheText)
{
    const Ink once = InkOf(WmfText([](Wmf& w) { w.Rec(0x012E, {1}).MoveTo(20, 20).TextOut(0, 0, "HH"); }));
    const Ink twice = InkOf(
        WmfText([](Wmf& w) { w.Rec(0x012E, {1}).MoveTo(20, 20).TextOut(0, 0, "HH").TextOut(0, 0, "HH"); }));
    EXPECT_NEAR(once.left, 20, 3);
    EXPECT_GT(twice.Width(), 2 * once.Width());
    EXPECT_LT(twice.Width(), 2 * once.Width() + 8) << "the second starts one advance after the first";
    EXPECT_EQ(twice.top, once.top);
}

TEST(MetafileText, OpaqueBackgroundFillsTheTextBox)
{
    const auto withMode = [](int mode) {
        return InkOf(WmfText([mode](Wmf& w) {
            w.Rec(0x0201, {int(kGreen & 0xFFFF), int(kGreen >> 16)})
                .Rec(0x0102, {mode})
                .TextOut(50, 30, "Hi");
        }));
    };
    const Ink transparent = withMode(1);
    const Ink opaque = withMode(2);
    EXPECT_EQ(transparent.green, 0);
    // The box spans the cell: about 23 pixels for a 20-pixel em, across the advances.
    EXPECT_GT(opaque.green, 200);
    EXPECT_NEAR(opaque.Height(), 23, 2);
    EXPECT_EQ(opaque.top, 30);
    EXPECT_EQ(opaque.left, 50);
}

TEST(MetafileText, RectangleOptionsPaintAndClip)
{
    const Ink painted = InkOf(WmfText([](Wmf& w) {
        w.Rec(0x0201, {int(kGreen & 0xFFFF), int(kGreen >> 16)})
            .ExtTextOut(50, 30, 2, {40, 20, 200, 70}, "Hi");
    }));
    EXPECT_EQ(painted.left, 40);
    EXPECT_EQ(painted.bottom, 70);
    EXPECT_GT(painted.red, 20);
    const Ink whole = InkOf(WmfText([](Wmf& w) { w.ExtTextOut(50, 30, 0, {}, "HHHH"); }));
    const Ink clipped = InkOf(WmfText([](Wmf& w) { w.ExtTextOut(50, 30, 4, {0, 0, 70, 100}, "HHHH"); }));
    EXPECT_GT(whole.right, 70);
    EXPECT_EQ(clipped.right, 70);
}

TEST(MetafileText, EscapementTurnsTheBaseline)
{
    const Ink level = InkOf(WmfText([](Wmf& w) { w.Rec(0x012E, {24}).TextOut(150, 90, "HHHHHH"); }));
    const Ink upright = InkOf(WmfText([](Wmf& w) { w.Rec(0x012E, {24}).TextOut(150, 90, "HHHHHH"); }, 900));
    EXPECT_GT(level.Width(), 3 * level.Height());
    EXPECT_GT(upright.Height(), 3 * upright.Width()) << "a quarter turn anticlockwise runs upwards";
    EXPECT_NEAR(upright.bottom, 90, 2);
    EXPECT_NEAR(upright.right, 150, 2) << "letters stand left of the turned baseline";
    // In a file counting y upwards a turn to logical -y runs up the picture.
    Wmf up;
    up.Font(-20, 2700, 400, false, 0, kFace).Select(0).Rec(0x012E, {24}).TextOut(150, 10, "HHHHHH");
    const Ink yUp = InkOf(up.Placeable(0, 100, 300, 0, 96));
    EXPECT_GT(yUp.Height(), 3 * yUp.Width());
    EXPECT_NEAR(yUp.bottom, 90, 2);
}

TEST(MetafileText, AdvancesAndHeightsSizeTheText)
{
    const Ink natural = InkOf(WmfText([](Wmf& w) { w.ExtTextOut(10, 10, 0, {}, "HHH"); }));
    const Ink spaced = InkOf(WmfText([](Wmf& w) { w.ExtTextOut(10, 10, 0, {}, "HHH", {40, 40, 40}); }));
    const Ink single = InkOf(WmfText([](Wmf& w) { w.ExtTextOut(10, 10, 0, {}, "H"); }));
    EXPECT_EQ(spaced.Width(), 80 + single.Width()) << "each letter 40 pixels after the last";
    EXPECT_LT(natural.Width(), spaced.Width() - 30);
    const auto capitals = [](int height) {
        Wmf w;
        w.Font(height, 0, 400, false, 0, kFace).Select(0).TextOut(10, 10, "H");
        return InkOf(w.Placeable(0, 0, 300, 100, 96)).Height();
    };
    // A character height of 40 makes taller capitals than a cell of 40.
    EXPECT_NEAR(capitals(-40), 30, 2) << "cap height 0.73 em, edges blended";
    EXPECT_LT(capitals(40), capitals(-40));
}

TEST(MetafileText, CharactersAreReadInTheirCharacterSet)
{
    // The same letter reached through a code page and through UTF-16 draws the same.
    const auto wmf = [](int charset, const std::string& text, const std::vector<int>& advances = {}) {
        Wmf w;
        w.Font(-20, 0, 400, false, charset, kFace).Select(0).ExtTextOut(10, 10, 0, {}, text, advances);
        return InkOf(w.Placeable(0, 0, 300, 100, 96));
    };
    // The same text at (10, 10) in UTF-16, with the advances its name gives.
    const auto emf = [](const char* name) { return InkOf(EmfFile(name)); };
    const auto same = [](const Ink& a, const Ink& b) {
        return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom &&
               a.count == b.count;
    };
    EXPECT_TRUE(same(wmf(204, "\xC6"), emf("cyrillic_zhe.emf"))) << "Cyrillic Zhe";
    EXPECT_TRUE(same(wmf(0, "\x80"), emf("euro_sign.emf"))) << "Western euro sign";
    EXPECT_TRUE(same(wmf(2, "p"), emf("greek_pi.emf"))) << "symbol set's pi";
    EXPECT_TRUE(same(wmf(177, "\xE0"), emf("hebrew_alef.emf"))) << "Hebrew alef";
    // A two-byte character takes the advances of both its bytes.
    EXPECT_TRUE(same(wmf(128, "\x82\xA0H", {15, 15, 10}), emf("hiragana_a_and_h_advances_30_10.emf")))
        << "Japanese a";
    EXPECT_TRUE(same(emf("surrogate_pair_and_h_advances_15_15_10.emf"),
                     emf("surrogate_pair_and_h_advances_30_0_10.emf")))
        << "surrogate pair";
    EXPECT_FALSE(same(wmf(0, "p"), emf("greek_pi.emf")));
}

TEST(MetafileText, UnderlineDrawsBelowTheBaseline)
{
    const Ink plain = InkOf(WmfText([](Wmf& w) { w.Rec(0x012E, {24}).TextOut(50, 50, "HHH"); }));
    const Ink underlined =
        InkOf(WmfText([](Wmf& w) { w.Rec(0x012E, {24}).TextOut(50, 50, "HHH"); }, 0, true));
    EXPECT_EQ(plain.bottom, 50);
    EXPECT_GT(underlined.bottom, plain.bottom);
    EXPECT_GT(underlined.count, plain.count + 40) << "a line across the text's width";
    EXPECT_LE(underlined.bottom, 55);
}

TEST(MetafileText, HostileTextRecordsAreBounded)
{
    // A font a billion pixels high, lengths beyond the record, advances that are not
    // there and a string offset past the end: each file decodes in bounded time, and
    // the text after the hostile records is still drawn.
    const Bytes files[] = {
        WmfText([](Wmf& w) {
            w.Font(-30000, 450, 400, false, 0, kFace).Select(1).TextOut(0, 0, "WWW").Select(0);
            w.TextOut(200, 60, "Hi");
        }),
        WmfText([](Wmf& w) {
            w.Raw(0x0521, {0xFF, 0x7F, 'A', 'B'}).Raw(0x0A32, {0, 0, 0, 0, 0xFF, 0xFF, 6, 0});
            w.TextOut(200, 60, "Hi");
        }),
        EmfFile("hostile_then_hi.emf"),
    };
    for (const Bytes& file : files)
        EXPECT_GT(InkOf(file).red, 20);
}

} // namespace
