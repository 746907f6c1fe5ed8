// The GIF decoder against hand-built files: palettes, interlacing, frames placed on the
// screen, transparency, LZW table resets, and files that are cut short or malformed.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "GifBuilder.h"
#include "images/ByteStream.h"
#include "images/GifDecoder.h"

namespace {

using testgif::Bytes;
using testgif::Picture;
using testgif::Rgb;

const std::vector<Rgb> kFour = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};

bool DecodeBytes(const Bytes& file, DecodedImage& out, std::string& error)
{
    CMemoryStream in(file.data(), file.size());
    return CGifDecoder::Decode(in, out, error);
}

// The palette indices of the decoded picture, rows top to bottom.
Bytes Indices(const PixelBlock& p)
{
    Bytes v;
    for (int y = p.Height() - 1; y >= 0; --y)
        for (int x = 0; x < p.Width(); ++x)
            v.push_back(static_cast<std::uint8_t>(p.GetPixel(x, y)));
    return v;
}

Bytes Pattern(unsigned width, unsigned height, unsigned colours)
{
    Bytes v;
    for (unsigned y = 0; y < height; ++y)
        for (unsigned x = 0; x < width; ++x)
            v.push_back(static_cast<std::uint8_t>((x * 3 + y * 5 + x * y) % colours));
    return v;
}

Bytes Noise(std::size_t n, unsigned colours, unsigned seed)
{
    std::mt19937 gen(seed);
    Bytes v(n);
    for (auto& b : v)
        b = static_cast<std::uint8_t>(gen() % colours);
    return v;
}

Picture Plain(unsigned width, unsigned height)
{
    Picture s;
    s.globalPalette = kFour;
    s.width = width;
    s.height = height;
    s.pixels = Pattern(width, height, 4);
    return s;
}

struct PictureCase {
    const char* name;
    Picture picture;
    Bytes want; // expected indices of the whole screen; empty: the frame's own pixels
};

std::vector<PictureCase> PictureCases()
{
    std::vector<PictureCase> cases;
    cases.push_back({"plain 89a", Plain(7, 5), {}});
    {
        Picture s = Plain(7, 5);
        s.version = "GIF87a";
        cases.push_back({"plain 87a", s, {}});
    }
    {
        Picture s = Plain(5, 19); // 19 rows reach into every interlace pass
        s.interlaced = true;
        cases.push_back({"interlaced", s, {}});
    }
    {
        Picture s = Plain(3, 2);
        s.interlaced = true; // passes 1 and 2 are empty
        cases.push_back({"interlaced two rows", s, {}});
    }
    {
        Picture s;
        s.globalPalette.assign(256, Rgb{1, 2, 3});
        s.width = 64;
        s.height = 64;
        s.pixels = Noise(64 * 64, 256, 7); // far more than 4096 codes: the table is reset
        cases.push_back({"256 colours, table resets", s, {}});
    }
    {
        Picture s = Plain(40, 30);
        s.pixels.assign(40 * 30, 2); // long runs: strings up to the table's length
        cases.push_back({"one colour", s, {}});
    }
    {
        Picture s = Plain(4, 3);
        s.minCodeSize = 8; // a code size wider than the palette needs
        cases.push_back({"wide code size", s, {}});
    }
    {
        Picture s;
        s.screenWidth = 5;
        s.screenHeight = 4;
        s.background = 3;
        s.globalPalette = kFour;
        s.left = 1;
        s.top = 2;
        s.width = 2;
        s.height = 2;
        s.pixels = {1, 2, 0, 1};
        cases.push_back({"frame on screen, background", s, {3, 3, 3, 3, 3, //
                                                            3, 3, 3, 3, 3, //
                                                            3, 1, 2, 3, 3, //
                                                            3, 0, 1, 3, 3}});
    }
    {
        Picture s;
        s.screenWidth = 3;
        s.screenHeight = 3;
        s.globalPalette = kFour;
        s.transIndex = 2;
        s.left = 2;
        s.top = 1;
        s.width = 3; // two of its columns and one row lie off the screen
        s.height = 3;
        s.pixels = {1, 3, 3, 0, 3, 3, 3, 3, 3};
        cases.push_back({"frame clamped, transparent fill",
                         s,
                         {2, 2, 2, //
                          2, 2, 1, //
                          2, 2, 0}});
    }
    {
        Picture s;
        s.screenWidth = 2;
        s.screenHeight = 2;
        s.globalPalette = kFour;
        s.left = 7; // wholly off the screen
        s.width = 2;
        s.height = 2;
        s.pixels = {1, 1, 1, 1};
        cases.push_back({"frame off screen", s, {0, 0, 0, 0}});
    }
    {
        Picture s = Plain(6, 4);
        s.beforeImage = {0x21, 0xFE, 3,  'a', 'b', 'c', 2,   'd', 'e', 0, // comment
                         0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3,
                         1,    0,    0,  0, // application
                         0x21, 0x01, 12, 0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,
                         0,              // plain text
                         0x21, 0xF9, 0}; // empty control
        cases.push_back({"extensions skipped", s, {}});
    }
    return cases;
}

TEST(GifDecoder, DecodesPictureVariants)
{
    for (const PictureCase& c : PictureCases()) {
        SCOPED_TRACE(c.name);
        DecodedImage out;
        std::string error;
        ASSERT_TRUE(DecodeBytes(testgif::Make(c.picture), out, error)) << error;
        const unsigned wantWidth = c.picture.screenWidth ? c.picture.screenWidth : c.picture.width;
        const unsigned wantHeight = c.picture.screenHeight ? c.picture.screenHeight : c.picture.height;
        EXPECT_EQ(out.pixels.Width(), static_cast<int>(wantWidth));
        EXPECT_EQ(out.pixels.Height(), static_cast<int>(wantHeight));
        EXPECT_EQ(out.pixels.Bpp(), 8);
        const Bytes want = c.want.empty() ? c.picture.pixels : c.want;
        EXPECT_EQ(Indices(out.pixels), want) << "have/want indices differ";
        EXPECT_EQ(out.transIndex, c.picture.transIndex);
    }
}

TEST(GifDecoder, PaletteComesFromLocalThenGlobalThenGrey)
{
    struct Case {
        const char* name;
        std::vector<Rgb> global, local;
        std::uint32_t wantColour1; // colour of index 1, 0x00BBGGRR
    };
    const Case cases[] = {
        {"global", kFour, {}, 0x0000FF},
        {"local wins", kFour, {{9, 9, 9}, {10, 20, 30}}, 0x1E140A},
        {"none: grey ramp over 4 levels", {}, {}, 0x555555},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Picture s;
        s.globalPalette = c.global;
        s.localPalette = c.local;
        s.width = 2;
        s.height = 1;
        s.pixels = {1, 0};
        DecodedImage out;
        std::string error;
        ASSERT_TRUE(DecodeBytes(testgif::Make(s), out, error)) << error;
        EXPECT_EQ(out.pixels.GetColour(0, 0), c.wantColour1);
    }
}

TEST(GifDecoder, ReportsTransparentColourOfLastControlBlock)
{
    Picture s = Plain(2, 2);
    s.transIndex = 1; // a later control block without transparency overrides it
    s.beforeImage = {0x21, 0xF9, 4, 0, 0, 0, 3, 0};
    DecodedImage out;
    std::string error;
    ASSERT_TRUE(DecodeBytes(testgif::Make(s), out, error)) << error;
    EXPECT_EQ(out.transIndex, -1);

    s.beforeImage = {0x21, 0xF9, 4, 1, 0, 0, 3, 0};
    ASSERT_TRUE(DecodeBytes(testgif::Make(s), out, error)) << error;
    EXPECT_EQ(out.transIndex, 3);
    EXPECT_EQ(out.transColour, 0xFF0000u); // blue, as 0x00BBGGRR
}

TEST(GifDecoder, RejectsMalformedFilesWithFixedTexts)
{
    const Bytes good = testgif::Make(Plain(4, 4));
    const std::size_t headSize = testgif::Head(Plain(4, 4)).size();
    struct Case {
        const char* name;
        Bytes file;
        const char* wantError;
    };
    std::vector<Case> cases;
    cases.push_back({"empty", {}, "Not a GIF"});
    cases.push_back({"other version", Bytes{'G', 'I', 'F', '8', '8', 'a', 1, 0, 1, 0, 0, 0, 0}, "Not a GIF"});
    cases.push_back({"short screen", Bytes(good.begin(), good.begin() + 9), "Truncated GIF"});
    {
        Bytes f = testgif::Head(Plain(4, 4));
        f.resize(13 + 12); // header, screen and palette only
        f.push_back(0x3B);
        cases.push_back({"trailer before image", f, "No image in GIF"});
    }
    {
        Bytes f(good.begin(), good.begin() + 13 + 12);
        f.push_back(0x99);
        cases.push_back({"unknown block", f, "Bad GIF block"});
    }
    {
        Bytes f(good.begin(), good.begin() + 13 + 12);
        const Bytes ext = {0x21, 0xFE, 200, 'x'}; // a comment whose block runs off the end
        f.insert(f.end(), ext.begin(), ext.end());
        cases.push_back({"extension cut short", f, "Truncated GIF"});
    }
    for (std::uint8_t size : {0, 9, 12, 255}) {
        Bytes f = good;
        f[headSize] = size;
        cases.push_back({"bad code size", f, "Bad LZW code size"});
    }
    {
        Picture s = Plain(4, 4);
        s.width = 0;
        s.pixels.clear();
        s.screenWidth = 4;
        cases.push_back({"zero-width frame", testgif::Make(s), "Bad GIF frame"});
    }
    {
        Picture s = Plain(1, 1);
        s.screenWidth = 40000;
        cases.push_back({"screen side above the limit", testgif::Make(s), "Image too large"});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DecodedImage out;
        std::string error;
        EXPECT_FALSE(DecodeBytes(c.file, out, error));
        EXPECT_EQ(error, c.wantError);
    }
}

// The pixels of a picture whose LZW data is replaced by the given codes (code size 2).
Bytes DecodeCodes(const std::vector<unsigned>& codes, int width)
{
    Picture s = Plain(4, 1);
    Bytes f = testgif::Head(s);
    f.push_back(2);
    testgif::BitWriter bits;
    for (unsigned c : codes)
        bits.Put(c, width);
    const Bytes blocks = testgif::SubBlocks(bits.Finish());
    f.insert(f.end(), blocks.begin(), blocks.end());
    f.push_back(0x3B);
    DecodedImage out;
    std::string error;
    if (!DecodeBytes(f, out, error))
        return {};
    return Indices(out.pixels);
}

TEST(GifDecoder, BadCodesEndThePictureKeepingWhatCameBefore)
{
    // Codes of 3 bits: clear = 4, end = 5; the table starts at 6.
    struct Case {
        const char* name;
        std::vector<unsigned> codes;
        Bytes want;
    };
    const Case cases[] = {
        {"code beyond the table", {4, 1, 7, 3}, {1, 0, 0, 0}},
        {"first code not a colour", {4, 6, 1, 1}, {0, 0, 0, 0}},
        {"end code early", {4, 3, 5, 1}, {3, 0, 0, 0}},
        {"code being defined (KwKwK)", {4, 1, 6}, {1, 1, 1, 0}},
        {"clear in the middle", {4, 1, 4, 2, 3}, {1, 2, 3, 0}},
        {"no clear at the start", {3, 2}, {3, 2, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DecodeCodes(c.codes, 3), c.want);
    }
}

TEST(GifDecoder, ExtraPixelsAfterTheFrameAreIgnored)
{
    Picture s = Plain(2, 2);
    Picture longer = s;
    longer.pixels = {0, 1, 2, 3, 1, 1, 1}; // three pixels too many, all one LZW stream
    Bytes f = testgif::Head(s);
    f.push_back(2);
    const Bytes blocks = testgif::SubBlocks(testgif::LzwCodes(longer.pixels, 2));
    f.insert(f.end(), blocks.begin(), blocks.end());
    DecodedImage out;
    std::string error;
    ASSERT_TRUE(DecodeBytes(f, out, error)) << error;
    EXPECT_EQ(Indices(out.pixels), (Bytes{0, 1, 2, 3}));
}

TEST(GifDecoder, EveryPrefixFailsCleanlyOrGivesThePartialPicture)
{
    Picture s = Plain(9, 11);
    s.interlaced = true;
    s.transIndex = 1;
    const Bytes file = testgif::Make(s);
    // From the code size byte on, the header and descriptor are whole.
    const std::size_t whole = testgif::Head(s).size() + 1;
    for (std::size_t n = 0; n < file.size(); ++n) {
        SCOPED_TRACE("prefix of " + std::to_string(n) + " bytes");
        const Bytes prefix(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n));
        DecodedImage out;
        std::string error;
        const bool ok = DecodeBytes(prefix, out, error);
        if (n < whole) {
            EXPECT_FALSE(ok);
            EXPECT_FALSE(error.empty());
            continue;
        }
        ASSERT_TRUE(ok) << error;
        ASSERT_EQ(out.pixels.Width(), 9);
        ASSERT_EQ(out.pixels.Height(), 11);
        // Every pixel is either what the full file has or the transparent fill.
        const Bytes have = Indices(out.pixels);
        for (std::size_t i = 0; i < have.size(); ++i)
            ASSERT_TRUE(have[i] == s.pixels[i] || have[i] == 1) << "pixel " << i;
    }
}

TEST(GifDecoder, ReadsFromTheStreamsCurrentPosition)
{
    Bytes file = {'j', 'u', 'n', 'k'};
    const Bytes gif = testgif::Make(Plain(3, 3));
    file.insert(file.end(), gif.begin(), gif.end());
    CMemoryStream in(file.data(), file.size());
    ASSERT_TRUE(in.Seek(4));
    DecodedImage out;
    std::string error;
    ASSERT_TRUE(CGifDecoder::Decode(in, out, error)) << error;
    EXPECT_EQ(Indices(out.pixels), Plain(3, 3).pixels);
}

} // namespace
