#pragma once

// Case files of the tests: one case a line; blank lines and comment lines (starting with
// '#' or ';') are left out. A missing file gives no lines.
#include <algorithm>
#include <fstream>
#include <string>
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
