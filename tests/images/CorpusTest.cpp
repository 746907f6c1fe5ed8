// Every file of the shared decoder corpus, loaded the way the program loads a cover:
// valid files to the size their manifest gives and, where a reference decoder is at
// hand, to the same pixels; broken files to a clean failure; every file to its line of
// the golden manifest of decoded results.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "RunProgram.h"
#include "images/CorpusManifest.h"
#include "images/DecoderTable.h"
#include "images/ImageDiff.h"
#include "images/RasterImage.h"

namespace {

const std::vector<CorpusEntry>& Corpus()
{
    static const std::vector<CorpusEntry> corpus = LoadCorpus(CorpusRoot());
    return corpus;
}

std::string FullPath(const CorpusEntry& e)
{
    return CorpusRoot() + "/" + e.path;
}

// How far our picture may lie from the reference decoder's.
struct Tolerance {
    bool comparePixels = true; // false: the reference is not comparable, size checks only
    int maxChannel = 0;        // largest channel difference allowed
    double maxMean = 0.0;      // largest average channel difference allowed
    std::string reason = "lossless: identical pixels";
};

// JPEG decoders may use different inverse DCTs and chroma upsampling, so two correct
// decoders differ by a few levels at edges; the average stays well below one level.
// (Against a reference on the same libjpeg build the pictures are identical.)
const Tolerance kJpegTolerance{true, 12, 0.5, "lossy: decoders' IDCT and upsampling may differ"};

// Where the picture has an alpha channel (composited onto white) or samples of other
// than 8 bits (scaled to 8), two right decoders may round the other way: one level.
const Tolerance kRoundingTolerance{true, 1, 0.5, "alpha or non-8-bit samples: rounding differs by one level"};

// Files on which we knowingly differ from the reference (a path, or a folder ending in
// '/'), read from golden/known-differences.txt.
const std::vector<std::pair<std::string, Tolerance>>& KnownDifferences()
{
    static const std::vector<std::pair<std::string, Tolerance>> known = [] {
        std::vector<std::pair<std::string, Tolerance>> rows;
        std::ifstream in(SLEEVIT_SOURCE_DIR "/tests/images/golden/known-differences.txt");
        if (!in)
            ADD_FAILURE() << "tests/images/golden/known-differences.txt is missing";
        std::string line;
        while (std::getline(in, line)) {
            std::istringstream fields(line);
            std::string path, limit;
            Tolerance t;
            if (line.empty() || line[0] == '#' || !(fields >> path >> limit))
                continue;
            t.comparePixels = limit != "size";
            if (t.comparePixels) {
                t.maxChannel = std::stoi(limit);
                fields >> t.maxMean;
            }
            std::getline(fields >> std::ws, t.reason);
            rows.emplace_back(path, t);
        }
        return rows;
    }();
    return known;
}

// The tolerance of a file; roundingExpected: its picture has alpha or samples of other than 8 bits.
Tolerance ToleranceFor(const CorpusEntry& e, int type, bool roundingExpected = false)
{
    for (const auto& [prefix, tolerance] : KnownDifferences())
        if (prefix.back() == '/' ? e.path.rfind(prefix, 0) == 0 : e.path == prefix)
            return tolerance;
    if (type == kImageJpeg)
        return kJpegTolerance;
    return roundingExpected ? kRoundingTolerance : Tolerance{};
}

bool HaveReferenceDecoder()
{
    static const bool have =
        RunProgram("command -v convert >/dev/null && command -v identify >/dev/null").status == 0;
    return have;
}

std::string ShellQuote(const std::string& s)
{
    std::string q = "'";
    for (char c : s) {
        if (c == '\'')
            q += "'\\''";
        else
            q += c;
    }
    return q + "'";
}

// The frame of a file the reference decoder is to read (for an icon file the last picture
// of the given size, which has the most colours; else the first), or -1; and whether the
// reference sees an alpha channel or samples of other than 8 bits in it.
int ReferenceFrame(const std::string& file, bool icon, std::int32_t width, std::int32_t height,
                   bool& alphaOrOddDepth)
{
    int found = icon ? -1 : 0;
    const ProgramResult listed =
        RunProgram("identify -format '%w %h %z %A\\n' " + ShellQuote(icon ? file : file + "[0]"));
    if (listed.status != 0)
        return found;
    std::stringstream lines(listed.out);
    long w = 0, h = 0;
    std::string depth, alpha;
    for (int index = 0; lines >> w >> h >> depth >> alpha; ++index)
        if (!icon || (w == width && h == height)) {
            found = index;
            alphaOrOddDepth = depth != "8" || alpha == "True" || alpha == "Blend";
        }
    return found;
}

// The reference decoder's picture of a file: the first frame (or the given one), turned
// upright by its EXIF orientation for JPEGs, transparent parts put on white.
bool ReferenceDecode(const std::string& file, int type, int frame, RgbPicture& out, std::string& error)
{
    std::string command = "convert " + ShellQuote(file + "[" + std::to_string(frame) + "]");
    if (type == kImageJpeg)
        command += " -auto-orient +repage"; // +repage: flatten onto the turned canvas, not the stored one
    else
        command += " -set colorspace sRGB"; // else grey pictures are taken as linear and brightened
    command += " -background white -flatten -depth 8 ppm:-";
    const ProgramResult r = RunProgram(command);
    if (r.status != 0) {
        error = "the reference decoder cannot read it";
        return false;
    }
    return ReadPnm(std::vector<std::uint8_t>(r.out.begin(), r.out.end()), out, error);
}

// Checks the decoded size against the manifest's rule.
void CheckSize(const CorpusEntry& e, const CRasterImage& image)
{
    const std::int32_t w = image.GetWidth();
    const std::int32_t h = image.GetHeight();
    switch (e.rule) {
    case SizeRule::kNone:
        break;
    case SizeRule::kExact:
        EXPECT_TRUE(w == e.width && h == e.height) << "have " << w << "x" << h << ", want " << e.width << "x"
                                                   << e.height << " (" << e.sizeText << ")";
        break;
    case SizeRule::kLargest:
        EXPECT_TRUE(w <= e.width && h <= e.height)
            << "have " << w << "x" << h << ", want at most " << e.width << "x" << e.height;
        break;
    case SizeRule::kAspect: {
        // Any resolution, but the frame's proportions: the height the frame's aspect
        // gives for our width, within 3 % or 2 pixels (rounding of small pictures).
        const double wantH = double(w) * double(e.height) / double(e.width);
        const double slack = std::max(2.0, 0.03 * wantH);
        EXPECT_LE(std::fabs(double(h) - wantH), slack)
            << "have " << w << "x" << h << ", want the proportions of " << e.width << "x" << e.height << " ("
            << e.sizeText << ")";
        break;
    }
    }
}

// Checks what every loaded picture must satisfy, whatever the file was.
void CheckLoadedInvariants(const CRasterImage& image)
{
    EXPECT_TRUE(image.IsValid());
    EXPECT_GE(image.GetWidth(), 1);
    EXPECT_GE(image.GetHeight(), 1);
    EXPECT_LE(image.GetWidth(), ImageLimits::kMaxSide);
    EXPECT_LE(image.GetHeight(), ImageLimits::kMaxSide);
    const int bpp = image.GetBpp();
    EXPECT_TRUE(bpp == 1 || bpp == 4 || bpp == 8 || bpp == 24) << "have " << bpp << " bits per pixel";
    EXPECT_TRUE(DecoderFor(image.GetType()) != nullptr)
        << "have type " << image.GetType() << " after a load, want the code of the decoder that read it";
}

// One picture the decoded image may be compared with.
struct Reference {
    std::string file; // absolute path
    int type;         // how the reference decoder is to read it
    int frame;
    Tolerance tolerance;
};

// What to compare a decoded file with: the renderings its manifest names when there are
// any (they show what the format's authors meant, where decoders disagree), else the
// reference decoder's reading of the file itself.
std::vector<Reference> ReferencesFor(const CorpusEntry& e, int type, const CRasterImage& image,
                                     std::string& note)
{
    std::vector<Reference> refs;
    if (!ToleranceFor(e, type).comparePixels)
        return refs;
    const std::string file = FullPath(e);
    bool rounding = false;
    const int frame = ReferenceFrame(file, type == kImageIco, image.GetWidth(), image.GetHeight(), rounding);
    if (frame < 0) {
        note = "no picture of that size in the reference's reading";
        return refs;
    }
    const Tolerance tol = ToleranceFor(e, type, type != kImageJpeg && rounding);
    for (const std::string& r : e.references) {
        const int refType = TypeForPath(r);
        refs.push_back({CorpusRoot() + "/" + r, refType, 0, refType == kImageJpeg ? kJpegTolerance : tol});
    }
    if (refs.empty())
        refs.push_back({file, type, frame, tol});
    return refs;
}

void CompareWithReference(const CorpusEntry& e, int type, const CRasterImage& image)
{
    if (!HaveReferenceDecoder())
        return;
    std::string note;
    const std::vector<Reference> refs = ReferencesFor(e, type, image, note);
    if (!note.empty())
        std::printf("  [reference] %s: %s\n", e.path.c_str(), note.c_str());
    if (refs.empty())
        return;
    const RgbPicture have = ToRgb(image.Pixels(), image.GetTransIndex());
    std::string misses;
    std::size_t compared = 0;
    for (const Reference& ref : refs) {
        RgbPicture want;
        std::string error;
        if (!ReferenceDecode(ref.file, ref.type, ref.frame, want, error))
            continue;
        ++compared;
        const ImageDifference d = CompareRgb(have, want);
        const std::string name = ref.file.substr(CorpusRoot().size() + 1);
        if (!d.sameSize) {
            misses += "\n  " + name + ": have " + std::to_string(have.width) + "x" +
                      std::to_string(have.height) + ", want " + std::to_string(want.width) + "x" +
                      std::to_string(want.height);
            continue;
        }
        const double mean = d.MeanChannelDiff(have.width, have.height);
        if (d.maxChannelDiff <= ref.tolerance.maxChannel && mean <= ref.tolerance.maxMean)
            return; // one right answer is enough
        char text[96];
        std::snprintf(text, sizeof text, ", mean %.3f; allowed max %d, mean %.2f (", mean,
                      ref.tolerance.maxChannel, ref.tolerance.maxMean);
        misses += "\n  " + name + ": " + d.Describe() + text + ref.tolerance.reason + ")";
    }
    if (compared == 0) {
        // Valid-but-odd files are often beyond the reference decoder; nothing to compare.
        std::printf("  [reference] %s: the reference decoder cannot read it\n", e.path.c_str());
        return;
    }
    ADD_FAILURE() << "pixels differ from every reference:" << misses;
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
                  image.GetBpp(), RgbCrc32(ToRgb(image.Pixels())), DecoderName(image.GetType()));
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
    const int type = TypeForPath(e.path);
    ASSERT_NE(type, kImageAny) << "no image type for the extension of " << e.path;

    CRasterImage image;
    // A picture already in the image, which a failed load must leave as it was.
    const bool primed = image.Load(kPrimer, kImageBmp);
    const std::uint32_t primedCrc = primed ? RgbCrc32(ToRgb(image.Pixels())) : 0;
    const bool ok = image.Load(FullPath(e), type);
    // Every change a decoder makes to what it produces shows here.
    const auto golden = Golden().find(e.path);
    EXPECT_EQ(GoldenResult(image, ok), golden == Golden().end() ? "(no line)" : golden->second)
        << "decoded result differs from " << kGoldenPath
        << " (scripts/golden-images.sh regenerates it once the change is right)";
    if (!ok) {
        EXPECT_FALSE(image.GetLastError().empty()) << "a failed load must say why";
        if (primed) {
            EXPECT_TRUE(image.IsValid() && image.GetWidth() == 4 && image.GetHeight() == 3 &&
                        RgbCrc32(ToRgb(image.Pixels())) == primedCrc)
                << "a failed load must keep the previous picture, have " << image.GetWidth() << "x"
                << image.GetHeight();
        }
        EXPECT_NE(e.status, CorpusStatus::kValid)
            << "have error \"" << image.GetLastError() << "\", want a picture of " << e.sizeText;
        return;
    }
    CheckLoadedInvariants(image);
    if (e.status == CorpusStatus::kInvalid)
        return; // a partial picture of a broken file is acceptable; it must only be sound
    if (e.status == CorpusStatus::kValid) {
        EXPECT_EQ(image.GetType(), type)
            << "a valid file is read by the decoder of its own type, have " << DecoderName(image.GetType());
        EXPECT_EQ(image.GetLoadNotice(), "") << "a valid file loads whole";
    }
    CheckSize(e, image);
    CompareWithReference(e, type, image);
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

TEST(CorpusGolden, EveryLineNamesACorpusFile)
{
    if (Corpus().empty()) {
        GTEST_SKIP() << "no corpus at " << SLEEVIT_SHARED_DIR << "/corpus";
    }
    std::set<std::string> paths;
    for (const CorpusEntry& e : Corpus())
        paths.insert(e.path);
    for (const auto& [path, result] : Golden())
        EXPECT_EQ(paths.count(path), 1u) << path << " of " << kGoldenPath << " is not in the corpus";
    EXPECT_FALSE(Golden().empty());
}

} // namespace
