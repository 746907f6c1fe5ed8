#include "images/CorpusManifest.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "images/DecoderTable.h"
#include "images/ImageDecoder.h"

std::string CorpusRoot()
{
    const std::filesystem::path root = std::filesystem::path(SLEEVIT_SHARED_DIR) / "corpus";
    std::error_code ec;
    return std::filesystem::is_directory(root, ec) ? root.string() : std::string();
}

static std::string Trim(const std::string& s)
{
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string::npos)
        return "";
    const auto last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

// Reads "<width>x<height>" at pos; end is set past it.
static bool ReadDims(const std::string& s, std::size_t pos, std::int32_t& w, std::int32_t& h,
                     std::size_t& end)
{
    auto number = [&](std::size_t& at, std::int32_t& value) {
        const std::size_t from = at;
        value = 0;
        while (at < s.size() && std::isdigit(static_cast<unsigned char>(s[at])) && at - from < 9)
            value = value * 10 + (s[at++] - '0');
        return at > from;
    };
    end = pos;
    if (!number(end, w) || end >= s.size() || s[end] != 'x')
        return false;
    ++end;
    return number(end, h);
}

static bool StartsWith(const std::string& s, const char* prefix, std::size_t at = 0)
{
    return s.compare(at, std::char_traits<char>::length(prefix), prefix) == 0;
}

// The size cell's forms: "127x64" (also "16x16 1-bit", "16x16 PNG 32-bit"), "stored
// 1200x1800 -> displayed 1800x1200", "largest 256x256", "1905x692 units; ..." and
// "54x53 dev-px bounds; ..." for metafiles; anything else ("n/a ...") says nothing.
static void ReadSize(CorpusEntry& e)
{
    const std::string& s = e.sizeText;
    std::size_t end = 0;
    e.rule = SizeRule::kNone;
    if (StartsWith(s, "stored ")) {
        const std::size_t at = s.find("-> displayed ");
        if (at != std::string::npos && ReadDims(s, at + 13, e.width, e.height, end))
            e.rule = SizeRule::kExact;
    } else if (StartsWith(s, "largest ")) {
        if (ReadDims(s, 8, e.width, e.height, end))
            e.rule = SizeRule::kLargest;
    } else if (ReadDims(s, 0, e.width, e.height, end)) {
        if (StartsWith(s, " units", end) || StartsWith(s, " dev-px", end))
            e.rule = SizeRule::kAspect;
        else if (end == s.size() || s[end] == ' ')
            e.rule = SizeRule::kExact;
    }
    if (e.rule != SizeRule::kNone && (e.width == 0 || e.height == 0))
        e.rule = SizeRule::kNone; // an empty frame says nothing about proportions
}

// The reference renderings a row's notes name ("[ref: ref/pal8.png]", "reference
// ref/bw.png", "common/ref/200x32_p.png"), found in the file's folder or a parent.
static std::vector<std::string> FindReferences(const std::string& notes, const std::string& path,
                                               const std::string& folder, const std::string& root)
{
    std::vector<std::string> found;
    if (root.empty())
        return found;
    auto pathChar = [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-';
    };
    std::size_t at = notes.find("ref/");
    while (at != std::string::npos) {
        std::size_t from = at; // back over the folders before ref/
        while (from > 0 && (pathChar(notes[from - 1]) || notes[from - 1] == '/'))
            --from;
        std::size_t to = at + 4; // on over the file name
        while (to < notes.size() && (pathChar(notes[to]) || notes[to] == '.'))
            ++to;
        at = notes.find("ref/", to);
        std::string ref = notes.substr(from, to - from);
        while (!ref.empty() && ref.back() == '.') // a full stop ending the sentence
            ref.pop_back();
        const bool picture = ref.size() > 8 && (ref.compare(ref.size() - 4, 4, ".png") == 0 ||
                                                ref.compare(ref.size() - 4, 4, ".jpg") == 0);
        if (!picture)
            continue;
        std::filesystem::path dir = std::filesystem::path(path).parent_path();
        for (;;) {
            const std::filesystem::path candidate = dir / ref;
            std::error_code ec;
            if (std::filesystem::is_regular_file(std::filesystem::path(root) / candidate, ec)) {
                found.push_back(candidate.string());
                break;
            }
            if (dir.empty() || dir == folder)
                break;
            dir = dir.parent_path();
        }
    }
    return found;
}

std::vector<CorpusEntry> ParseManifest(const std::string& text, const std::string& folder,
                                       const std::string& root)
{
    std::vector<CorpusEntry> entries;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        // Table rows that name a file: | `path` | status | expected size | notes | observed |
        if (line.rfind("| `", 0) != 0)
            continue;
        std::vector<std::string> cells;
        std::size_t from = 1;
        for (std::size_t bar = line.find('|', from); bar != std::string::npos; bar = line.find('|', from)) {
            cells.push_back(Trim(line.substr(from, bar - from)));
            from = bar + 1;
        }
        if (cells.size() < 3 || cells[0].size() < 3 || cells[0].front() != '`' || cells[0].back() != '`')
            continue;
        CorpusEntry e;
        e.path = folder + "/" + cells[0].substr(1, cells[0].size() - 2);
        if (cells[1] == "valid") {
            e.status = CorpusStatus::kValid;
        } else if (cells[1] == "valid-but-odd") {
            e.status = CorpusStatus::kOdd;
        } else if (cells[1] == "invalid") {
            e.status = CorpusStatus::kInvalid;
        } else {
            continue;
        }
        e.sizeText = cells[2];
        ReadSize(e);
        if (cells.size() >= 4)
            e.references = FindReferences(cells[3], e.path, folder, root);
        entries.push_back(e);
    }
    return entries;
}

std::vector<CorpusEntry> LoadCorpus(const std::string& root)
{
    std::vector<CorpusEntry> all;
    if (root.empty())
        return all;
    std::vector<std::string> folders;
    std::error_code ec;
    for (const auto& d : std::filesystem::directory_iterator(root, ec))
        if (d.is_directory())
            folders.push_back(d.path().filename().string());
    std::sort(folders.begin(), folders.end());
    for (const std::string& folder : folders) {
        std::ifstream in(std::filesystem::path(root) / folder / "MANIFEST.md");
        if (!in)
            continue;
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::vector<CorpusEntry> entries = ParseManifest(text, folder, root);
        all.insert(all.end(), entries.begin(), entries.end());
    }
    return all;
}

int TypeForPath(const std::string& path)
{
    return TypeFromFileName(path);
}
