// A GIF file whose data ends early gives what arrived; the rest is the transparent fill.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "images/DecoderKit.h"

namespace {

TEST(GifDecoder, EveryPrefixFailsCleanlyOrGivesThePartialPicture)
{
    const kit::Bytes file =
        kit::ReadBytes(SLEEVIT_SOURCE_DIR "/tests/images/cases/gif/interlaced_transparent_9x11.gif");
    const kit::Decoded full = kit::Decode(kImageGif, file);
    ASSERT_TRUE(full.ok) << full.error;
    ASSERT_EQ(full.image.transIndex, 1);
    const std::vector<std::uint32_t> want = kit::Indices(full.image.pixels);
    // Header, four-colour screen palette, control block and descriptor take 43 bytes;
    // from the code size byte on, a prefix gives a picture.
    const std::size_t whole = 44;
    for (std::size_t n = 0; n < file.size(); ++n) {
        SCOPED_TRACE("prefix of " + std::to_string(n) + " bytes");
        const kit::Decoded r =
            kit::Decode(kImageGif, kit::Bytes(file.begin(), file.begin() + std::ptrdiff_t(n)));
        if (n < whole) {
            EXPECT_FALSE(r.ok);
            EXPECT_FALSE(r.error.empty());
            continue;
        }
        ASSERT_TRUE(r.ok) << r.error;
        ASSERT_EQ(r.image.pixels.Width(), 9);
        ASSERT_EQ(r.image.pixels.Height(), 11);
        // Every pixel is either what the full file has or the transparent fill.
        const std::vector<std::uint32_t> have = kit::Indices(r.image.pixels);
        for (std::size_t i = 0; i < have.size(); ++i)
            ASSERT_TRUE(have[i] == want[i] || have[i] == 1) << "pixel " << i;
    }
}

} // namespace
