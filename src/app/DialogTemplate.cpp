#include "app/DialogTemplate.h"

#include <QFile>

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace {

struct KindName {
    const char* name;
    ControlKind kind;
};
constexpr KindName kKinds[] = {
    {"PUSHBUTTON", ControlKind::PushButton},
    {"DEFPUSHBUTTON", ControlKind::DefPushButton},
    {"CHECKBOX", ControlKind::CheckBox},
    {"RADIO", ControlKind::Radio},
    {"LTEXT", ControlKind::LeftText},
    {"CTEXT", ControlKind::CenterText},
    {"RTEXT", ControlKind::RightText},
    {"EDIT", ControlKind::Edit},
    {"DROPLIST", ControlKind::DropList},
    {"LISTBOX", ControlKind::ListBox},
    {"LISTVIEW", ControlKind::ListView},
    {"GROUPBOX", ControlKind::GroupBox},
    {"SPIN", ControlKind::Spin},
    {"PAPER", ControlKind::Paper},
    {"LINK", ControlKind::Link},
    {"CUSTOM", ControlKind::Custom},
};

// Splits a line into words; a word in double quotes keeps its spaces and escapes.
bool SplitWords(const std::string& line, std::vector<std::string>& words, std::vector<bool>& quoted)
{
    size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ' || line[i] == '\t' || line[i] == '\r') {
            ++i;
            continue;
        }
        if (line[i] == '"') {
            std::string word;
            ++i;
            bool closed = false;
            while (i < line.size()) {
                char c = line[i++];
                if (c == '"') {
                    closed = true;
                    break;
                }
                if (c == '\\' && i < line.size()) {
                    char e = line[i++];
                    word += e == 'n' ? '\n' : e == 't' ? '\t' : e;
                } else {
                    word += c;
                }
            }
            if (!closed) {
                return false;
            }
            words.push_back(word);
            quoted.push_back(true);
        } else {
            size_t end = line.find_first_of(" \t\r", i);
            if (end == std::string::npos) {
                end = line.size();
            }
            words.push_back(line.substr(i, end - i));
            quoted.push_back(false);
            i = end;
        }
    }
    return true;
}

bool ToInt(const std::string& word, int& value)
{
    auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
    return ec == std::errc() && end == word.data() + word.size();
}

} // namespace

bool ControlTemplate::HasFlag(const std::string& flag) const
{
    return std::find(flags.begin(), flags.end(), flag) != flags.end();
}

const ControlTemplate* DialogTemplate::Find(int controlId) const
{
    for (const ControlTemplate& control : controls) {
        if (control.id == controlId) {
            return &control;
        }
    }
    return nullptr;
}

std::optional<DialogTemplate> ParseDialogTemplate(const std::string& text, std::string& error)
{
    DialogTemplate result;
    bool haveHeader = false;
    int lineNumber = 0;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        std::vector<std::string> words;
        std::vector<bool> quoted;
        auto fail = [&](const char* why) {
            error = "line " + std::to_string(lineNumber) + ": " + why;
            return std::nullopt;
        };
        if (!SplitWords(line, words, quoted)) {
            return fail("unterminated text");
        }
        if (words.empty() || (!quoted[0] && words[0][0] == '#')) {
            continue;
        }
        const std::string& head = words[0];
        if (head == "DIALOG") {
            if (words.size() != 4 || !ToInt(words[1], result.id) || !ToInt(words[2], result.width) ||
                !ToInt(words[3], result.height)) {
                return fail("DIALOG needs id, width and height");
            }
            haveHeader = true;
        } else if (!haveHeader) {
            return fail("the template must start with DIALOG");
        } else if (head == "FONT") {
            int italic = 0;
            if (words.size() != 5 || !ToInt(words[1], result.font.pointSize) ||
                !ToInt(words[2], result.font.weight) || !ToInt(words[3], italic) || !quoted[4]) {
                return fail("FONT needs points, weight, italic and a quoted face");
            }
            result.font.italic = italic != 0;
            result.font.face = words[4];
        } else if (head == "CAPTION") {
            if (words.size() != 2 || !quoted[1]) {
                return fail("CAPTION needs a quoted text");
            }
            result.caption = words[1];
        } else if (head == "CONTROL") {
            ControlTemplate control;
            if (words.size() < 8 || !ToInt(words[1], control.id) || !ToInt(words[3], control.x) ||
                !ToInt(words[4], control.y) || !ToInt(words[5], control.width) ||
                !ToInt(words[6], control.height) || !quoted[7]) {
                return fail("CONTROL needs id, kind, x, y, width, height and a quoted text");
            }
            auto kind = std::find_if(std::begin(kKinds), std::end(kKinds),
                                     [&](const KindName& k) { return words[2] == k.name; });
            if (kind == std::end(kKinds)) {
                return fail("unknown control kind");
            }
            control.kind = kind->kind;
            control.text = words[7];
            control.flags.assign(words.begin() + 8, words.end());
            result.controls.push_back(std::move(control));
        } else {
            return fail("unknown line");
        }
    }
    if (!haveHeader) {
        error = "no DIALOG line";
        return std::nullopt;
    }
    return result;
}

std::optional<DialogTemplate> LoadDialogTemplate(int templateId)
{
    QFile file(QStringLiteral(":/dialogs/%1.dlg").arg(templateId));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "dialog template %d is missing\n", templateId);
        return std::nullopt;
    }
    QByteArray bytes = file.readAll();
    std::string error;
    auto parsed = ParseDialogTemplate(bytes.toStdString(), error);
    if (!parsed) {
        std::fprintf(stderr, "dialog template %d: %s\n", templateId, error.c_str());
    }
    return parsed;
}
