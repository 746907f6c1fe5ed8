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
};

// The corpus root (the shared folder's corpus/), "" when it is not there.
std::string CorpusRoot();

// Every entry of every <root>/<folder>/MANIFEST.md, folders in name order.
std::vector<CorpusEntry> LoadCorpus(const std::string& root);

// How a test names an entry in its output.
inline void PrintTo(const CorpusEntry& e, std::ostream* os)
{
    *os << e.path;
}
