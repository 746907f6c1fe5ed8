// Writing Sleevit.dat in its normalised form: one block per format, keys in a fixed
// order, aligned, numbers in millimetres with one decimal, CR LF line ends.
#include <charconv>
#include <cstdio>
#include <string>

#include "formats/AtomicFile.h"
#include "formats/FormatCatalogue.h"
#include "textfiles/TextEncoding.h"

namespace {

// Fixed-point text with a point as separator whatever the locale.
std::string Fixed(double value, int decimals)
{
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (result.ec != std::errc())
        return "0.0";
    return std::string(buffer, result.ptr);
}

std::string N(double value)
{
    return Fixed(value, 1);
}

std::string Pad10(const std::string& word)
{
    std::string s = word;
    if (s.size() < 10)
        s.append(10 - s.size(), ' ');
    return s;
}

std::string Pair(const PointMm& p)
{
    return "(" + N(p.x) + " , " + N(p.y) + ")";
}

const char* EdgeWord(double x1)
{
    // The edge kind is the integer part of x1.
    if (!(x1 > -10000.0 && x1 < 0.0))
        return nullptr;
    switch (static_cast<int>(x1)) {
    case -9001:
        return "LEFT";
    case -9002:
        return "RIGHT";
    case -9003:
        return "TOP";
    case -9004:
        return "BOTTOM";
    default:
        return nullptr;
    }
}

std::string Coordinates(const CutLine& l)
{
    return "(" + N(l.x1) + ", " + N(l.y1) + ")(" + N(l.x2) + ", " + N(l.y2) + ")";
}

} // namespace

std::string FormatCatalogue::CatalogueText() const
{
    const std::string eol = "\r\n";
    std::string out;
    // Calibration applies to the whole catalogue, so it stands before the first format.
    if (calibrateX_ != 0.0)
        out += "CALIBRATEX = " + Fixed(calibrateX_, 2) + eol;
    if (calibrateY_ != 0.0)
        out += "CALIBRATEY = " + Fixed(calibrateY_, 2) + eol;

    for (const CoverFormat& f : formats_) {
        out += ";" + std::string(77, '-') + eol;
        out += "[" + f.name + "]" + eol;
        if (f.Traits().ownPaper)
            out += "PAPER      = " + N(f.paperSize.width) + ", " + N(f.paperSize.height) + eol;
        // A format read without a size keeps having none, so that a borrowing kind
        // still borrows its size after a save.
        if (f.hasSize)
            out += "SIZE       = (" + N(f.size.width) + " , " + N(f.size.height) + ")" + eol;
        out += Pad10("POSITION") + " = " + (f.position.x == kAutoPosition ? "AUTO" : Pair(f.position)) + eol;
        out += "POSITION2  = " + (f.position2.x == kAutoPosition ? std::string("AUTO") : Pair(f.position2)) +
               eol;
        if (f.spine != kNoSpine)
            out += Pad10("SPINE") + " = " + N(f.spine) + eol;
        if (f.label) {
            out += "LABEL      = YES" + eol;
            out += "HOLESIZE   = " + N(f.holeSize) + eol;
        }
        out += std::string("AUTODETECT = ") + (f.autodetect ? "YES" : "NO");
        // Detection proportions of their own follow the word, where the reader finds them.
        if (f.detectRatio.width != 0.0 || f.detectRatio.height != 0.0)
            out += " (" + N(f.detectRatio.width) + " , " + N(f.detectRatio.height) + ")";
        out += eol;
        if (f.remap >= 0 && f.remap < GetCount())
            out += Pad10("REMAP") + " = " + formats_[static_cast<std::size_t>(f.remap)].name + eol;
        out += "TYPE\t   = " + f.type + eol;
        for (int k = 0; k < f.lines.count; ++k) {
            const CutLine& l = f.lines.entries[static_cast<std::size_t>(k)];
            const char* edge = EdgeWord(l.x1);
            out += "LINE       = " + (edge ? std::string(edge) : Coordinates(l)) + ", " +
                   (l.solid ? "SOLID" : "DASHED") + eol;
        }
        for (int k = 0; k < f.rects.count; ++k) {
            const CutLine& r = f.rects.entries[static_cast<std::size_t>(k)];
            out += Pad10("RECT") + " = " + Coordinates(r) + ", " + (r.solid ? "SOLID" : "DASHED") + eol;
        }
    }
    return out;
}

std::string FormatCatalogue::EncodeForFile(const std::string& text)
{
    // One byte per character when every character has an 8-bit form; otherwise
    // UTF-16 with its byte-order mark, which the reader also takes, rather than
    // mangling names.
    std::string bytes;
    if (!Utf8ToLatin1(text, bytes))
        bytes = std::string("\xFF\xFE", 2) + Utf8ToUtf16Le(text);
    return bytes;
}

bool FormatCatalogue::SaveCatalogueAs(const std::string& path) const
{
    return WriteFileAtomically(path, EncodeForFile(CatalogueText()));
}

bool FormatCatalogue::SaveCatalogue() const
{
    return SaveCatalogueAs(filePath_);
}
