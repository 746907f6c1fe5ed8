// The JPEG decoder against pictures made here with libjpeg itself: known pixels, every
// kind of file the decoder claims, EXIF turns, and hostile input.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <jpeglib.h>

#include "images/ByteStream.h"
#include "images/DecoderKit.h"
#include "images/ImageDiff.h"
#include "images/JpegDecoder.h"

namespace {

using kit::Bytes;

struct Rgb {
    int r, g, b;
};

struct EncodeOptions {
    int components = 3; // 1 grey, 3 colour, 4 CMYK
    J_COLOR_SPACE fileSpace = JCS_YCbCr;
    bool adobeMarker = true; // for CMYK and YCCK
    bool progressive = false;
    bool arithmetic = false;
    int quality = 100;
    bool subsample = false; // 4:2:0 instead of 4:4:4
    int densityUnit = 0;
    int xDensity = 1;
    int yDensity = 1;
};

// Encodes samples (components bytes per pixel, rows top down) with libjpeg.
Bytes EncodeJpeg(int width, int height, const Bytes& samples, const EncodeOptions& opt)
{
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char* mem = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &mem, &size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = opt.components;
    cinfo.in_color_space = opt.components == 1 ? JCS_GRAYSCALE : opt.components == 4 ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_colorspace(&cinfo, opt.fileSpace);
    if (opt.components == 4)
        cinfo.write_Adobe_marker = opt.adobeMarker ? TRUE : FALSE;
    jpeg_set_quality(&cinfo, opt.quality, TRUE);
    if (!opt.subsample)
        for (int c = 0; c < cinfo.num_components; ++c)
            cinfo.comp_info[c].h_samp_factor = cinfo.comp_info[c].v_samp_factor = 1;
    if (opt.progressive)
        jpeg_simple_progression(&cinfo);
    cinfo.arith_code = opt.arithmetic ? TRUE : FALSE;
    cinfo.density_unit = static_cast<UINT8>(opt.densityUnit);
    cinfo.X_density = static_cast<UINT16>(opt.xDensity);
    cinfo.Y_density = static_cast<UINT16>(opt.yDensity);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row =
            const_cast<JSAMPROW>(samples.data() + std::size_t(cinfo.next_scanline) * width * opt.components);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    Bytes out(mem, mem + size);
    std::free(mem);
    return out;
}

// A colour picture of width x height from a pixel function.
Bytes MakeRgb(int width, int height, const std::function<Rgb(int, int)>& pixel)
{
    Bytes s;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Rgb c = pixel(x, y);
            s.push_back(static_cast<std::uint8_t>(c.r));
            s.push_back(static_cast<std::uint8_t>(c.g));
            s.push_back(static_cast<std::uint8_t>(c.b));
        }
    return s;
}

// A picture with structure: gradients and a diagonal, so turns and mirrors show.
Bytes Textured(int width, int height)
{
    return MakeRgb(width, height, [](int x, int y) {
        return Rgb{(x * 7 + y * 3) & 255, (y * 11) & 255, ((x ^ y) * 5) & 255};
    });
}

// The reference: the same file decoded by bare libjpeg to RGB, rows top down.
RgbPicture ReferenceRgb(const Bytes& file)
{
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, file.data(), file.size());
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    RgbPicture out{static_cast<std::int32_t>(cinfo.output_width),
                   static_cast<std::int32_t>(cinfo.output_height),
                   Bytes(std::size_t(cinfo.output_width) * cinfo.output_height * 3)};
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = out.rgb.data() + std::size_t(cinfo.output_scanline) * cinfo.output_width * 3;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return out;
}

// Colour of a pixel counted from the top left, as r, g, b.
Rgb At(const DecodedImage& img, int x, int yFromTop)
{
    const std::uint32_t c = img.pixels.GetColour(x, img.pixels.Height() - 1 - yFromTop);
    return Rgb{static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
               static_cast<int>((c >> 16) & 0xFF)};
}

int MaxDiff(Rgb a, Rgb b)
{
    return std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
}

// The largest channel difference between a decoded picture and the reference, or 1000
// when the sizes differ.
int CompareWithReference(const DecodedImage& img, const RgbPicture& want)
{
    const ImageDifference d = CompareRgb(ToRgb(img.pixels), want);
    return d.sameSize ? d.maxChannelDiff : 1000;
}

// Puts an APP1 segment with the given payload right after the start marker.
Bytes WithApp1(const Bytes& file, const Bytes& payload)
{
    Bytes out(file.begin(), file.begin() + 2);
    const std::size_t len = payload.size() + 2;
    out.push_back(0xFF);
    out.push_back(0xE1);
    out.push_back(static_cast<std::uint8_t>(len >> 8));
    out.push_back(static_cast<std::uint8_t>(len & 0xFF));
    out.insert(out.end(), payload.begin(), payload.end());
    out.insert(out.end(), file.begin() + 2, file.end());
    return out;
}

// An EXIF block whose IFD0 holds a resolution unit and then the orientation, both SHORTs.
Bytes ExifBlock(int orientation, bool littleEndian)
{
    Bytes b = {'E', 'x', 'i', 'f', 0, 0, littleEndian ? std::uint8_t('I') : std::uint8_t('M')};
    b.push_back(b.back());
    // {value, bytes}: magic, IFD0 offset, entry count, two entries (tag, type, count,
    // value padded to four bytes), no next IFD.
    const std::pair<std::uint32_t, int> fields[] = {
        {42, 2}, {8, 4}, {2, 2},      {0x0128, 2}, {3, 2}, {1, 4},
        {2, 2},  {0, 2}, {0x0112, 2}, {3, 2},      {1, 4}, {std::uint32_t(orientation), 2},
        {0, 2},  {0, 4}};
    for (const auto& [value, size] : fields)
        for (int i = 0; i < size; ++i)
            b.push_back(std::uint8_t(value >> 8 * (littleEndian ? i : size - 1 - i)));
    return b;
}

TEST(JpegDecoder, EveryCodingDecodesLikeBareLibjpeg)
{
    struct Case {
        const char* name;
        EncodeOptions opt;
    };
    std::vector<Case> cases;
    cases.push_back({"baseline 4:4:4", {}});
    EncodeOptions sub;
    sub.subsample = true;
    sub.quality = 75;
    cases.push_back({"baseline 4:2:0", sub});
    EncodeOptions prog = sub;
    prog.progressive = true;
    cases.push_back({"progressive", prog});
    EncodeOptions arith = sub;
    arith.arithmetic = true;
    cases.push_back({"arithmetic", arith});
    EncodeOptions arithProg = prog;
    arithProg.arithmetic = true;
    cases.push_back({"arithmetic progressive", arithProg});
    // Odd sizes leave partial blocks at the right and bottom edges.
    for (const Case& c : cases) {
        const Bytes file = EncodeJpeg(37, 21, Textured(37, 21), c.opt);
        const RgbPicture want = ReferenceRgb(file);
        const kit::Decoded r = kit::Decode(kImageJpeg, file);
        ASSERT_TRUE(r.ok) << c.name << ": " << r.error;
        EXPECT_EQ(r.image.pixels.Bpp(), 24) << c.name;
        EXPECT_EQ(CompareWithReference(r.image, want), 0) << c.name << ": pixels differ from libjpeg's";
    }
}

TEST(JpegDecoder, GreyGivesEightBitsWithAGreyPalette)
{
    Bytes grey;
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 13; ++x)
            grey.push_back(static_cast<std::uint8_t>(x * 19 + y * 3));
    EncodeOptions opt;
    opt.components = 1;
    opt.fileSpace = JCS_GRAYSCALE;
    for (bool progressive : {false, true}) {
        opt.progressive = progressive;
        const Bytes file = EncodeJpeg(13, 9, grey, opt);
        const RgbPicture want = ReferenceRgb(file);
        const kit::Decoded r = kit::Decode(kImageJpeg, file);
        ASSERT_TRUE(r.ok) << r.error;
        ASSERT_EQ(r.image.pixels.Bpp(), 8);
        for (int i = 0; i < 256; ++i) {
            const RgbQuad q = r.image.pixels.Palette()[i];
            ASSERT_TRUE(q.red == i && q.green == i && q.blue == i) << "palette entry " << i;
        }
        EXPECT_EQ(CompareWithReference(r.image, want), 0) << "progressive " << progressive;
    }
}

TEST(JpegDecoder, CmykAndYcckBecomeColour)
{
    // An Adobe marker means the inks are stored inverted (255 = no ink); a file without
    // it stores plain ink amounts. Both encodings below mean the same four colours.
    const Rgb want[4] = {{255, 0, 0}, {0, 0, 255}, {255, 255, 255}, {0, 0, 0}};
    const std::uint8_t inks[4][4] = {{0, 255, 255, 0}, {255, 255, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 255}};
    struct Case {
        const char* name;
        J_COLOR_SPACE space;
        bool adobe;
    };
    for (const Case& c : {Case{"Adobe CMYK", JCS_CMYK, true}, Case{"Adobe YCCK", JCS_YCCK, true},
                          Case{"plain CMYK", JCS_CMYK, false}}) {
        Bytes s;
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 32; ++x)
                for (int k = 0; k < 4; ++k) {
                    const std::uint8_t ink = inks[x / 8][k];
                    s.push_back(c.adobe ? static_cast<std::uint8_t>(255 - ink) : ink);
                }
        EncodeOptions opt;
        opt.components = 4;
        opt.fileSpace = c.space;
        opt.adobeMarker = c.adobe;
        const kit::Decoded r = kit::Decode(kImageJpeg, EncodeJpeg(32, 8, s, opt));
        ASSERT_TRUE(r.ok) << c.name << ": " << r.error;
        ASSERT_EQ(r.image.pixels.Bpp(), 24) << c.name;
        for (int i = 0; i < 4; ++i) {
            const Rgb have = At(r.image, i * 8 + 4, 4);
            EXPECT_LE(MaxDiff(have, want[i]), 4)
                << c.name << " block " << i << " have " << have.r << "," << have.g << "," << have.b;
        }
    }
}

TEST(JpegDecoder, ExifOrientationTurnsAndMirrorsThePixels)
{
    const int w = 24, h = 16;
    const Bytes plain = EncodeJpeg(w, h, Textured(w, h), {});
    const kit::Decoded base = kit::Decode(kImageJpeg, plain);
    ASSERT_TRUE(base.ok) << base.error;

    // Where a shown pixel (dx, dy) is stored, from the EXIF definitions: the axes
    // swapped (5 to 8), then x and y counted from the far side.
    const struct {
        bool swap, mirrorX, mirrorY;
    } turns[9] = {{},
                  {false, false, false},
                  {false, true, false},
                  {false, true, true},
                  {false, false, true},
                  {true, false, false},
                  {true, false, true},
                  {true, true, true},
                  {true, true, false}};
    for (bool little : {true, false}) {
        for (int o = 1; o <= 8; ++o) {
            const kit::Decoded r = kit::Decode(kImageJpeg, WithApp1(plain, ExifBlock(o, little)));
            ASSERT_TRUE(r.ok) << r.error;
            EXPECT_EQ(r.image.exifOrientation, o);
            const bool turned = o >= 5;
            ASSERT_EQ(r.image.pixels.Width(), turned ? h : w) << "orientation " << o;
            ASSERT_EQ(r.image.pixels.Height(), turned ? w : h) << "orientation " << o;
            // Every shown pixel (dx, dy) against the stored pixel it must come from.
            for (int dy = 0; dy < r.image.pixels.Height(); ++dy)
                for (int dx = 0; dx < r.image.pixels.Width(); ++dx) {
                    int sx = turns[o].swap ? dy : dx;
                    int sy = turns[o].swap ? dx : dy;
                    sx = turns[o].mirrorX ? w - 1 - sx : sx;
                    sy = turns[o].mirrorY ? h - 1 - sy : sy;
                    ASSERT_EQ(MaxDiff(At(r.image, dx, dy), At(base.image, sx, sy)), 0)
                        << "orientation " << o << (little ? " II" : " MM") << " shown " << dx << "," << dy
                        << " want stored " << sx << "," << sy;
                }
        }
    }
}

TEST(JpegDecoder, ExifTurnsGreyAndCmykPicturesToo)
{
    Bytes grey;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x)
            grey.push_back(static_cast<std::uint8_t>(x < 8 ? 20 : 230));
    EncodeOptions opt;
    opt.components = 1;
    opt.fileSpace = JCS_GRAYSCALE;
    const kit::Decoded r =
        kit::Decode(kImageJpeg, WithApp1(EncodeJpeg(16, 8, grey, opt), ExifBlock(6, true)));
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_EQ(r.image.pixels.Bpp(), 8);
    ASSERT_EQ(r.image.pixels.Width(), 8);
    ASSERT_EQ(r.image.pixels.Height(), 16);
    // A quarter turn clockwise: the dark left half is now the top half.
    EXPECT_LT(At(r.image, 4, 2).r, 60);
    EXPECT_GT(At(r.image, 4, 13).r, 200);

    // CMYK with inverted inks (Adobe): a red left half, turned a quarter anticlockwise,
    // ends up as the bottom half.
    Bytes cmyk;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x) {
            const std::uint8_t red[4] = {255, 0, 0, 255};
            const std::uint8_t white[4] = {255, 255, 255, 255};
            cmyk.insert(cmyk.end(), x < 8 ? red : white, (x < 8 ? red : white) + 4);
        }
    EncodeOptions copt;
    copt.components = 4;
    copt.fileSpace = JCS_CMYK;
    const kit::Decoded c =
        kit::Decode(kImageJpeg, WithApp1(EncodeJpeg(16, 8, cmyk, copt), ExifBlock(8, false)));
    ASSERT_TRUE(c.ok) << c.error;
    ASSERT_EQ(c.image.pixels.Width(), 8);
    ASSERT_EQ(c.image.pixels.Height(), 16);
    EXPECT_LE(MaxDiff(At(c.image, 4, 13), Rgb{255, 0, 0}), 4);
    EXPECT_LE(MaxDiff(At(c.image, 4, 2), Rgb{255, 255, 255}), 4);
}

TEST(JpegDecoder, FileStreamReadsInChunksLikeMemory)
{
    // Noise keeps the file large, and an APP2 segment of 65000 bytes makes libjpeg skip
    // across a refill.
    const int w = 300, h = 200;
    std::uint32_t seed = 12345;
    const Bytes s = MakeRgb(w, h, [&](int, int) {
        seed = seed * 1103515245u + 12345u;
        return Rgb{static_cast<int>(seed >> 24), static_cast<int>((seed >> 16) & 255),
                   static_cast<int>((seed >> 8) & 255)};
    });
    Bytes file = EncodeJpeg(w, h, s, {});
    Bytes app2 = {0xFF, 0xE2, 0xFD, 0xEA};
    app2.resize(4 + 65000, 0x5A);
    file.insert(file.begin() + 2, app2.begin(), app2.end());
    ASSERT_GT(file.size(), std::size_t{200000});

    const kit::Decoded fromFile = kit::DecodeFromFile(kImageJpeg, file);
    ASSERT_TRUE(fromFile.ok) << fromFile.error;
    const kit::Decoded fromMemory = kit::Decode(kImageJpeg, file);
    ASSERT_TRUE(fromMemory.ok) << fromMemory.error;
    EXPECT_EQ(kit::Colours(fromFile.image.pixels), kit::Colours(fromMemory.image.pixels));
}

} // namespace
