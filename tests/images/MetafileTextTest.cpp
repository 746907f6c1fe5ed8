// Text records of metafiles, drawn: the ink each file of tests/images/metafile-text leaves
// is as its line of ink.txt there says. And the 8-bit character sets the text is read in.
#include <gtest/gtest.h>

#include <iconv.h>

#include <algorithm>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "DataLines.h"
#include "images/DecoderKit.h"
#include "images/MetafileCharsets.h"
#include "images/WmfDecoder.h"

namespace {

const std::string kFolder = SLEEVIT_SOURCE_DIR "/tests/images/metafile-text/";

// What ink.txt can say of the pixels a file's text left on the white picture.
std::map<std::string, long long> InkOf(const std::string& name)
{
    const kit::Bytes file = kit::ReadBytes(kFolder + name);
    CMemoryStream in(file.data(), file.size());
    DecodedImage image;
    std::string error;
    EXPECT_TRUE(CWmfDecoder::Decode(in, image, error)) << name << ": " << error;
    const PixelBlock& p = image.pixels;
    long long left = 1 << 30, top = 1 << 30, right = -1, bottom = -1, count = 0, red = 0, green = 0;
    for (int y = 0; y < p.Height(); ++y)
        for (int x = 0; x < p.Width(); ++x) {
            const std::uint32_t c = p.GetColour(x, p.Height() - 1 - y); // 0x00BBGGRR
            if (c == 0xFFFFFF)
                continue;
            left = std::min<long long>(left, x);
            top = std::min<long long>(top, y);
            right = std::max<long long>(right, x + 1);
            bottom = std::max<long long>(bottom, y + 1);
            ++count;
            red += c == 0x0000FF;
            green += c == 0x00FF00;
        }
    const long long box = left + 1000 * (top + 1000 * (right + 1000 * (bottom + 1000 * count)));
    const long long values[] = {left,  top, right - left, bottom - top, (left + right) / 2,
                                count, red, green,        box};
    const char* const names[] = {"left", "top", "width", "height", "mid", "count", "red", "green", "box"};
    std::map<std::string, long long> ink = {{"right", right}, {"bottom", bottom}};
    for (std::size_t i = 0; i < std::size(values); ++i)
        ink[names[i]] = values[i];
    return ink;
}

// The value of "[k*]<what>[@<file>][+n|-n]" or of a number, for the line of file.
long long ValueOf(const std::string& text, const std::string& file)
{
    static const std::regex form(R"((?:(\d+)\*)?([a-z]+)(?:@(\S+?))?([+-]\d+)?)");
    std::smatch m;
    if (!std::regex_match(text, m, form))
        return std::stoll(text);
    const auto ink = InkOf(m[3].matched ? m[3].str() : file);
    EXPECT_EQ(ink.count(m[2]), 1u) << "no such measure: " << m[2];
    return (m[1].matched ? std::stoll(m[1]) : 1) * (ink.count(m[2]) ? ink.at(m[2]) : 0) +
           (m[4].matched ? std::stoll(m[4]) : 0);
}

TEST(MetafileText, InkIsAsInkTxtSays)
{
    const std::vector<std::string> lines = ReadDataLines(kFolder + "ink.txt");
    ASSERT_FALSE(lines.empty()) << "no cases in " << kFolder << "ink.txt";
    static const std::regex term(R"(([a-z]+)(!=|<=|>=|=|<|>)(\S+))");
    for (const std::string& line : lines) {
        std::istringstream fields(line);
        std::string file, check;
        fields >> file;
        while (fields >> check) {
            std::smatch m;
            ASSERT_TRUE(std::regex_match(check, m, term)) << "malformed check " << check;
            const long long have = ValueOf(m[1], file), want = ValueOf(m[3], file);
            const std::string op = m[2];
            const bool holds = op == "="    ? have == want
                               : op == "!=" ? have != want
                               : op == "<"  ? have < want
                               : op == ">"  ? have > want
                               : op == "<=" ? have <= want
                                            : have >= want;
            EXPECT_TRUE(holds) << file << ": " << check << ", have " << have << " against " << want;
        }
    }
}

// Every byte of each character set kept as a table reads as the system's converter reads
// the matching code page (bytes the code page leaves out are skipped).
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
        for (int b = 0; b <= 0xFF; ++b) {
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
        EXPECT_GT(compared, 230) << page;
    }
}

} // namespace
