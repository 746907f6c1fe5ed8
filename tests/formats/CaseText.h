#pragma once

// Words of a case line: a word in double quotes may hold blanks and the escapes \r, \n,
// \t, \", \\ and \xHH (two hex digits); any other word is taken as it stands.
#include <istream>
#include <string>

inline std::string CaseText(std::istream& in)
{
    std::string word;
    if (!(in >> std::ws) || in.peek() != '"') {
        in >> word;
        return word;
    }
    in.get();
    for (int c = in.get(); c != EOF && c != '"'; c = in.get()) {
        if (c == '\\') {
            c = in.get();
            if (c == 'x') {
                char hex[3] = {char(in.get()), char(in.get()), 0};
                c = int(std::stoul(hex, nullptr, 16));
            } else {
                c = c == 'r' ? '\r' : c == 'n' ? '\n' : c == 't' ? '\t' : c;
            }
        }
        word += char(c);
    }
    return word;
}
