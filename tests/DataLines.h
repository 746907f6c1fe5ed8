#pragma once

// Case files of the tests: one case a line; blank lines and comment lines (starting with
// '#' or ';') are left out. A missing file gives no lines.
#include <algorithm>
#include <fstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

inline std::vector<std::string> ReadDataLines(const std::string& path)
{
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);)
        if (!line.empty() && line[0] != ';' && line[0] != '#')
            lines.push_back(line);
    return lines;
}

// The fields of a case line, parted by separator; at least count of them (the missing
// ones empty).
inline std::vector<std::string> SplitFields(const std::string& line, const std::string& separator = " | ",
                                            std::size_t count = 1)
{
    std::vector<std::string> fields;
    for (std::size_t from = 0;;) {
        const std::size_t at = line.find(separator, from);
        fields.push_back(line.substr(from, at - from));
        if (at == std::string::npos)
            break;
        from = at + separator.size();
    }
    fields.resize(std::max(fields.size(), count));
    return fields;
}

// text with every from of words turned into its to, left to right.
inline std::string Replaced(std::string text, const std::vector<std::pair<std::string, std::string>>& words)
{
    for (const auto& [from, to] : words)
        for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
            text.replace(at, from.size(), to);
    return text;
}

// A case text with its escapes turned into the characters they stand for: \r, \n, \t and
// \xhh (the byte of that value); anything else stays as written.
inline std::string Unescaped(const std::string& text)
{
    std::string out;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char next = at + 1 < text.size() ? text[at + 1] : '\0';
        if (text[at] != '\\' || next == '\0' ||
            std::string_view("rntx").find(next) == std::string_view::npos) {
            out += text[at];
        } else if (next == 'x') {
            out += static_cast<char>(std::stoi(text.substr(at + 2, 2), nullptr, 16));
            at += 3;
        } else {
            out += next == 'r' ? '\r' : next == 'n' ? '\n' : '\t';
            ++at;
        }
    }
    return out;
}
