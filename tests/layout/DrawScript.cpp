#include "DrawScript.h"

#include "DataLines.h"

#include <algorithm>
#include <climits>
#include <memory>
#include <sstream>
#include <vector>

#include "surfaces/RasterSurface.h"

namespace {

constexpr char kChars[] = ".#rgbm";
constexpr SurfaceColour kColours[] = {kColourWhite,         kColourBlack,         RgbColour(255, 0, 0),
                                      RgbColour(0, 255, 0), RgbColour(0, 0, 255), RgbColour(255, 0, 255)};

// A number, or "min" or "max", the limits of int.
bool Number(const std::string& word, int& v)
{
    std::istringstream in(word);
    v = word == "min" ? INT_MIN : INT_MAX;
    return word == "min" || word == "max" || (in >> v && in.eof());
}

// One command as its words. The numbers after the verb come first; a colour, when the
// command takes one, is its last word.
bool RunOne(CDrawingSurface& s, const std::vector<std::string>& w, const PixelBlock* picture)
{
    std::vector<int> v;
    std::size_t k = 1;
    for (int n = 0; k < w.size() && Number(w[k], n); ++k)
        v.push_back(n);
    const std::vector<std::string> rest(w.begin() + std::ptrdiff_t(k), w.end());
    const std::string& verb = w[0];
    const auto is = [&](const char* name, std::size_t numbers, std::size_t words) {
        return verb == name && v.size() == numbers && rest.size() == words;
    };
    const std::string last = rest.empty() ? "" : rest.back();
    const SurfaceColour c = last.size() == 1 ? ColourOfChar(last[0]) : 0xFFFFFFFFu;
    const bool colour = c != 0xFFFFFFFFu;
    const RasterOp op = last == "or"    ? RasterOp::Or
                        : last == "and" ? RasterOp::And
                        : last == "xor" ? RasterOp::Xor
                                        : RasterOp::Copy;
    auto* self = dynamic_cast<CRasterSurface*>(&s);
    int width = 0;
    if (verb == "pen" && (w.size() == 3 || (w.size() == 4 && Number(w[3], width))) &&
        (w[1] == "solid" || w[1] == "dotted") && w[2].size() == 1 && ColourOfChar(w[2][0]) != 0xFFFFFFFFu) {
        const SurfaceColour pen = ColourOfChar(w[2][0]);
        s.SelectPen(w[1] == "dotted" ? SurfacePen{PenStyle::Dotted, width, pen}
                                     : SurfacePen::Solid(pen, width));
    } else if (is("brush", 0, 1) && (last == "hollow" || colour)) {
        s.SelectBrush(colour ? SurfaceBrush::Solid(c) : SurfaceBrush::Hollow());
    } else if (is("clip", 0, 1) && last == "none") {
        s.SetClipRect(nullptr);
    } else if (verb == "line" && rest.empty() && !v.empty() && v.size() % 2 == 0) {
        for (std::size_t p = 0; p < v.size(); p += 2)
            s.LineTo(v[p], v[p + 1]);
    } else if (is("move", 2, 0)) {
        s.MoveTo(v[0], v[1]);
    } else if (is("dot", 2, 1) && colour && self != nullptr) {
        self->SetPixel(v[0], v[1], c);
    } else if ((verb == "copy" ? self != nullptr : verb == "blit" && picture != nullptr) && v.size() == 6 &&
               (rest.empty() || (rest.size() == 1 && last == "or"))) {
        // "blit" copies from the picture as a surface of its own.
        std::unique_ptr<CRasterSurface> other;
        if (verb == "blit") {
            other = std::make_unique<CRasterSurface>(picture->Width(), picture->Height());
            other->StretchDib(0, 0, other->Width(), other->Height(), *picture, 0, 0, other->Width(),
                              other->Height());
        }
        s.BitBlt(v[0], v[1], v[2], v[3], other ? *other : *self, v[4], v[5], op);
    } else if (picture != nullptr && v.size() == 8 && verb == "stretch" &&
               (rest.empty() || (rest.size() == 1 && op != RasterOp::Copy))) {
        s.StretchDib(v[0], v[1], v[2], v[3], *picture, v[4], v[5], v[6], v[7], op);
    } else if (picture != nullptr && is("keyed", 10, 0)) {
        s.StretchDibTransparent(v[0], v[1], v[2], v[3], *picture, v[4], v[5], v[6], v[7],
                                picture->GetColour(v[8], picture->Height() - 1 - v[9]));
    } else if (v.size() != 4) {
        return false;
    } else if (is("rect", 4, 0) || is("ellipse", 4, 0)) {
        (s.*(verb == "rect" ? &CDrawingSurface::Rectangle : &CDrawingSurface::Ellipse))(v[0], v[1], v[2],
                                                                                        v[3]);
    } else if (is("clip", 4, 0)) {
        const SurfaceRect r{v[0], v[1], v[2], v[3]};
        s.SetClipRect(&r);
    } else if (is("fill", 4, 1) && colour) {
        s.FillRect({v[0], v[1], v[2], v[3]}, c);
    } else {
        return false;
    }
    return true;
}

} // namespace

SurfaceColour ColourOfChar(char c)
{
    const auto at = std::string(kChars).find(c);
    return at == std::string::npos ? 0xFFFFFFFFu : kColours[at];
}

bool RunDrawScript(CDrawingSurface& s, const std::string& script, std::string& error,
                   const PixelBlock* picture)
{
    std::string lines = script;
    std::replace(lines.begin(), lines.end(), ';', '\n');
    std::istringstream in(lines);
    std::string command;
    while (std::getline(in, command)) {
        std::istringstream words(command);
        std::vector<std::string> w;
        for (std::string word; words >> word;)
            w.push_back(word);
        if (!w.empty() && !RunOne(s, w, picture)) {
            error = "cannot run \"" + command + "\"";
            return false;
        }
    }
    return true;
}

std::vector<std::string> Picture(const CRasterSurface& s)
{
    std::vector<std::string> rows;
    for (int y = 0; y < s.Height(); ++y) {
        std::string row;
        for (int x = 0; x < s.Width(); ++x) {
            char ch = '?';
            for (std::size_t k = 0; k < std::size(kColours); ++k)
                if (s.GetPixel(x, y) == kColours[k])
                    ch = kChars[k];
            row += ch;
        }
        rows.push_back(row);
    }
    return rows;
}

PixelBlock PixelsOf(const std::vector<std::string>& rows, int bpp)
{
    PixelBlock pb;
    std::string error;
    if (rows.empty() || !pb.Create(std::int64_t(rows[0].size()), std::int64_t(rows.size()), bpp, error))
        return pb;
    for (int k = 0; k < pb.PaletteSize() && k < int(std::size(kColours)); ++k)
        pb.Palette()[pb.PaletteSize() - 1 - k] = {
            std::uint8_t(kColours[k] >> 16), std::uint8_t(kColours[k] >> 8), std::uint8_t(kColours[k]), 0};
    for (std::size_t y = 0; y < rows.size(); ++y)
        for (std::size_t x = 0; x < rows[y].size(); ++x) {
            const SurfaceColour c = ColourOfChar(rows[y][x]);
            const auto index = std::uint8_t(pb.PaletteSize() - 1 - int(std::string(kChars).find(rows[y][x])));
            std::uint8_t* row = pb.TopRow(std::int32_t(y));
            if (bpp == 24) {
                row[3 * x] = std::uint8_t(c >> 16);
                row[3 * x + 1] = std::uint8_t(c >> 8);
                row[3 * x + 2] = std::uint8_t(c);
            } else {
                // Index x of bpp bits, the first in the high bits of a byte.
                const std::size_t bit = x * std::size_t(bpp);
                row[bit / 8] = std::uint8_t(row[bit / 8] | index << (8 - bpp - bit % 8));
            }
        }
    return pb;
}

std::string Join(const std::vector<std::string>& rows)
{
    std::string s;
    for (const auto& r : rows)
        s += "\n" + r;
    return s;
}

std::vector<PictureCase> ReadPictureCases(const std::string& path)
{
    std::vector<PictureCase> cases;
    for (const std::string& line : ReadDataLines(path)) {
        if (line.rfind("case ", 0) == 0) {
            std::istringstream head(line.substr(5));
            PictureCase c;
            char background = 0;
            int bpp = 0;
            head >> c.name >> c.width >> c.height >> background;
            c.background = ColourOfChar(background);
            c.bpp = head >> bpp ? bpp : 24;
            cases.push_back(c);
        } else if (cases.empty()) {
            continue;
        } else if (line[0] == '|') {
            cases.back().want.push_back(line.substr(1));
        } else if (line[0] == '<') {
            cases.back().source.push_back(line.substr(1));
        } else {
            cases.back().script += line + "\n";
        }
    }
    return cases;
}
