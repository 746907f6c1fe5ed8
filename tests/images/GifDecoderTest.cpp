// A GIF file whose data ends early gives what arrived; the rest is the transparent fill.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "GifBuilder.h"
#include "images/DecoderKit.h"

namespace {

using testgif::Bytes;
using testgif::Picture;

TEST(GifDecoder, EveryPrefixFailsCleanlyOrGivesThePartialPicture)
{
    Picture s;
    s.globalPalette = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    s.width = 9;
    s.height = 11;
    for (unsigned i = 0; i < 9 * 11; ++i)
        s.pixels.push_back(static_cast<std::uint8_t>((i * 7 + i / 9) % 4));
    s.interlaced = true;
    s.transIndex = 1;
    const Bytes file = testgif::Make(s);
    // From the code size byte on, the header and descriptor are whole.
    const std::size_t whole = testgif::Head(s).size() + 1;
    for (std::size_t n = 0; n < file.size(); ++n) {
        SCOPED_TRACE("prefix of " + std::to_string(n) + " bytes");
        const Bytes prefix(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n));
        const kit::Decoded r = kit::Decode(kImageGif, prefix);
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
            ASSERT_TRUE(have[i] == s.pixels[i] || have[i] == 1) << "pixel " << i;
    }
}

} // namespace
