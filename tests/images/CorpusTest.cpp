// Every file of the shared decoder corpus, loaded the way the program loads a cover:
// valid files to the size their manifest gives, broken files to a clean failure that
// keeps the picture loaded before, every file to its line of the golden manifest of
// decoded results.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
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

enum class CorpusStatus { kValid, kOdd, kInvalid };

// What a manifest says about the decoded size.
enum class SizeRule {
    kNone,    // nothing to check (invalid files, metafiles without a frame)
    kExact,   // exactly width x height (for EXIF-turned JPEGs: the displayed size)
    kLargest, // an icon file with several pictures: at most width x height
    kAspect,  // a metafile: any resolution, but the frame's proportions
};

// A table row of a corpus folder's MANIFEST.md: | `path` | status | expected size | ...
struct CorpusEntry {
    std::string path; // relative to the corpus root, e.g. "bmp/bmpsuite/g/pal1.bmp"
    CorpusStatus status = CorpusStatus::kInvalid;
    std::string sizeText; // the manifest's "Expected size" cell
    std::string notes;    // the manifest's notes cell, which names reference renderings
    SizeRule rule = SizeRule::kNone;
    int width = 0;
    int height = 0;
};

// The size cell's forms: "127x64" (also "16x16 1-bit", "16x16 PNG 32-bit"), "stored
// 1200x1800 -> displayed 1800x1200", "largest 256x256", "1905x692 units; ..." and
// "54x53 dev-px bounds; ..." for metafiles; anything else ("n/a ...") says nothing.
void ReadSize(CorpusEntry& e)
{
    const char* s = e.sizeText.c_str();
    int end = 0;
    char unit[8] = {};
    if (std::sscanf(s, "stored %*dx%*d -> displayed %dx%d", &e.width, &e.height) == 2)
        e.rule = SizeRule::kExact;
    else if (std::sscanf(s, "largest %dx%d", &e.width, &e.height) == 2)
        e.rule = SizeRule::kLargest;
    else if (std::sscanf(s, "%dx%d%n", &e.width, &e.height, &end) == 2 && (s[end] == 0 || s[end] == ' '))
        e.rule = std::sscanf(s + end, " %7[a-z-]", unit) == 1 &&
                         (unit == std::string("units") || unit == std::string("dev-px"))
                     ? SizeRule::kAspect
                     : SizeRule::kExact;
    if (e.width <= 0 || e.height <= 0)
        e.rule = SizeRule::kNone; // an empty frame says nothing about proportions
}

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
        for (std::string line; std::getline(in, line);) {
            if (!std::regex_match(line, m, row))
                continue;
            CorpusEntry e;
            e.path = folder + "/" + m[1].str();
            e.status = m[2] == "valid"     ? CorpusStatus::kValid
                       : m[2] == "invalid" ? CorpusStatus::kInvalid
                                           : CorpusStatus::kOdd;
            e.sizeText = m[3];
            e.notes = m[4];
            ReadSize(e);
            all.push_back(e);
        }
    }
    return all;
}

const std::string kRoot = SLEEVIT_SHARED_DIR "/corpus";

// The entries of the corpus, none when it is not there.
const std::vector<CorpusEntry>& Corpus()
{
    static const std::vector<CorpusEntry> corpus = LoadCorpus(kRoot);
    return corpus;
}

// Checks the decoded size against the manifest's rule.
void CheckSize(const CorpusEntry& e, const CRasterImage& image)
{
    const std::int32_t w = image.GetWidth();
    const std::int32_t h = image.GetHeight();
    // Metafiles: any resolution, but the frame's proportions: the height the frame's
    // aspect gives for our width, within 3 % or 2 pixels (rounding of small pictures).
    const double wantH = double(w) * double(e.height) / double(std::max(e.width, 1));
    const bool right = e.rule == SizeRule::kExact     ? w == e.width && h == e.height
                       : e.rule == SizeRule::kLargest ? w <= e.width && h <= e.height
                       : e.rule == SizeRule::kAspect
                           ? std::fabs(double(h) - wantH) <= std::max(2.0, 0.03 * wantH)
                           : true;
    EXPECT_TRUE(right) << "have " << w << "x" << h << ", want " << e.sizeText << " (rule " << int(e.rule)
                       << ")";
}

const char* const kGoldenPath = SLEEVIT_SOURCE_DIR "/tests/images/golden/corpus-manifest.txt";

// The committed golden manifest: path -> result, as GoldenResult writes it.
const std::map<std::string, std::string>& Golden()
{
    static const std::map<std::string, std::string> golden = [] {
        std::map<std::string, std::string> lines;
        std::ifstream in(kGoldenPath);
        if (!in)
            ADD_FAILURE() << "no golden manifest at " << kGoldenPath << "; scripts/golden-images.sh makes it";
        for (std::string line; std::getline(in, line);)
            if (!line.empty() && line[0] != '#' && line.find(' ') != std::string::npos)
                lines[line.substr(0, line.find(' '))] = line.substr(line.find(' ') + 1);
        return lines;
    }();
    return golden;
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

// A small picture of our own (a fuzz seed) to load before each corpus file.
const std::string kPrimer = SLEEVIT_SOURCE_DIR "/fuzz/corpus/image_any/rgb24_4x3.bmp";

class CorpusFile : public testing::TestWithParam<CorpusEntry> {};

TEST_P(CorpusFile, LoadsAsTheManifestSays)
{
    const CorpusEntry& e = GetParam();
    if (e.path.empty()) {
        GTEST_SKIP() << "no corpus at " << SLEEVIT_SHARED_DIR << "/corpus";
    }
    const int type = TypeFromFileName(e.path);
    ASSERT_NE(type, kImageAny) << "no image type for the extension of " << e.path;

    CRasterImage image;
    // A picture already in the image, which a failed load must leave as it was.
    ASSERT_TRUE(image.Load(kPrimer, kImageBmp)) << image.GetLastError();
    const std::string primed = GoldenResult(image, true);
    const bool ok = image.Load(kRoot + "/" + e.path, type);
    // Every change a decoder makes to what it produces shows here.
    const auto golden = Golden().find(e.path);
    EXPECT_EQ(GoldenResult(image, ok), golden == Golden().end() ? "(no line)" : golden->second)
        << "decoded result differs from " << kGoldenPath
        << " (scripts/golden-images.sh regenerates it once the change is right)";
    if (!ok) {
        EXPECT_FALSE(image.GetLastError().empty()) << "a failed load must say why";
        EXPECT_EQ(GoldenResult(image, true), primed) << "a failed load must keep the previous picture";
        EXPECT_NE(e.status, CorpusStatus::kValid)
            << "have error \"" << image.GetLastError() << "\", want a picture of " << e.sizeText;
        return;
    }
    // What every loaded picture must satisfy, whatever the file was.
    EXPECT_TRUE(image.IsValid());
    EXPECT_TRUE(image.GetWidth() >= 1 && image.GetWidth() <= ImageLimits::kMaxSide);
    EXPECT_TRUE(image.GetHeight() >= 1 && image.GetHeight() <= ImageLimits::kMaxSide);
    const int bpp = image.GetBpp();
    EXPECT_TRUE(bpp == 1 || bpp == 4 || bpp == 8 || bpp == 24) << "have " << bpp << " bits per pixel";
    EXPECT_TRUE(DecoderFor(image.GetType()) != nullptr)
        << "have type " << image.GetType() << " after a load, want the code of the decoder that read it";
    if (e.status == CorpusStatus::kInvalid)
        return; // a partial picture of a broken file is acceptable; it must only be sound
    if (e.status == CorpusStatus::kValid) {
        EXPECT_EQ(image.GetType(), type)
            << "a valid file is read by the decoder of its own type, have " << DecoderName(image.GetType());
        EXPECT_EQ(image.GetLoadNotice(), "") << "a valid file loads whole";
    }
    CheckSize(e, image);
}

std::vector<CorpusEntry> Params()
{
    std::vector<CorpusEntry> entries = Corpus();
    if (entries.empty())
        entries.push_back(CorpusEntry{}); // one test that reports the corpus missing
    return entries;
}

std::string ParamName(const testing::TestParamInfo<CorpusEntry>& info)
{
    std::string name = info.param.path.empty() ? std::string("missing") : info.param.path;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    // Two paths that differ only in punctuation would clash; the index keeps them apart.
    return name + "_" + std::to_string(info.index);
}

INSTANTIATE_TEST_SUITE_P(Shared, CorpusFile, testing::ValuesIn(Params()), ParamName);

// The corpus's own suites ship the pictures their files must give ("ref/pal8.png" in a
// row's notes, in the file's folder or one above it). Read by our PNG decoder, they are
// an oracle apart from the golden manifest, which only records what our decoders make
// of a file. golden/reference-differences.txt lists the files allowed to differ, with
// the largest channel difference allowed and why.
TEST(CorpusReferences, PicturesMatchTheRenderingsOfTheirSuites)
{
    if (Corpus().empty()) {
        GTEST_SKIP() << "no corpus at " << SLEEVIT_SHARED_DIR << "/corpus";
    }
    std::map<std::string, int> allowed;
    for (const std::string& line :
         ReadDataLines(SLEEVIT_SOURCE_DIR "/tests/images/golden/reference-differences.txt"))
        allowed[line.substr(0, line.find(' '))] = std::stoi(line.substr(line.find(' ') + 1));
    static const std::regex named(R"(((?:[\w-]+/)*ref/[\w.-]+\.png))");
    int compared = 0;
    for (const CorpusEntry& e : Corpus()) {
        CRasterImage ours;
        if (!ours.Load(kRoot + "/" + e.path, TypeFromFileName(e.path)))
            continue; // a file we refuse has no picture to compare
        // A row may name several renderings that viewers are equally right to give.
        std::string misses;
        for (std::sregex_iterator m(e.notes.begin(), e.notes.end(), named), end; m != end; ++m) {
            std::filesystem::path dir = std::filesystem::path(kRoot) / e.path;
            do
                dir = dir.parent_path();
            while (!std::filesystem::exists(dir / m->str()) && dir.string().size() > kRoot.size());
            CRasterImage want;
            ASSERT_TRUE(want.Load((dir / m->str()).string(), kImagePng)) << e.path << ": " << m->str();
            const int limit = allowed.count(e.path) ? allowed[e.path] : 1; // rounding of other depths
            int worst = 256;                                               // a picture of another size
            if (ours.GetWidth() == want.GetWidth() && ours.GetHeight() == want.GetHeight()) {
                const std::vector<std::uint32_t> a = kit::Colours(ours.Pixels()),
                                                 b = kit::Colours(want.Pixels());
                worst = 0;
                for (std::size_t i = 0; i < a.size(); ++i)
                    for (int shift = 0; shift < 24; shift += 8)
                        worst = std::max(worst,
                                         std::abs(int((a[i] >> shift) & 0xFF) - int((b[i] >> shift) & 0xFF)));
            }
            if (worst <= limit) {
                misses.clear();
                ++compared;
                break;
            }
            misses += " " + m->str() + " (" + std::to_string(worst) + ")";
        }
        EXPECT_EQ(misses, "") << e.path << " differs from every rendering its row names";
    }
    EXPECT_GE(compared, 85) << "the manifests name fewer reference renderings than they did";
}

TEST(CorpusGolden, EveryLineNamesACorpusFileAndEveryKindOfRowIsRead)
{
    if (Corpus().empty()) {
        GTEST_SKIP() << "no corpus at " << SLEEVIT_SHARED_DIR << "/corpus";
    }
    std::set<std::string> paths;
    std::set<int> statuses, rules;
    for (const CorpusEntry& e : Corpus()) {
        paths.insert(e.path);
        statuses.insert(int(e.status));
        rules.insert(int(e.rule));
    }
    // The manifests have rows of every status and size rule: a reader that lost one
    // would leave their checks out.
    EXPECT_EQ(statuses.size(), 3u);
    EXPECT_EQ(rules.size(), 4u);
    for (const auto& [path, result] : Golden())
        EXPECT_EQ(paths.count(path), 1u) << path << " of " << kGoldenPath << " is not in the corpus";
    EXPECT_FALSE(Golden().empty());
}

} // namespace
