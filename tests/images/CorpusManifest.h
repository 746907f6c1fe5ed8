#pragma once

// The shared decoder test corpus: one folder per format, each with a MANIFEST.md whose
// table rows name a test file, its status and the size a decoder should produce.
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

enum class CorpusStatus { kValid, kOdd, kInvalid };

// What the manifest says about the decoded size.
enum class SizeRule {
    kNone,    // nothing to check (invalid files, metafiles without a frame)
    kExact,   // exactly width x height (for EXIF-turned JPEGs: the displayed size)
    kLargest, // an icon file with several pictures: at most width x height
    kAspect,  // a metafile: any resolution, but the frame's proportions
};

struct CorpusEntry {
    std::string path; // relative to the corpus root, e.g. "bmp/bmpsuite/g/pal1.bmp"
    CorpusStatus status = CorpusStatus::kInvalid;
    std::string sizeText; // the manifest's "Expected size" cell
    SizeRule rule = SizeRule::kNone;
    std::int32_t width = 0;
    std::int32_t height = 0;
    // Renderings of the expected picture named in the notes, relative to the corpus
    // root; when there are several, any one of them is a right answer.
    std::vector<std::string> references;
};

// The corpus root (the shared folder's corpus/), "" when it is not there.
std::string CorpusRoot();

// Reads one manifest's table rows; folder is prefixed to each file path. References
// are looked up under root (a reference lies in a ref/ folder beside the file or
// beside one of its parent folders); with an empty root none are kept.
std::vector<CorpusEntry> ParseManifest(const std::string& text, const std::string& folder,
                                       const std::string& root = "");
// Every entry of every <root>/<folder>/MANIFEST.md, folders in name order.
std::vector<CorpusEntry> LoadCorpus(const std::string& root);

// The image type code a file name's extension stands for, as the program maps it
// (kImageAny when none matches).
int TypeForPath(const std::string& path);

// How a test names an entry in its output.
inline void PrintTo(const CorpusEntry& e, std::ostream* os)
{
    *os << e.path;
}
