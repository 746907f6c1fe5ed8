#include "skins/SkinFile.h"

#include <cstdint>
#include <limits>

#include "textfiles/TextFile.h"

namespace {

constexpr std::string_view kColourKey = "BackgroundColor=";

bool IsSpace(char c)
{
    // The C locale's white space, which is what a leading blank or line end may be.
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The decimal integer at the start of text: white space, a sign, digits.
int LeadingInteger(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && IsSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // The magnitude stops growing once it passes 2^31, so it never leaves int64.
    constexpr std::int64_t kCap = std::int64_t{1} << 31;
    std::int64_t magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (magnitude <= kCap)
            magnitude = magnitude * 10 + (text[i] - '0');
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (value < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}

// The value after a position entry's name and its one separator character; 0 when the
// name does not occur or nothing follows the separator.
int PositionEntry(std::string_view text, std::string_view name)
{
    const std::size_t at = text.find(name);
    if (at == std::string_view::npos)
        return 0;
    const std::size_t start = at + name.size() + 1; // at + name.size() <= text.size()
    if (start >= text.size())
        return 0;
    return LeadingInteger(text.substr(start));
}

// One colour pair: its leading hexadecimal digits (at most two).
std::uint8_t HexPair(std::string_view text, std::size_t start)
{
    int value = 0;
    for (std::size_t i = start; i < start + 2 && i < text.size(); ++i) {
        const int digit = HexValue(text[i]);
        if (digit < 0)
            break;
        value = value * 16 + digit; // two digits at most: value <= 255
    }
    return static_cast<std::uint8_t>(value);
}

} // namespace

SkinFileValues ParseSkinText(std::string_view text)
{
    SkinFileValues values;
    values.mainPosition = {PositionEntry(text, "MainPosX"), PositionEntry(text, "MainPosY")};
    values.leftOverlayPosition = {PositionEntry(text, "LeftPosX"), PositionEntry(text, "LeftPosY")};
    const std::size_t at = text.find(kColourKey);
    if (at != std::string_view::npos) {
        const std::size_t start = at + kColourKey.size(); // <= text.size(); HexPair checks each index
        values.backgroundColour =
            RgbColour(HexPair(text, start), HexPair(text, start + 2), HexPair(text, start + 4));
    }
    return values;
}

bool ReadSkinFile(const std::string& path, SkinFileValues& values)
{
    std::string text;
    if (!ReadTextFile(path, text))
        return false;
    values = ParseSkinText(text);
    return true;
}
