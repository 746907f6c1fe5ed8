#include <gtest/gtest.h>

#include <iconv.h>

#include <algorithm>
#include <string>
#include <vector>

#include "images/DecoderKit.h"
#include "images/MetafileCharsets.h"
#include "images/WmfDecoder.h"

namespace {

// Colours as the pictures hold them: 0x00BBGGRR.
constexpr std::uint32_t kRed = 0x0000FF, kGreen = 0x00FF00, kWhite = 0xFFFFFF;

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

// The ink of a file of tests/images/metafile-text: most are a 300 x 100 picture with a
// 20-pixel em font of the DejaVu Sans face in red at transparent background, and the text
// records their names say.
Ink InkOf(const std::string& name)
{
    const kit::Bytes file = kit::ReadBytes(SLEEVIT_SOURCE_DIR "/tests/images/metafile-text/" + name);
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

TEST(MetafileText, EveryTextRecordDrawsItsTextInTheTextColour)
{
    for (const char* name : {"hello_text_out.wmf", "hello_extended_text_out.wmf", "hello_extended_wide.emf",
                             "hello_extended_8_bit.emf", "hello_small_wide.emf", "hello_small_8_bit.emf",
                             "hello_poly_text_out.emf"}) {
        SCOPED_TRACE(name);
        const Ink ink = InkOf(name);
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
    // "HHHH" at (150, 50) with the alignment flags of the name.
    const auto aligned = [](int align) { return InkOf("align_" + std::to_string(align) + ".wmf"); };
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
    // "HH" once or twice at the current position, moved to (20, 20).
    const Ink once = InkOf("current_position_once.wmf");
    const Ink twice = InkOf("current_position_twice.wmf");
    EXPECT_NEAR(once.left, 20, 3);
    EXPECT_GT(twice.Width(), 2 * once.Width());
    EXPECT_LT(twice.Width(), 2 * once.Width() + 8) << "the second starts one advance after the first";
    EXPECT_EQ(twice.top, once.top);
}

TEST(MetafileText, OpaqueBackgroundFillsTheTextBox)
{
    // "Hi" at (50, 30) on a green background, transparent (1) or opaque (2).
    const Ink transparent = InkOf("background_mode_1.wmf");
    const Ink opaque = InkOf("background_mode_2.wmf");
    EXPECT_EQ(transparent.green, 0);
    // The box spans the cell: about 23 pixels for a 20-pixel em, across the advances.
    EXPECT_GT(opaque.green, 200);
    EXPECT_NEAR(opaque.Height(), 23, 2);
    EXPECT_EQ(opaque.top, 30);
    EXPECT_EQ(opaque.left, 50);
}

TEST(MetafileText, RectangleOptionsPaintAndClip)
{
    // "Hi" at (50, 30) with the box (40, 20, 200, 70) painted green; "HHHH" at (50, 30) as
    // it is and clipped to (0, 0, 70, 100).
    const Ink painted = InkOf("rectangle_painted.wmf");
    EXPECT_EQ(painted.left, 40);
    EXPECT_EQ(painted.bottom, 70);
    EXPECT_GT(painted.red, 20);
    const Ink whole = InkOf("rectangle_none.wmf");
    const Ink clipped = InkOf("rectangle_clipped.wmf");
    EXPECT_GT(whole.right, 70);
    EXPECT_EQ(clipped.right, 70);
}

TEST(MetafileText, EscapementTurnsTheBaseline)
{
    // "HHHHHH" on the baseline at (150, 90), escapement 0 or 90 degrees.
    const Ink level = InkOf("escapement_0.wmf");
    const Ink upright = InkOf("escapement_900.wmf");
    EXPECT_GT(level.Width(), 3 * level.Height());
    EXPECT_GT(upright.Height(), 3 * upright.Width()) << "a quarter turn anticlockwise runs upwards";
    EXPECT_NEAR(upright.bottom, 90, 2);
    EXPECT_NEAR(upright.right, 150, 2) << "letters stand left of the turned baseline";
    // In a file counting y upwards a turn to logical -y runs up the picture.
    // Here "HHHHHH" at (150, 10) at 270 degrees, in a box from (0, 100) to (300, 0).
    const Ink yUp = InkOf("escapement_2700_y_upwards.wmf");
    EXPECT_GT(yUp.Height(), 3 * yUp.Width());
    EXPECT_NEAR(yUp.bottom, 90, 2);
}

TEST(MetafileText, AdvancesAndHeightsSizeTheText)
{
    // "HHH" at (10, 10) with its own advances and with advances of 40; "H" alone.
    const Ink natural = InkOf("advances_natural.wmf");
    const Ink spaced = InkOf("advances_40.wmf");
    const Ink single = InkOf("advances_single.wmf");
    EXPECT_EQ(spaced.Width(), 80 + single.Width()) << "each letter 40 pixels after the last";
    EXPECT_LT(natural.Width(), spaced.Width() - 30);
    // "H" in a font of character height (em) 40 and of cell height 40: taller capitals.
    EXPECT_NEAR(InkOf("height_em_40.wmf").Height(), 30, 2) << "cap height 0.73 em, edges blended";
    EXPECT_LT(InkOf("height_cell_40.wmf").Height(), InkOf("height_em_40.wmf").Height());
}

TEST(MetafileText, CharactersAreReadInTheirCharacterSet)
{
    // The same letter reached through a code page and through UTF-16 draws the same.
    // Text at (10, 10): in the 16-bit files in the character set and with the advances
    // their names give, in the enhanced ones in UTF-16.
    const auto same = [](const Ink& a, const Ink& b) {
        return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom &&
               a.count == b.count;
    };
    for (const auto& [code, utf16] : {std::pair{"charset_204_zhe.wmf", "cyrillic_zhe.emf"},
                                      {"charset_0_euro_sign.wmf", "euro_sign.emf"},
                                      {"charset_2_pi.wmf", "greek_pi.emf"},
                                      {"charset_177_alef.wmf", "hebrew_alef.emf"}})
        EXPECT_TRUE(same(InkOf(code), InkOf(utf16))) << code;
    // A two-byte character takes the advances of both its bytes.
    EXPECT_TRUE(same(InkOf("charset_128_hiragana_a_and_h_advances_15_15_10.wmf"),
                     InkOf("hiragana_a_and_h_advances_30_10.emf")))
        << "Japanese a";
    EXPECT_TRUE(same(InkOf("surrogate_pair_and_h_advances_15_15_10.emf"),
                     InkOf("surrogate_pair_and_h_advances_30_0_10.emf")))
        << "surrogate pair";
    EXPECT_FALSE(same(InkOf("charset_0_p.wmf"), InkOf("greek_pi.emf")));
}

TEST(MetafileText, UnderlineDrawsBelowTheBaseline)
{
    // "HHH" on the baseline at (50, 50) in a font without and with underline.
    const Ink plain = InkOf("underline_off.wmf");
    const Ink underlined = InkOf("underline_on.wmf");
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
    for (const char* file :
         {"hostile_huge_font_then_hi.wmf", "hostile_lengths_then_hi.wmf", "hostile_then_hi.emf"})
        EXPECT_GT(InkOf(file).red, 20);
}

// Every byte of the upper half of each character set kept as a table reads as the
// system's converter reads the matching code page (bytes the code page leaves out are
// skipped).
TEST(MetafileText, EightBitSetsReadAsTheirCodePages)
{
    for (const auto& [charset, page] : {std::pair{0, "CP1252"},
                                        {161, "CP1253"},
                                        {162, "CP1254"},
                                        {186, "CP1257"},
                                        {204, "CP1251"},
                                        {238, "CP1250"}}) {
        const iconv_t cd = iconv_open("UTF-32LE", page);
        ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1)) << page;
        int compared = 0;
        for (int b = 0x80; b <= 0xFF; ++b) {
            char byte = static_cast<char>(b);
            char32_t code = 0;
            char* in = &byte;
            char* out = reinterpret_cast<char*>(&code);
            std::size_t inLeft = 1, outLeft = sizeof code;
            if (iconv(cd, &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1) || outLeft != 0)
                continue;
            ++compared;
            const std::uint8_t raw = static_cast<std::uint8_t>(b);
            EXPECT_EQ(DecodeMetafileBytes(&raw, 1, charset), std::u32string(1, code))
                << page << " byte " << b;
        }
        iconv_close(cd);
        EXPECT_GT(compared, 100) << page;
    }
}

} // namespace
