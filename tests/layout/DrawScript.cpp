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

// Reads a number; anything else is left in the stream.
bool Number(std::istringstream& in, int& v)
{
    const auto at = in.tellg();
    std::string word;
    if (!(in >> word))
        return false;
    if (word == "min" || word == "max") {
        v = word == "min" ? INT_MIN : INT_MAX;
        return true;
    }
    std::istringstream number(word);
    if (number >> v && number.eof())
        return true;
    in.clear();
    in.seekg(at);
    return false;
}

bool Colour(std::istringstream& in, SurfaceColour& c)
{
    char ch = 0;
    if (!(in >> ch) || std::string(kChars).find(ch) == std::string::npos)
        return false;
    c = ColourOfChar(ch);
    return true;
}

bool RunOne(CDrawingSurface& s, std::istringstream& in, const PixelBlock* picture)
{
    const std::string line = in.str();
    std::string verb;
    if (!(in >> verb))
        return true;
    int v[4] = {};
    auto numbers = [&](int n) {
        for (int i = 0; i < n; ++i)
            if (!Number(in, v[i]))
                return false;
        return true;
    };
    SurfaceColour c = 0;
    if (verb == "pen") {
        std::string style;
        in >> style;
        if (!Colour(in, c))
            return false;
        int width = 0;
        in >> width;
        s.SelectPen(style == "dotted" ? SurfacePen{PenStyle::Dotted, width, c} : SurfacePen::Solid(c, width));
        return style == "dotted" || style == "solid";
    }
    if (verb == "brush") {
        if (line.find("hollow") != std::string::npos) {
            s.SelectBrush(SurfaceBrush::Hollow());
            return bool(in >> verb);
        }
        if (!Colour(in, c))
            return false;
        s.SelectBrush(SurfaceBrush::Solid(c));
        return true;
    }
    if (verb == "clip" && line.find("none") != std::string::npos) {
        s.SetClipRect(nullptr);
        return bool(in >> verb);
    }
    if (verb == "line") {
        std::vector<int> points;
        for (int n = 0; Number(in, n);)
            points.push_back(n);
        for (std::size_t k = 0; k + 1 < points.size(); k += 2)
            s.LineTo(points[k], points[k + 1]);
        return !points.empty() && points.size() % 2 == 0;
    }
    if (verb == "move" && numbers(2)) {
        s.MoveTo(v[0], v[1]);
        return true;
    }
    auto* self = dynamic_cast<CRasterSurface*>(&s);
    if (verb == "dot" && self != nullptr && numbers(2) && Colour(in, c)) {
        self->SetPixel(v[0], v[1], c);
        return true;
    }
    if ((verb == "copy" || (verb == "blit" && picture != nullptr)) && numbers(4)) {
        int sx = 0, sy = 0;
        std::string op;
        if (!Number(in, sx) || !Number(in, sy) || (in >> op && op != "or") ||
            (verb == "copy" && self == nullptr))
            return false;
        // "blit" copies from the picture as a surface of its own.
        std::unique_ptr<CRasterSurface> other;
        if (verb == "blit") {
            const int w = picture->Width();
            const int h = picture->Height();
            other = std::make_unique<CRasterSurface>(w, h);
            other->StretchDib(0, 0, w, h, *picture, 0, 0, w, h);
        }
        s.BitBlt(v[0], v[1], v[2], v[3], other ? *other : *self, sx, sy,
                 op == "or" ? RasterOp::Or : RasterOp::Copy);
        return true;
    }
    if ((verb == "stretch" || verb == "keyed") && picture != nullptr && numbers(4)) {
        int from[6] = {};
        for (int i = 0; i < (verb == "keyed" ? 6 : 4); ++i)
            if (!Number(in, from[i]))
                return false;
        std::string op;
        if (verb == "stretch" && in >> op && op != "or" && op != "and" && op != "xor")
            return false;
        if (verb == "stretch")
            s.StretchDib(v[0], v[1], v[2], v[3], *picture, from[0], from[1], from[2], from[3],
                         op == "or"    ? RasterOp::Or
                         : op == "and" ? RasterOp::And
                         : op == "xor" ? RasterOp::Xor
                                       : RasterOp::Copy);
        else
            s.StretchDibTransparent(v[0], v[1], v[2], v[3], *picture, from[0], from[1], from[2], from[3],
                                    picture->GetColour(from[4], picture->Height() - 1 - from[5]));
        return true;
    }
    if ((verb == "rect" || verb == "ellipse" || verb == "fill" || verb == "clip") && numbers(4)) {
        const SurfaceRect r{v[0], v[1], v[2], v[3]};
        if (verb == "rect")
            s.Rectangle(r.left, r.top, r.right, r.bottom);
        else if (verb == "ellipse")
            s.Ellipse(r.left, r.top, r.right, r.bottom);
        else if (verb == "clip")
            s.SetClipRect(&r);
        else if (!Colour(in, c))
            return false;
        else
            s.FillRect(r, c);
        return true;
    }
    return false;
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
        std::string rest;
        if (!RunOne(s, words, picture) || words >> rest) {
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
