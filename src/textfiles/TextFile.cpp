#include "textfiles/TextFile.h"

#include <cstdio>
#include <memory>

#include "textfiles/TextEncoding.h"

// Splits at LF, drops every CR, and ends each line with CR LF. A text that ends with
// LF has no empty line after it.
static std::string NormaliseLines(const std::string& utf8)
{
    std::string out;
    out.reserve(utf8.size() + utf8.size() / 16 + 2);
    std::string line;
    bool pending = false;
    for (const char c : utf8) {
        if (c == '\n') {
            out += line;
            out += "\r\n";
            line.clear();
            pending = false;
        } else if (c != '\r') {
            line += c;
            pending = true;
        } else {
            pending = true;
        }
    }
    if (pending) {
        out += line;
        out += "\r\n";
    }
    return out;
}

std::string DecodeTextBytes(const std::string& bytes)
{
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE)
        return NormaliseLines(Utf16LeToUtf8(bytes.substr(2)));
    return NormaliseLines(Latin1ToUtf8(bytes));
}

bool ReadTextFile(const std::string& path, std::string& text)
{
    text.clear();
    struct Closer {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, Closer> file(std::fopen(path.c_str(), "rb"));
    if (!file)
        return false;
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const std::size_t got = std::fread(buffer, 1, sizeof buffer, file.get());
        bytes.append(buffer, got);
        if (bytes.size() > kMaxTextFileBytes)
            return false;
        if (got < sizeof buffer)
            break;
    }
    // A folder opens but cannot be read.
    if (std::ferror(file.get()))
        return false;
    text = DecodeTextBytes(bytes);
    return true;
}
