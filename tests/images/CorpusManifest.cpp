#include "images/CorpusManifest.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <istream>
#include <iterator>
#include <string>

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

// Reads one manifest's table rows; folder is prefixed to each file path.
static std::vector<CorpusEntry> ParseManifest(std::istream& in, const std::string& folder)
{
    std::vector<CorpusEntry> entries;
    const char* const statuses[] = {"valid", "valid-but-odd", "invalid"};
    for (std::string line; std::getline(in, line);) {
        // Table rows that name a file: | `path` | status | expected size | notes | observed |
        if (line.rfind("| `", 0) != 0)
            continue;
        std::vector<std::string> cells;
        std::size_t from = 1;
        for (std::size_t bar = line.find('|', from); bar != std::string::npos; bar = line.find('|', from)) {
            cells.push_back(Trim(line.substr(from, bar - from)));
            from = bar + 1;
        }
        if (cells.size() < 3 || cells[0].size() < 3 || cells[0].back() != '`')
            continue;
        const auto status = std::find(std::begin(statuses), std::end(statuses), cells[1]);
        if (status == std::end(statuses))
            continue;
        CorpusEntry e;
        e.path = folder + "/" + cells[0].substr(1, cells[0].size() - 2);
        e.status = CorpusStatus(status - std::begin(statuses));
        e.sizeText = cells[2];
        ReadSize(e);
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
        const std::vector<CorpusEntry> entries = ParseManifest(in, folder);
        all.insert(all.end(), entries.begin(), entries.end());
    }
    return all;
}
