#include "formats/PrinterCalibration.h"

#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "formats/AtomicFile.h"

namespace {

constexpr char kSection[] = "[PrinterCalibration]";
// Offsets beyond this are typing mistakes, not a printer's error.
constexpr double kLimitMm = 50;

std::string KeyOf(const std::string& queue)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string key;
    for (const char ch : queue) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
            c == '_' || c == '.') {
            key += ch;
        } else {
            key += '%';
            key += hex[c >> 4];
            key += hex[c & 15];
        }
    }
    return key;
}

std::optional<double> ParseNumber(std::string text)
{
    while (!text.empty() && (text.back() == ' ' || text.back() == '\r' || text.back() == '\t'))
        text.pop_back();
    std::size_t start = 0;
    while (start < text.size() && (text[start] == ' ' || text[start] == '\t'))
        ++start;
    if (start < text.size() && text[start] == '+')
        ++start;
    double value = 0;
    const char* first = text.data() + start;
    const char* last = text.data() + text.size();
    const auto [end, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || end != last || first == last || !(value >= -kLimitMm && value <= kLimitMm))
        return std::nullopt;
    return value;
}

std::string FormatNumber(double value)
{
    char buf[32];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    return ec == std::errc() ? std::string(buf, end) : std::string("0");
}

// The file's lines; none when it does not exist. Nothing (no value) when it exists but
// cannot be read whole, or is not a regular file: rewriting it from what could be read
// would lose the user's other settings.
std::optional<std::vector<std::string>> ReadExistingLines(const std::string& path)
{
    std::vector<std::string> lines;
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(path, ec);
    if (status.type() == std::filesystem::file_type::not_found)
        return lines;
    if (ec || status.type() != std::filesystem::file_type::regular)
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    if (in.bad())
        return std::nullopt;
    return lines;
}

std::vector<std::string> ReadLines(const std::string& path)
{
    return ReadExistingLines(path).value_or(std::vector<std::string>{});
}

const char* const kFields[] = {".sheet-x", ".sheet-y", ".disc-x", ".disc-y"};

} // namespace

std::string SettingsFilePath()
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::string base;
    if (config != nullptr && *config == '/') {
        base = config;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home != nullptr ? home : "") + "/.config";
    }
    return base + "/Tessaly/Sleevit.conf";
}

PrinterCalibration ReadPrinterCalibration(const std::string& iniPath, const std::string& queue)
{
    PrinterCalibration c;
    double* values[] = {&c.sheetX, &c.sheetY, &c.discX, &c.discY};
    const std::string key = KeyOf(queue);
    bool inSection = false;
    for (const std::string& line : ReadLines(iniPath)) {
        if (!line.empty() && line[0] == '[') {
            inSection = line.rfind(kSection, 0) == 0;
            continue;
        }
        const std::size_t eq = line.find('=');
        if (!inSection || eq == std::string::npos)
            continue;
        std::string name = line.substr(0, eq);
        while (!name.empty() && name.back() == ' ')
            name.pop_back();
        for (int k = 0; k < 4; ++k)
            if (name == key + kFields[k])
                *values[k] = ParseNumber(line.substr(eq + 1)).value_or(0.0);
    }
    return c;
}

bool WritePrinterCalibration(const std::string& iniPath, const std::string& queue,
                             const PrinterCalibration& value)
{
    const double values[] = {value.sheetX, value.sheetY, value.discX, value.discY};
    for (const double v : values)
        if (!(v >= -kLimitMm && v <= kLimitMm))
            return false;
    const std::string key = KeyOf(queue);
    const std::optional<std::vector<std::string>> existing = ReadExistingLines(iniPath);
    if (!existing)
        return false;
    const std::vector<std::string>& lines = *existing;
    std::vector<std::string> ours;
    for (int k = 0; k < 4; ++k)
        ours.push_back(key + kFields[k] + "=" + FormatNumber(values[k]));

    // The queue's old lines go; the new ones follow the section's heading.
    std::vector<std::string> out;
    bool inSection = false, placed = false;
    for (const std::string& line : lines) {
        if (!line.empty() && line[0] == '[') {
            inSection = line.rfind(kSection, 0) == 0;
            out.push_back(line);
            if (inSection && !placed) {
                out.insert(out.end(), ours.begin(), ours.end());
                placed = true;
            }
            continue;
        }
        if (inSection && line.rfind(key + ".", 0) == 0) {
            const std::size_t eq = line.find('=');
            const std::string name = line.substr(0, eq);
            bool mine = false;
            for (const char* field : kFields)
                mine = mine || name == key + field;
            if (mine)
                continue;
        }
        out.push_back(line);
    }
    if (!placed) {
        if (!out.empty() && !out.back().empty())
            out.emplace_back();
        out.emplace_back(kSection);
        out.insert(out.end(), ours.begin(), ours.end());
    }
    std::ostringstream text;
    for (const std::string& line : out)
        text << line << '\n';
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::path(iniPath).parent_path();
    if (!folder.empty())
        std::filesystem::create_directories(folder, ec);
    return WriteFileAtomically(iniPath, text.str());
}

std::optional<std::pair<double, double>> ParseOffsetPair(const std::string& text)
{
    const std::size_t comma = text.find(',');
    if (comma == std::string::npos)
        return std::nullopt;
    const std::optional<double> x = ParseNumber(text.substr(0, comma));
    const std::optional<double> y = ParseNumber(text.substr(comma + 1));
    if (!x || !y)
        return std::nullopt;
    return std::make_pair(*x, *y);
}
