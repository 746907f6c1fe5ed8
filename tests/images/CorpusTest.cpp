// Every file of the shared decoder corpus, loaded the way the program loads a cover:
// valid files to the size their manifest gives, broken files to a clean failure that
// keeps the picture loaded before, every file to its line of the golden manifest of
// decoded results and to the renderings its suite ships.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "DataLines.h"
#include "images/DecoderKit.h"
#include "images/DecoderTable.h"
#include "images/RasterImage.h"

namespace {

// A table row of a corpus folder's MANIFEST.md: | `path` | status | expected size | notes | ...
struct CorpusEntry {
    std::string path;     // relative to the corpus root, e.g. "bmp/bmpsuite/g/pal1.bmp"
    std::string status;   // "valid", "valid-but-odd" or "invalid"
    std::string sizeText; // the manifest's "Expected size" cell
    std::string notes;    // the manifest's notes cell, which names reference renderings
};

// Every entry of every <root>/<folder>/MANIFEST.md, folders in name order.
std::vector<CorpusEntry> LoadCorpus(const std::string& root)
{
    std::set<std::string> folders;
    std::error_code ec;
    for (const auto& d : std::filesystem::directory_iterator(root, ec))
        if (d.is_directory())
            folders.insert(d.path().filename().string());
    static const std::regex row(
        R"(\| `([^`]+)` *\| *(valid|valid-but-odd|invalid) *\| *([^|]*?) *\|([^|]*).*)");
    std::vector<CorpusEntry> all;
    for (const std::string& folder : folders) {
        std::ifstream in(root + "/" + folder + "/MANIFEST.md");
        std::smatch m;
        for (std::string line; std::getline(in, line);)
            if (std::regex_match(line, m, row))
                all.push_back({folder + "/" + m[1].str(), m[2], m[3], m[4]});
    }
    return all;
}

// What the size cell says of the decoded size, with its width and height: 'e' exactly
// ("127x64", also "16x16 1-bit"; "stored 1200x1800 -> displayed 1800x1200" for EXIF-turned
// JPEGs), 'l' at most ("largest 256x256": an icon file with several pictures), 'a' any
// resolution of the frame's proportions ("1905x692 units; ...", "54x53 dev-px bounds; ..."
// for metafiles), '-' nothing ("n/a ...", or an empty frame).
char SizeRule(const std::string& text, int& w, int& h)
{
    const char* s = text.c_str();
    int end = 0;
    char unit[8] = {};
    char rule = '-';
    if (std::sscanf(s, "stored %*dx%*d -> displayed %dx%d", &w, &h) == 2)
        rule = 'e';
    else if (std::sscanf(s, "largest %dx%d", &w, &h) == 2)
        rule = 'l';
    else if (std::sscanf(s, "%dx%d%n", &w, &h, &end) == 2 && (s[end] == 0 || s[end] == ' '))
        rule = std::sscanf(s + end, " %7[a-z-]", unit) == 1 &&
                       (unit == std::string("units") || unit == std::string("dev-px"))
                   ? 'a'
                   : 'e';
    return w > 0 && h > 0 ? rule : '-';
}

// The golden line of a loaded or failed file, after its path:
// "OK <w>x<h>x<bpp> <crc32 of the top-down RGB rows> <decoder>" or "BAD <error text>".
std::string GoldenResult(const CRasterImage& image, bool ok)
{
    if (!ok)
        return "BAD " + image.GetLastError();
    char text[96];
    std::snprintf(text, sizeof text, "OK %dx%dx%d %08x %s", image.GetWidth(), image.GetHeight(),
                  image.GetBpp(), kit::RgbCrc32(image.Pixels()), DecoderName(image.GetType()));
    return text;
}

// The largest difference of a colour channel between two pictures; 256 when their sizes differ.
int WorstDifference(const CRasterImage& ours, const CRasterImage& want)
{
    if (ours.GetWidth() != want.GetWidth() || ours.GetHeight() != want.GetHeight())
        return 256;
    const std::vector<std::uint32_t> a = kit::Colours(ours.Pixels()), b = kit::Colours(want.Pixels());
    int worst = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        for (int shift = 0; shift < 24; shift += 8)
            worst = std::max(worst, std::abs(int((a[i] >> shift) & 0xFF) - int((b[i] >> shift) & 0xFF)));
    return worst;
}

const std::string kRoot = SLEEVIT_SHARED_DIR "/corpus";
const char* const kGoldenPath = SLEEVIT_SOURCE_DIR "/tests/images/golden/corpus-manifest.txt";
// A small picture of our own (a fuzz seed) to load before each corpus file.
const std::string kPrimer = SLEEVIT_SOURCE_DIR "/fuzz/corpus/image_any/rgb24_4x3.bmp";

// The corpus's own suites ship the pictures their files must give ("ref/pal8.png" in a
// row's notes, in the file's folder or one above it). Read by our PNG decoder, they are
// an oracle apart from the golden manifest, which only records what our decoders make
// of a file. golden/reference-differences.txt lists the files allowed to differ, with
// the largest channel difference allowed and why.
TEST(CorpusFiles, LoadAsTheManifestsAndGoldenLinesSayAndMatchTheirSuitesRenderings)
{
    const std::vector<CorpusEntry> corpus = LoadCorpus(kRoot);
    if (corpus.empty()) {
        GTEST_SKIP() << "no corpus at " << kRoot;
    }
    std::map<std::string, std::string> golden;
    for (const std::string& line : ReadDataLines(kGoldenPath))
        golden[line.substr(0, line.find(' '))] = line.substr(line.find(' ') + 1);
    ASSERT_FALSE(golden.empty()) << "no golden manifest at " << kGoldenPath
                                 << "; scripts/golden-images.sh makes it";
    std::map<std::string, int> allowed;
    for (const std::string& line :
         ReadDataLines(SLEEVIT_SOURCE_DIR "/tests/images/golden/reference-differences.txt"))
        allowed[line.substr(0, line.find(' '))] = std::stoi(line.substr(line.find(' ') + 1));
    static const std::regex named(R"(((?:[\w-]+/)*ref/[\w.-]+\.png))");
    std::set<std::string> paths, statuses;
    std::set<char> rules;
    int compared = 0;
    for (const CorpusEntry& e : corpus) {
        SCOPED_TRACE(e.path);
        int w = 0, h = 0;
        const char rule = SizeRule(e.sizeText, w, h);
        paths.insert(e.path);
        statuses.insert(e.status);
        rules.insert(rule);
        const int type = TypeFromFileName(e.path);
        ASSERT_NE(type, kImageAny) << "no image type for the extension";

        CRasterImage image;
        // A picture already in the image, which a failed load must leave as it was.
        ASSERT_TRUE(image.Load(kPrimer, kImageBmp)) << image.GetLastError();
        const std::string primed = GoldenResult(image, true);
        const bool ok = image.Load(kRoot + "/" + e.path, type);
        // Every change a decoder makes to what it produces shows here.
        EXPECT_EQ(GoldenResult(image, ok), golden.count(e.path) ? golden[e.path] : "(no line)")
            << "decoded result differs from " << kGoldenPath
            << " (scripts/golden-images.sh regenerates it once the change is right)";
        if (!ok) {
            EXPECT_FALSE(image.GetLastError().empty()) << "a failed load must say why";
            EXPECT_EQ(GoldenResult(image, true), primed) << "a failed load must keep the previous picture";
            EXPECT_NE(e.status, "valid")
                << "have error \"" << image.GetLastError() << "\", want a picture of " << e.sizeText;
            continue;
        }
        // What every loaded picture must satisfy, whatever the file was.
        EXPECT_TRUE(image.IsValid());
        EXPECT_TRUE(image.GetWidth() >= 1 && image.GetWidth() <= ImageLimits::kMaxSide);
        EXPECT_TRUE(image.GetHeight() >= 1 && image.GetHeight() <= ImageLimits::kMaxSide);
        const int bpp = image.GetBpp();
        EXPECT_TRUE(bpp == 1 || bpp == 4 || bpp == 8 || bpp == 24) << "have " << bpp << " bits per pixel";
        EXPECT_TRUE(DecoderFor(image.GetType()) != nullptr)
            << "have type " << image.GetType() << " after a load, want the code of the decoder that read it";

        // A row may name several renderings that viewers are equally right to give.
        std::string misses;
        for (std::sregex_iterator m(e.notes.begin(), e.notes.end(), named), end; m != end; ++m) {
            std::filesystem::path dir = std::filesystem::path(kRoot) / e.path;
            do
                dir = dir.parent_path();
            while (!std::filesystem::exists(dir / m->str()) && dir.string().size() > kRoot.size());
            CRasterImage want;
            ASSERT_TRUE(want.Load((dir / m->str()).string(), kImagePng)) << m->str();
            const int worst = WorstDifference(image, want);
            if (worst <= (allowed.count(e.path) ? allowed[e.path] : 1)) { // 1: rounding of other depths
                misses.clear();
                ++compared;
                break;
            }
            misses += " " + m->str() + " (" + std::to_string(worst) + ")";
        }
        EXPECT_EQ(misses, "") << "differs from every rendering its row names";

        if (e.status == "invalid")
            continue; // a partial picture of a broken file is acceptable; it must only be sound
        if (e.status == "valid") {
            EXPECT_EQ(image.GetType(), type) << "a valid file is read by the decoder of its own type, have "
                                             << DecoderName(image.GetType());
            EXPECT_EQ(image.GetLoadNotice(), "") << "a valid file loads whole";
        }
        // Metafiles: any resolution, but the frame's proportions: the height the frame's
        // aspect gives for our width, within 3 % or 2 pixels (rounding of small pictures).
        const double wantH = double(image.GetWidth()) * h / std::max(w, 1);
        EXPECT_TRUE(rule == 'e'   ? image.GetWidth() == w && image.GetHeight() == h
                    : rule == 'l' ? image.GetWidth() <= w && image.GetHeight() <= h
                    : rule == 'a' ? std::fabs(image.GetHeight() - wantH) <= std::max(2.0, 0.03 * wantH)
                                  : true)
            << "have " << image.GetWidth() << "x" << image.GetHeight() << ", want " << e.sizeText << " (rule "
            << rule << ")";
    }
    EXPECT_GE(compared, 85) << "the manifests name fewer reference renderings than they did";
    // The manifests have rows of every status and size rule: a reader that lost one
    // would leave their checks out.
    EXPECT_EQ(statuses.size(), 3u);
    EXPECT_EQ(rules.size(), 4u);
    for (const auto& [path, result] : golden)
        EXPECT_EQ(paths.count(path), 1u) << path << " of " << kGoldenPath << " is not in the corpus";
}

} // namespace
