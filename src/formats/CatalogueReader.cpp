// Reading Sleevit.dat: one section per cover format, "KEY = value" lines inside.
#include <filesystem>
#include <string>
#include <unordered_map>
#include <vector>

#include "formats/ConfigValues.h"
#include "formats/FormatCatalogue.h"
#include "i18n/DefaultTexts.h"
#include "i18n/UserMessages.h"
#include "textfiles/TextFile.h"

namespace {

std::string UpperAscii(std::string s)
{
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return s;
}

bool Contains(const std::string& text, const char* word)
{
    return text.find(word) != std::string::npos;
}

double Number(const std::string& value, int k, bool inches)
{
    double n = 0.0;
    return GetNumber(value, k, n, inches) ? n : 0.0;
}

// The keywords in the order they are tried; a key is recognised when it contains one.
enum class Keyword {
    Spine,
    Type,
    Autodetect,
    Remap,
    Paper,
    CalibrateX,
    CalibrateY,
    HoleSize,
    Size,
    Position2,
    Position,
    Line,
    Rect,
    Label,
    Invalid
};

Keyword Recognise(const std::string& key)
{
    static const struct {
        const char* word;
        Keyword keyword;
    } kOrder[] = {
        {"SPINE", Keyword::Spine},
        {"TYPE", Keyword::Type},
        {"AUTODETECT", Keyword::Autodetect},
        {"REMAP", Keyword::Remap},
        {"PAPER", Keyword::Paper},
        {"CALIBRATEX", Keyword::CalibrateX},
        {"CALIBRATEY", Keyword::CalibrateY},
        {"HOLESIZE", Keyword::HoleSize},
        {"SIZE", Keyword::Size},
        {"POSITION2", Keyword::Position2},
        {"POSITION", Keyword::Position},
        {"LINE", Keyword::Line},
        {"RECT", Keyword::Rect},
        {"LABEL", Keyword::Label},
    };
    for (const auto& entry : kOrder)
        if (Contains(key, entry.word))
            return entry.keyword;
    return Keyword::Invalid;
}

class CatalogueParser {
public:
    CatalogueParser(FormatCatalogue& catalogue, CUserMessages& messages)
        : catalogue_(catalogue), messages_(messages)
    {
    }

    void Parse(const std::string& text)
    {
        std::size_t pos = 0;
        while (pos < text.size()) {
            std::size_t end = text.find("\r\n", pos);
            if (end == std::string::npos)
                end = text.size();
            ParseLine(text.substr(pos, end - pos));
            pos = end + 2;
        }
        FinishFormat();
        ResolveRemaps();
    }

private:
    void ParseLine(const std::string& line)
    {
        if (line.empty() || line[0] == ';')
            return;
        if (line[0] == '[') {
            FinishFormat();
            current_ = CoverFormat();
            // The name is the line without its first and its last character.
            current_.name = line.size() >= 2 ? line.substr(1, line.size() - 2) : std::string();
            hasCurrent_ = true;
            remapNames_.emplace_back();
            remapGiven_.push_back(false);
            return;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos)
            return;
        ParseKey(line, equals);
    }

    void ReportInvalid(const std::string& line)
    {
        messages_.ShowError(FillPlaceholder(messages_.Text(kMsgInvalidKeyword), line));
    }

    void ParseKey(const std::string& line, std::size_t equals)
    {
        const std::string key = UpperAscii(line.substr(0, equals));
        const std::string value = UpperAscii(line.substr(equals));
        const bool inches = Contains(key, "INCHES");
        const Keyword keyword = Recognise(key);

        // Calibration belongs to the whole catalogue; everything else needs a format.
        if (keyword == Keyword::CalibrateX) {
            catalogue_.SetCalibrateX(Number(value, 1, inches));
            return;
        }
        if (keyword == Keyword::CalibrateY) {
            catalogue_.SetCalibrateY(Number(value, 1, inches));
            return;
        }
        if (keyword == Keyword::Invalid || !hasCurrent_) {
            ReportInvalid(line);
            return;
        }

        CoverFormat& f = current_;
        switch (keyword) {
        case Keyword::Spine:
            f.spine = Number(value, 1, inches);
            break;
        case Keyword::Type: {
            std::string field;
            if (GetField(value, 1, field))
                f.type = field;
            break;
        }
        case Keyword::Autodetect:
            f.autodetect = Contains(value, "YES");
            f.detectRatio = {Number(value, 1, inches), Number(value, 2, inches)};
            break;
        case Keyword::Remap: {
            const std::string raw = line.substr(equals + 1);
            const std::size_t first = raw.find_first_not_of(" \t");
            remapNames_.back() = first == std::string::npos ? std::string() : raw.substr(first);
            remapGiven_.back() = true;
            break;
        }
        case Keyword::Paper:
            f.paperSize = {Number(value, 1, inches), Number(value, 2, inches)};
            break;
        case Keyword::HoleSize:
            f.holeSize = Number(value, 1, inches);
            break;
        case Keyword::Size:
            f.size = {Number(value, 1, inches), Number(value, 2, inches)};
            f.hasSize = true;
            break;
        case Keyword::Position2:
            if (Contains(value, "MIRROR"))
                f.position2 = {kMirrorPosition, kMirrorPosition};
            else if (Contains(value, "AUTO"))
                f.position2 = {kAutoPosition, kAutoPosition};
            else
                f.position2 = {Number(value, 1, inches), Number(value, 2, inches)};
            break;
        case Keyword::Position:
            if (Contains(value, "AUTO"))
                f.position = {kAutoPosition, kAutoPosition};
            else
                f.position = {Number(value, 1, inches), Number(value, 2, inches)};
            break;
        case Keyword::Line: {
            CutLine l;
            if (Contains(value, "LEFT"))
                l.x1 = kEdgeLeft;
            else if (Contains(value, "RIGHT"))
                l.x1 = kEdgeRight;
            else if (Contains(value, "TOP"))
                l.x1 = kEdgeTop;
            else if (Contains(value, "BOTTOM"))
                l.x1 = kEdgeBottom;
            else
                l = {Number(value, 1, inches), Number(value, 2, inches), Number(value, 3, inches),
                     Number(value, 4, inches), false};
            l.solid = Contains(value, "SOLID");
            f.lines.Add(l); // an eleventh line is dropped
            break;
        }
        case Keyword::Rect: {
            const CutLine r{Number(value, 1, inches), Number(value, 2, inches), Number(value, 3, inches),
                            Number(value, 4, inches), Contains(value, "SOLID")};
            f.rects.Add(r);
            break;
        }
        case Keyword::Label:
            // The raw line from the "=" on, case-sensitive.
            f.label = line.find("YES", equals) != std::string::npos;
            break;
        default:
            break;
        }
    }

    void FinishFormat()
    {
        if (!hasCurrent_)
            return;
        catalogue_.Append(std::move(current_));
        hasCurrent_ = false;
    }

    void ResolveRemaps()
    {
        const int first = catalogue_.GetCount() - static_cast<int>(remapNames_.size());
        // The first format of each name, looked up once per REMAP: linear in the number
        // of sections rather than a scan of the catalogue for each of them.
        std::unordered_map<std::string, int> byName;
        for (int j = catalogue_.GetCount() - 1; j >= 0; --j)
            byName[catalogue_.GetName(j)] = j;
        for (std::size_t n = 0; n < remapNames_.size(); ++n) {
            if (!remapGiven_[n])
                continue;
            const int i = first + static_cast<int>(n);
            const auto found = byName.find(remapNames_[n]);
            catalogue_.SetRemap(i, found != byName.end() ? found->second : -1);
        }
    }

    FormatCatalogue& catalogue_;
    CUserMessages& messages_;
    CoverFormat current_;
    bool hasCurrent_ = false;
    std::vector<std::string> remapNames_;
    std::vector<bool> remapGiven_;
};

} // namespace

void FormatCatalogue::LoadCatalogueBytes(const std::string& bytes, CUserMessages& messages)
{
    Clear();
    CatalogueParser(*this, messages).Parse(DecodeTextBytes(bytes));
}

bool FormatCatalogue::LoadCatalogue(const std::string& path, CUserMessages& messages)
{
    std::string text;
    if (!ReadTextFile(path, text)) {
        // A file that is there but too large is not a missing installation.
        std::error_code ec;
        const auto size = std::filesystem::file_size(path, ec);
        if (!ec && size > kMaxTextFileBytes)
            messages.ShowError(FillPlaceholder(messages.Text(kMsgCatalogueTooLarge), path));
        else
            messages.ShowError(kNoConfigurationFileText);
        return false;
    }
    Clear();
    filePath_ = path;
    CatalogueParser(*this, messages).Parse(text);
    return true;
}
