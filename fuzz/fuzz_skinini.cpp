// Reads arbitrary bytes as a skin file: every entry must match what the C library's
// own number readers make of the same text, and nothing may read past the end.
#include <cctype>
#include <charconv>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "skins/SkinFile.h"
#include "textfiles/TextFile.h"

// strtol over what follows the name and its separator, held inside the 32-bit range.
static int ReferencePosition(const std::string& text, std::string_view name)
{
    const std::size_t at = text.find(name);
    if (at == std::string::npos || at + name.size() + 1 >= text.size())
        return 0;
    const long v = std::strtol(text.c_str() + at + name.size() + 1, nullptr, 10);
    return v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : static_cast<int>(v);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    // Both the raw bytes (what a caller with text in memory passes) and the decoded
    // file text (what the skin reader passes).
    for (const std::string& text : {bytes, DecodeTextBytes(bytes)}) {
        const SkinFileValues v = ParseSkinText(text);
        // strtol stops at a NUL byte; the parser stops there too, as NUL is no digit.
        Check(v.mainPosition.x == ReferencePosition(text, "MainPosX"));
        Check(v.mainPosition.y == ReferencePosition(text, "MainPosY"));
        Check(v.leftOverlayPosition.x == ReferencePosition(text, "LeftPosX"));
        Check(v.leftOverlayPosition.y == ReferencePosition(text, "LeftPosY"));

        const std::size_t at = text.find("BackgroundColor=");
        Check(v.backgroundColour.has_value() == (at != std::string::npos));
        if (!v.backgroundColour)
            continue;
        Check(*v.backgroundColour <= 0xFFFFFFu);
        // Six hexadecimal digits: the colour is exactly RR GG BB.
        const std::size_t start = at + 16;
        if (start + 6 <= text.size()) {
            unsigned rgb = 0;
            const char* first = text.data() + start;
            const auto [end, ec] = std::from_chars(first, first + 6, rgb, 16);
            if (ec == std::errc() && end == first + 6) {
                const std::uint32_t want = ((rgb >> 16) & 0xFFu) | (rgb & 0xFF00u) | ((rgb & 0xFFu) << 16);
                Check(*v.backgroundColour == want);
            }
        }
    }
    return 0;
}
