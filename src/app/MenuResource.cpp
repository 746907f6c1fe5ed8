#include "app/MenuResource.h"

#include <QFile>

#include <charconv>
#include <cstdio>
#include <sstream>

namespace {

// The quoted text of a line starting at pos, with \t \n \" \\ escapes.
bool QuotedText(const std::string& line, size_t pos, std::string& text)
{
    pos = line.find('"', pos);
    if (pos == std::string::npos) {
        return false;
    }
    text.clear();
    for (size_t i = pos + 1; i < line.size(); ++i) {
        char c = line[i];
        if (c == '"') {
            return true;
        }
        if (c == '\\' && i + 1 < line.size()) {
            char e = line[++i];
            text += e == 't' ? '\t' : e == 'n' ? '\n' : e;
        } else {
            text += c;
        }
    }
    return false;
}

bool NumberAt(const std::string& line, size_t pos, int& value, size_t& end)
{
    while (pos < line.size() && line[pos] == ' ') {
        ++pos;
    }
    auto [ptr, ec] = std::from_chars(line.data() + pos, line.data() + line.size(), value);
    end = static_cast<size_t>(ptr - line.data());
    return ec == std::errc() && end > pos;
}

} // namespace

std::optional<MenuResource> ParseMenuResource(const std::string& text, std::string& error)
{
    MenuResource result;
    std::vector<std::vector<MenuEntry>*> open{&result.bar};
    std::istringstream in(text);
    std::string line;
    int lineNumber = 0;
    while (std::getline(in, line)) {
        ++lineNumber;
        size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line[first] == '#') {
            continue;
        }
        std::string word = line.substr(first, line.find_first_of(" \t\r", first) - first);
        size_t rest = first + word.size();
        auto fail = [&](const char* why) {
            error = "line " + std::to_string(lineNumber) + ": " + why;
            return std::nullopt;
        };
        MenuEntry entry;
        if (word == "POPUP") {
            entry.kind = MenuEntry::Kind::Popup;
            if (!QuotedText(line, rest, entry.text)) {
                return fail("POPUP needs a quoted text");
            }
            open.back()->push_back(std::move(entry));
            open.push_back(&open.back()->back().children);
        } else if (word == "ITEM") {
            size_t end = 0;
            if (!NumberAt(line, rest, entry.id, end) || !QuotedText(line, end, entry.text)) {
                return fail("ITEM needs an id and a quoted text");
            }
            if (open.size() < 2) {
                return fail("ITEM outside a POPUP");
            }
            open.back()->push_back(std::move(entry));
        } else if (word == "SEPARATOR") {
            if (open.size() < 2) {
                return fail("SEPARATOR outside a POPUP");
            }
            entry.kind = MenuEntry::Kind::Separator;
            open.back()->push_back(std::move(entry));
        } else if (word == "END") {
            if (open.size() < 2) {
                return fail("END without POPUP");
            }
            open.pop_back();
        } else if (word == "ACCEL") {
            Accelerator accel;
            size_t end = 0;
            if (!NumberAt(line, rest, accel.id, end) || !QuotedText(line, end, accel.key)) {
                return fail("ACCEL needs an id and a quoted key");
            }
            result.accelerators.push_back(std::move(accel));
        } else {
            return fail("unknown line");
        }
    }
    if (open.size() != 1) {
        error = "a POPUP is not closed";
        return std::nullopt;
    }
    return result;
}

std::optional<MenuResource> LoadMenuResource(int menuId)
{
    QFile file(QStringLiteral(":/menus/%1.menu").arg(menuId));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "menu %d is missing\n", menuId);
        return std::nullopt;
    }
    std::string error;
    auto parsed = ParseMenuResource(file.readAll().toStdString(), error);
    if (!parsed) {
        std::fprintf(stderr, "menu %d: %s\n", menuId, error.c_str());
    }
    return parsed;
}
