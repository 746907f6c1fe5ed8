// A PCX file whose data ends early keeps the rows that arrived, each exactly.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "images/DecoderKit.h"

namespace {

TEST(PcxDecoder, TruncatedDataKeepsTheRowsThatArrived)
{
    // 8 x 6 pixels of 8 bits in one plane, 8 bytes a line, no palette: grey. The data
    // bytes after the 128 of the header are below 0xC0 and no two alike, so each is one pixel.
    const kit::Bytes file =
        kit::ReadBytes(SLEEVIT_SOURCE_DIR "/tests/images/cases/pcx/8_bits_grey_each_byte_a_pixel.pcx");
    ASSERT_EQ(file.size(), 176u);
    for (std::size_t n = 0; n < file.size(); ++n) {
        SCOPED_TRACE("prefix of " + std::to_string(n) + " bytes");
        const kit::Decoded r =
            kit::Decode(kImagePcx, kit::Bytes(file.begin(), file.begin() + std::ptrdiff_t(n)));
        const std::size_t rowsThere = n < 128 ? 0 : (n - 128) / 8;
        if (rowsThere == 0) {
            EXPECT_FALSE(r.ok);
            EXPECT_EQ(r.error, n < 128 ? "Can't read PCX image" : "Truncated PCX");
            continue;
        }
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.image.partial.empty(), rowsThere >= 6) << r.image.partial;
        const std::vector<std::uint32_t> have = kit::Colours(r.image.pixels);
        ASSERT_EQ(have.size(), 48u);
        for (std::size_t i = 0; i < 48; ++i) {
            const std::uint32_t v = i < rowsThere * 8 ? file[128 + i] : 0;
            ASSERT_EQ(have[i], v * 0x010101u) << "pixel " << i;
        }
    }
}

} // namespace
