#include "i18n/LanguageFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <utility>

#include "i18n/DefaultTexts.h"
#include "textfiles/TextEncoding.h"

namespace {

// Catalogue position by four-digit key, -1 where there is none; built once.
const std::array<short, 10000>& KeyPositions()
{
    static const std::array<short, 10000> positions = [] {
        std::array<short, 10000> table{};
        table.fill(-1);
        for (int i = 0; i < kLanguageKeyCount; ++i)
            table[static_cast<std::size_t>(LanguageKeyAt(i))] = static_cast<short>(i);
        return table;
    }();
    return positions;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The text of an entry, text[from, end), with its escapes replaced. A backslash starts
// at most one escape and a letter never starts one, so no two escapes overlap and one
// pass gives what replacing "\r", then "\t", then "\n" over the whole text gives.
std::string Unescape(const std::string& text, std::size_t from, std::size_t end)
{
    std::string out;
    out.reserve(end - from);
    std::size_t i = from;
    while (i < end) {
        // Searched within the entry only: end <= text.size(), so the view is in range.
        const std::size_t slash = std::string_view(text.data(), end).find('\\', i);
        const std::size_t stop = slash == std::string_view::npos ? end : slash;
        out.append(text, i, stop - i);
        if (stop == end)
            break;
        const char letter = stop + 1 < end ? text[stop + 1] : '\0';
        if (letter == 'r' || letter == 't' || letter == 'n') {
            out += letter == 'r' ? '\r' : letter == 't' ? '\t' : '\n';
            i = stop + 2;
        } else {
            out += '\\';
            i = stop + 1;
        }
    }
    return out;
}

bool IsTrailingSpace(char c)
{
    // Only ASCII white space: a byte of a multi-byte UTF-8 character is never removed.
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

std::string EscapeText(const std::string& text)
{
    std::string out;
    out.reserve(text.size() + 8);
    for (const char c : text) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

// The fragment id whose header a key's entry stands under.
int SectionOf(int key)
{
    if (key < 2000)
        return 32000;
    if (key < 3000)
        return 32001;
    if (key < 4000)
        return 32002;
    if (key < 5000)
        return 32003;
    return 32004;
}

} // namespace

LanguageEntries ParseLanguageText(const std::string& text)
{
    const std::size_t count = static_cast<std::size_t>(kLanguageKeyCount);
    LanguageEntries entries;
    entries.texts.assign(count, std::string());
    entries.present.assign(count, false);
    std::vector<std::size_t> start(count, 0);
    const std::array<short, 10000>& positions = KeyPositions();

    // One pass finds the first "dddd=" of every key: at each "=" the four characters
    // before it are the only candidates, so this equals a search per key.
    for (std::size_t i = 4; i < text.size(); ++i) {
        if (text[i] != '=')
            continue;
        if (!IsDigit(text[i - 4]) || !IsDigit(text[i - 3]) || !IsDigit(text[i - 2]) || !IsDigit(text[i - 1]))
            continue;
        const int key = (text[i - 4] - '0') * 1000 + (text[i - 3] - '0') * 100 + (text[i - 2] - '0') * 10 +
                        (text[i - 1] - '0');
        const short position = positions[static_cast<std::size_t>(key)]; // key <= 9999
        if (position < 0 || entries.present[static_cast<std::size_t>(position)])
            continue;
        entries.present[static_cast<std::size_t>(position)] = true;
        start[static_cast<std::size_t>(position)] = i - 4;
    }

    for (std::size_t k = 0; k < count; ++k) {
        if (!entries.present[k])
            continue;
        const std::size_t from = start[k];
        std::size_t end = text.find("\r\n", from);
        if (end == std::string::npos)
            end = text.size();
        // The key and the equals sign take five characters and hold no escape.
        std::string entry = Unescape(text, from + 5, end);
        while (!entry.empty() && IsTrailingSpace(entry.back()))
            entry.pop_back();
        entries.texts[k] = std::move(entry);
    }
    return entries;
}

bool ReadLanguageFileBytes(const std::string& path, std::string& bytes)
{
    bytes.clear();
    // O_NONBLOCK: a FIFO in the folder must not stop the program; it is refused below.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat info {};
    bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size >= 0 &&
              static_cast<std::uint64_t>(info.st_size) <= kMaxLanguageFileBytes;
    char buffer[16384];
    while (ok) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            ok = false;
        } else if (got == 0) {
            break;
        } else if (static_cast<std::size_t>(got) > kMaxLanguageFileBytes - bytes.size()) {
            // The file grew since fstat; bytes.size() never exceeds the limit, so the
            // subtraction cannot wrap.
            ok = false;
        } else {
            bytes.append(buffer, static_cast<std::size_t>(got));
        }
    }
    ::close(fd);
    if (!ok)
        bytes.clear();
    return ok;
}

const char* LanguageFileFragment(int id)
{
    switch (id) {
    case 32000:
        return "; A line that starts with a semicolon is a comment.\r\n"
               "; Empty lines and the section names in brackets only help the reader.\r\n"
               "; Each entry is a number, an equals sign and the text, all on one line.\r\n"
               "; Save as 8-bit Western text, or as Unicode (UTF-16 little-endian with its mark).\r\n"
               "\r\n"
               "[CAPTION]\r\n"
               "; the window title shows 'Sleevit' and its version before this text";
    case 32001:
        return "\r\n[CONTROLS]";
    case 32002:
        return "\r\n[MENU]\r\n"
               "; \\t before a shortcut key puts it at the right edge of the menu\r\n"
               "; & before a letter makes it the menu's access key (&& gives a plain &)";
    case 32003:
        return "\r\n[ERRORMESSAGES]\r\n"
               "; \\n starts a new line\r\n"
               "; the program fills in %s and %d: keep them, in the same order";
    case 32004:
        return "\r\n[FILE OPEN DIALOG]\r\n"
               "; then the options, batch printing and format editor dialogs";
    case 32005:
        return "\r\n; translation by <PUT YOUR NAME HERE>.";
    default:
        return nullptr;
    }
}

bool FormatLanguageFile(const std::vector<std::string>& texts, LanguageFileKind kind, std::string& text)
{
    text.clear();
    if (texts.size() != static_cast<std::size_t>(kLanguageKeyCount))
        return false;
    std::string out = LanguageFileFragment(32000);
    out += "\r\n";
    int section = 32000;
    for (int i = 0; i < kLanguageKeyCount; ++i) {
        const int key = LanguageKeyAt(i);
        if (SectionOf(key) != section) {
            section = SectionOf(key);
            out += LanguageFileFragment(section);
            out += "\r\n";
        }
        char head[8];
        std::snprintf(head, sizeof head, "%04d=", key);
        out += head;
        out += EscapeText(texts[static_cast<std::size_t>(i)]);
        out += "\r\n";
    }
    if (kind == LanguageFileKind::Template)
        out += LanguageFileFragment(32005);
    else
        out += "\r\n; the program's own English texts";
    out += "\r\n";

    // What cannot be written is found by reading the result back.
    const LanguageEntries back = ParseLanguageText(out);
    if (back.texts != texts)
        return false;
    text.swap(out);
    return true;
}

std::string EncodeLanguageFile(const std::string& utf8)
{
    std::string latin1;
    if (Utf8ToLatin1(utf8, latin1))
        return latin1;
    return std::string("\xFF\xFE", 2) + Utf8ToUtf16Le(utf8);
}
