// Decoder cases kept as data: the files of tests/images/cases decode as their line in
// expected.txt says, from memory as from a file, and every prefix of every decoder's
// seed files fails with a text or gives the picture's full size.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "DataLines.h"
#include "images/DecoderKit.h"
#include "images/DecoderTable.h"

namespace {

using kit::Bytes;

const std::string kCases = SLEEVIT_SOURCE_DIR "/tests/images/cases/";
const std::string kSeeds = SLEEVIT_SOURCE_DIR "/fuzz/corpus/";

// Probes "@x,y=rrggbb" (or "!=") of pixels counted from the top-left corner.
void ExpectProbes(const std::vector<std::uint32_t>& colours, int width, const std::string& probes)
{
    std::istringstream in(probes);
    std::string probe;
    while (in >> probe) {
        int x = 0, y = 0;
        char op[3] = {};
        unsigned want = 0;
        ASSERT_EQ(std::sscanf(probe.c_str(), "@%d,%d%2[!=]%x", &x, &y, op, &want), 4) << probe;
        const std::size_t at = static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + x;
        ASSERT_LT(at, colours.size()) << probe;
        EXPECT_EQ(colours[at] == want, op[0] == '=') << probe << ": have " << kit::Describe({colours[at]});
    }
}

// Colours of a picture of w x h stored as they are shown after the EXIF orientation o
// (1 to 8): the axes swapped (5 to 8), then x and y counted from the far side.
std::vector<std::uint32_t> Turned(const std::vector<std::uint32_t>& stored, int w, int h, int o)
{
    const bool swap = o >= 5, mirrorX = o == 2 || o == 3 || o == 7 || o == 8,
               mirrorY = o == 3 || o == 4 || o == 6 || o == 7;
    std::vector<std::uint32_t> shown;
    for (int dy = 0; dy < (swap ? w : h); ++dy)
        for (int dx = 0; dx < (swap ? h : w); ++dx) {
            const int sx = swap ? dy : dx, sy = swap ? dx : dy;
            shown.push_back(
                stored.at(std::size_t((mirrorY ? h - 1 - sy : sy) * w + (mirrorX ? w - 1 - sx : sx))));
        }
    return shown;
}

// The line forms are described at the top of expected.txt.
TEST(DecoderCases, DecodeAsExpectedTxtSays)
{
    const std::vector<std::string> lines = ReadDataLines(kCases + "expected.txt");
    ASSERT_FALSE(lines.empty()) << "no cases in " << kCases << "expected.txt";
    for (const std::string& line : lines) {
        std::istringstream fields(line);
        std::string file, result, size, bpp, word, want;
        fields >> file >> result;
        SCOPED_TRACE(file);
        // The options of a picture, "name=value" or "name", with their values when not given.
        std::map<std::string, std::string> opt = {{"dpi", "96x96"}, {"trans", "-1"}, {"skip", "0"}};
        if (result == "OK")
            fields >> size >> bpp;
        while (result == "OK" && fields >> word && word != ":") {
            const std::size_t eq = word.find('=');
            opt[word.substr(0, eq)] = eq == std::string::npos ? "" : word.substr(eq + 1);
        }
        std::getline(fields >> std::ws, want);
        const kit::Bytes bytes = kit::ReadBytes(kCases + file);
        const kit::Decoded r = kit::Decode(TypeFromFileName(file), bytes, std::stoul(opt["skip"]));
        if (result != "OK") {
            ASSERT_EQ(result, "BAD") << "malformed line: " << line;
            EXPECT_FALSE(r.ok) << "have a picture, want \"" << want << "\"";
            EXPECT_EQ(r.error, want);
            continue;
        }
        for (const auto& [name, value] : opt)
            ASSERT_NE(std::string(" dpi trans skip ref idx partial ").find(" " + name + " "),
                      std::string::npos)
                << "unknown option " << name;
        if (!r.ok) { // the other lines are still checked
            ADD_FAILURE() << r.error;
            continue;
        }
        // ref: the EXIF orientation the pixels are compared with bare libjpeg's under;
        // given as ref=<o>, the decoder must report it.
        const int ref = !opt.count("ref") ? 0 : opt["ref"].empty() ? 1 : std::stoi(opt["ref"]);
        const PixelBlock& p = r.image.pixels;
        EXPECT_EQ(std::to_string(p.Width()) + "x" + std::to_string(p.Height()), size);
        EXPECT_EQ(std::to_string(p.Bpp()), bpp);
        EXPECT_EQ(std::to_string(r.image.xDpi) + "x" + std::to_string(r.image.yDpi), opt["dpi"]);
        EXPECT_EQ(r.image.transIndex < 0
                      ? "-1"
                      : std::to_string(r.image.transIndex) + "/" + kit::Describe({r.image.transColour}),
                  opt["trans"]);
        EXPECT_EQ(!r.image.partial.empty(), opt.count("partial") == 1) << r.image.partial;
        const std::vector<std::uint32_t> colours = kit::Colours(p);
        if (ref > 0) {
            const bool swap = ref >= 5;
            EXPECT_TRUE(colours == Turned(kit::LibjpegColours(bytes), swap ? p.Height() : p.Width(),
                                          swap ? p.Width() : p.Height(), ref))
                << "pixels differ from bare libjpeg's";
        }
        if (ref > 0 && !opt["ref"].empty()) {
            EXPECT_EQ(r.image.exifOrientation, ref);
        }
        if (want == "-") {
            // a lossy picture: its pixels are checked against bare libjpeg (ref) alone
        } else if (want.rfind("@", 0) == 0) {
            ExpectProbes(colours, p.Width(), want);
        } else {
            EXPECT_EQ(want.rfind("fnv=", 0) == 0 ? kit::Fingerprint(colours) : kit::Describe(colours), want);
        }
        EXPECT_EQ(p.Bpp() <= 8 ? kit::Fingerprint(kit::Indices(p)) : "",
                  opt.count("idx") ? "fnv=" + opt["idx"] : "");
    }
}

// A file read in chunks from disk gives the pixels it gives from memory: noise files
// whose data crosses many chunk boundaries (the JPEG one after an APP2 segment of 65000
// bytes, which libjpeg skips across a refill).
TEST(DecoderCases, FileStreamGivesTheSamePixelsAsMemory)
{
    for (const std::string name : {"large/noise_150x150.jpg", "large/noise_16_bits_160x70.png"}) {
        kit::Bytes file = kit::ReadBytes(kCases + name);
        if (TypeFromFileName(name) == kImageJpeg) {
            kit::Bytes app2 = {0xFF, 0xE2, 0xFD, 0xEA};
            app2.resize(4 + 65000, 0x5A);
            file.insert(file.begin() + 2, app2.begin(), app2.end());
        }
        ASSERT_GT(file.size(), 65536u) << name;
        const kit::Decoded fromFile = kit::DecodeFromFile(TypeFromFileName(name), file);
        const kit::Decoded fromMemory = kit::Decode(TypeFromFileName(name), file);
        ASSERT_TRUE(fromFile.ok && fromMemory.ok) << name << ": " << fromFile.error << fromMemory.error;
        EXPECT_EQ(kit::Colours(fromFile.image.pixels), kit::Colours(fromMemory.image.pixels)) << name;
    }
}

// Every prefix of a good file (a fuzz seed, or a case that decodes) fails with a text,
// or gives a picture of the full size; one that claims to be whole and complete has
// exactly the full file's pixels where the decoder can tell.
TEST(DecoderCases, EveryPrefixFailsCleanlyOrKeepsTheSize)
{
    // What a prefix of a decoder's files may give, one decoder a line (see the file's top).
    const std::vector<std::string> lines =
        ReadDataLines(SLEEVIT_SOURCE_DIR "/tests/images/data/prefixes.txt");
    ASSERT_EQ(lines.size(), 9u);
    for (const std::string& line : lines) {
        std::vector<std::string> errors = SplitFields(line);
        const std::string folder = errors[0].substr(0, errors[0].find(' '));
        const std::string allowed = errors[0].substr(folder.size());
        errors.erase(errors.begin());
        const auto may = [&allowed](char what) { return allowed.find(what) != std::string::npos; };
        std::vector<std::filesystem::path> files;
        for (const std::string& root : {kSeeds, kCases}) {
            std::error_code none; // not every decoder has cases
            for (const auto& e : std::filesystem::directory_iterator(root + folder, none))
                files.push_back(e.path());
        }
        std::sort(files.begin(), files.end());
        for (const auto& path : files) {
            const Bytes file = kit::ReadBytes(path.string());
            const kit::Decoded full = kit::Decode(TypeFromFileName(path.string()), file);
            if (!full.ok) {
                EXPECT_NE(path.string().rfind(kSeeds, 0), 0u) << path << ": " << full.error;
                continue; // a case of a bad file
            }
            const std::vector<std::uint32_t> colours = kit::Colours(full.image.pixels);
            const std::vector<std::uint32_t> indices = kit::Indices(full.image.pixels);
            const int fill = full.image.transIndex >= 0                   ? full.image.transIndex
                             : file.size() > 11 && (file[10] & 0x80) != 0 ? file[11]
                                                                          : 0;
            for (std::size_t n = 0; n < file.size(); ++n) {
                SCOPED_TRACE(path.filename().string() + " cut to " + std::to_string(n) + " bytes");
                const kit::Decoded r = kit::Decode(TypeFromFileName(path.string()),
                                                   Bytes(file.begin(), file.begin() + std::ptrdiff_t(n)));
                if (!r.ok) {
                    EXPECT_FALSE(r.error.empty());
                    bool known = errors.empty();
                    for (const std::string& e : errors)
                        known = known || r.error.rfind(e, 0) == 0;
                    EXPECT_TRUE(known) << "have \"" << r.error << "\"";
                    continue;
                }
                ASSERT_TRUE(may('d')) << "a cut file decoded";
                ASSERT_TRUE(r.image.pixels.IsValid());
                const bool noticed = !r.image.partial.empty();
                ASSERT_TRUE(!noticed || may('p')) << r.image.partial;
                if (noticed && !may('s'))
                    continue;
                ASSERT_EQ(r.image.pixels.Width(), full.image.pixels.Width());
                ASSERT_EQ(r.image.pixels.Height(), full.image.pixels.Height());
                const std::vector<std::uint32_t> have = kit::Indices(r.image.pixels);
                for (std::size_t i = 0; noticed && may('f') && i < have.size(); ++i)
                    ASSERT_TRUE(have[i] == indices[i] || have[i] == std::uint32_t(fill)) << "pixel " << i;
                if (!noticed && may('x') && full.image.partial.empty()) {
                    ASSERT_EQ(kit::Colours(r.image.pixels), colours) << "a cut file claims to be whole";
                }
            }
        }
    }
}

} // namespace
