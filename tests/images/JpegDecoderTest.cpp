// The JPEG decoder's EXIF turns and its reading of a file in chunks; the kinds of file it
// claims are case files compared with bare libjpeg (DecoderCasesTest).
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "images/DecoderKit.h"

namespace {

using kit::Bytes;

const std::string kCases = SLEEVIT_SOURCE_DIR "/tests/images/cases/";

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

TEST(JpegDecoder, ExifOrientationTurnsAndMirrorsThePixels)
{
    const int w = 24, h = 16;
    const Bytes plain = kit::ReadBytes(kCases + "jpeg/textured_24x16.jpg");
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
                    ASSERT_EQ(r.At(dx, dy), base.At(sx, sy))
                        << "orientation " << o << (little ? " II" : " MM") << " shown " << dx << "," << dy
                        << " want stored " << sx << "," << sy;
                }
        }
    }
}

TEST(JpegDecoder, FileStreamReadsInChunksLikeMemory)
{
    // Noise keeps the file's scan data across chunk boundaries, and an APP2 segment of
    // 65000 bytes makes libjpeg skip across a refill.
    Bytes file = kit::ReadBytes(kCases + "large/noise_150x150.jpg");
    Bytes app2 = {0xFF, 0xE2, 0xFD, 0xEA};
    app2.resize(4 + 65000, 0x5A);
    file.insert(file.begin() + 2, app2.begin(), app2.end());
    ASSERT_GT(file.size(), std::size_t{150000});

    const kit::Decoded fromFile = kit::DecodeFromFile(kImageJpeg, file);
    ASSERT_TRUE(fromFile.ok) << fromFile.error;
    const kit::Decoded fromMemory = kit::Decode(kImageJpeg, file);
    ASSERT_TRUE(fromMemory.ok) << fromMemory.error;
    EXPECT_EQ(kit::Colours(fromFile.image.pixels), kit::Colours(fromMemory.image.pixels));
}

} // namespace
