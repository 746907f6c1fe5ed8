#pragma once

// Case files of the tests: one case a line; blank lines and comment lines (starting with
// '#' or ';') are left out. A missing file gives no lines.
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
