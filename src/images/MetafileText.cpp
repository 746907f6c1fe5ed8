#include "images/MetafileText.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_ADVANCES_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>

#include "images/SystemFonts.h"

namespace {

// A cell of 16 device pixels when a font gives no height.
constexpr double kDefaultCellPixels = 16;
// Work charged for each glyph besides its points and pixels.
constexpr std::uint64_t kGlyphWork = 256;
// Pen positions are kept this close to the picture; further out nothing shows.
constexpr double kPenLimit = 1 << 24;

// The vertical measures of a face in its font units.
struct FaceMetrics {
    double unitsPerEm = 1000;
    double ascent = 800;
    double descent = 200;
    double averageWidth = 0;
    double strikePosition = 0;
    double strikeSize = 0;
};

FaceMetrics MetricsOf(FT_Face face)
{
    FaceMetrics m;
    m.unitsPerEm = face->units_per_EM > 0 ? face->units_per_EM : 1000;
    m.ascent = face->ascender;
    m.descent = -face->descender;
    // The ascent and descent that lay out lines in the documents' world, when the
    // font has them.
    if (const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2))) {
        if (os2->usWinAscent + os2->usWinDescent > 0) {
            m.ascent = os2->usWinAscent;
            m.descent = os2->usWinDescent;
        }
        m.averageWidth = os2->xAvgCharWidth;
        m.strikePosition = os2->yStrikeoutPosition;
        m.strikeSize = os2->yStrikeoutSize;
    }
    if (m.ascent + m.descent <= 0) {
        m.ascent = 0.8 * m.unitsPerEm;
        m.descent = 0.2 * m.unitsPerEm;
    }
    if (m.strikeSize <= 0) {
        m.strikePosition = 0.25 * m.unitsPerEm;
        m.strikeSize = 0.05 * m.unitsPerEm;
    }
    return m;
}

struct SpanTarget {
    CMetafileCanvas* canvas;
    std::uint32_t colour;
};

// Rows come in the rasteriser's coordinates, y upwards: row y covers device row -y-1.
void PaintSpans(int y, int count, const FT_Span* spans, void* user)
{
    auto* target = static_cast<SpanTarget*>(user);
    for (int i = 0; i < count; ++i)
        target->canvas->BlendSpan(-y - 1, spans[i].x, spans[i].x + spans[i].len, spans[i].coverage,
                                  target->colour);
}

bool SameName(const char* a, const std::string& b)
{
    const std::string left(a);
    return std::equal(left.begin(), left.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

DPoint Along(DPoint p, DPoint u, double s, DPoint v, double t)
{
    return {p.x + u.x * s + v.x * t, p.y + u.y * s + v.y * t};
}

} // namespace

// The FreeType library and the faces opened for one picture.
struct CMetafileText::Fonts {
    FT_Library library = nullptr;
    bool failed = false;
    std::map<std::string, FT_Face> faces; // by file and index
    FT_Face fallback = nullptr;
    bool fallbackLooked = false;

    ~Fonts()
    {
        for (auto& [key, face] : faces)
            FT_Done_Face(face);
        if (library != nullptr)
            FT_Done_FreeType(library);
    }

    bool Ready()
    {
        if (library == nullptr && !failed)
            failed = FT_Init_FreeType(&library) != 0;
        return !failed;
    }

    FT_Face Open(const std::optional<FontFile>& file)
    {
        if (!file)
            return nullptr;
        const std::string key = file->path + '\n' + std::to_string(file->index);
        if (const auto it = faces.find(key); it != faces.end())
            return it->second;
        if (faces.size() >= kMaxFaces)
            return nullptr;
        FT_Face face = nullptr;
        if (FT_New_Face(library, file->path.c_str(), file->index, &face) != 0)
            face = nullptr;
        else if (!FT_IS_SCALABLE(face)) {
            FT_Done_Face(face);
            face = nullptr;
        }
        faces.emplace(key, face);
        return face;
    }

    // The default font: for text in fonts that cannot be had, and characters the
    // chosen font lacks.
    FT_Face Fallback()
    {
        if (!fallbackLooked) {
            fallbackLooked = true;
            fallback = Open(FindSystemFont("sans-serif", 400, false));
        }
        return fallback;
    }

    FT_Face For(const MfFont& font)
    {
        if (!Ready())
            return nullptr;
        FT_Face face = Open(FindSystemFont(font.face, font.weight == 0 ? 400 : font.weight, font.italic));
        return face != nullptr ? face : Fallback();
    }
};

CMetafileText::CMetafileText(CMetafileCanvas& canvas) : canvas_(canvas), fonts_(std::make_unique<Fonts>()) {}

CMetafileText::~CMetafileText() = default;

double CMetafileText::Draw(const TextRun& run)
{
    if (run.text.empty() || canvas_.Exhausted() || !CMetafileCanvas::IsFinite(run.origin) ||
        !std::isfinite(run.angle))
        return 0;
    FT_Face face = fonts_->For(run.font);
    if (face == nullptr)
        return 0;
    const FaceMetrics m = MetricsOf(face);

    // The em in device pixels: a negative height is the em itself, a positive one the
    // cell (ascent plus descent).
    const double height = run.font.height * run.scaleAcross;
    double em = height < 0 ? -height : (height > 0 ? height : kDefaultCellPixels);
    if (height >= 0)
        em *= m.unitsPerEm / (m.ascent + m.descent);
    if (!(em > 0) || !std::isfinite(em))
        return 0;
    em = std::min(em, kMaxEmPixels);
    double stretch = 1;
    const double wanted = std::abs(run.font.width * run.scaleAlong);
    if (wanted > 0 && std::isfinite(wanted) && m.averageWidth > 0)
        stretch = std::clamp(wanted / (m.averageWidth * em / m.unitsPerEm), 1.0 / 16, 16.0);
    const auto size26 = [](double px) { return static_cast<FT_F26Dot6>(std::max(1.0, std::round(px * 64))); };
    auto setSize = [&](FT_Face f) {
        return FT_Set_Char_Size(f, size26(std::min(em * stretch, kMaxEmPixels)), size26(em), 72, 72) == 0;
    };
    if (!setSize(face))
        return 0;
    FT_Face fallback = fonts_->Fallback();
    bool fallbackSized = false;
    const bool byIndex = run.glyphIndices;
    const bool indicesFit =
        byIndex && face->family_name != nullptr && SameName(face->family_name, run.font.face);

    // Glyphs and their advances.
    struct Glyph {
        FT_Face face;
        FT_UInt index;
        double advance;
        bool draw;
    };
    std::vector<Glyph> glyphs;
    glyphs.reserve(run.text.size());
    double total = 0;
    for (std::size_t i = 0; i < run.text.size(); ++i) {
        const char32_t c = run.text[i];
        Glyph g{face, byIndex ? FT_UInt{c} : FT_Get_Char_Index(face, c), 0, byIndex ? indicesFit : c >= 0x20};
        if (!byIndex && g.index == 0 && fallback != nullptr && fallback != face) {
            const FT_UInt other = FT_Get_Char_Index(fallback, c);
            if (other != 0 && (fallbackSized || (fallbackSized = setSize(fallback)))) {
                g.face = fallback;
                g.index = other;
            }
        }
        if (i < run.advances.size()) {
            g.advance = run.advances[i];
        } else if (g.draw) {
            FT_Fixed advance = 0;
            if (FT_Get_Advance(g.face, g.index, FT_LOAD_NO_HINTING, &advance) == 0)
                g.advance = static_cast<double>(advance) / 65536 + run.extraSpace;
        }
        if (!std::isfinite(g.advance))
            g.advance = 0;
        total += g.advance;
        glyphs.push_back(g);
    }
    if (!canvas_.Spend(glyphs.size() * kGlyphWork))
        return total;

    // Directions on the picture (y downwards): along the baseline and down across it.
    const DPoint u{std::cos(run.angle), -std::sin(run.angle)};
    const DPoint v{std::sin(run.angle), std::cos(run.angle)};
    const double ascent = m.ascent * em / m.unitsPerEm;
    const double descent = m.descent * em / m.unitsPerEm;
    double start = 0;
    if ((run.align & kAlignHorizontalMask) == kAlignCenter)
        start = -total / 2;
    else if ((run.align & kAlignHorizontalMask) == kAlignRight)
        start = -total;
    double drop = ascent; // the reference point at the top of the cell
    if ((run.align & kAlignVerticalMask) == kAlignBaseline)
        drop = 0;
    else if ((run.align & kAlignVerticalMask) == kAlignBottom)
        drop = -descent;
    const DPoint base = Along(run.origin, u, start, v, drop);

    CanvasPen noPen;
    noPen.style = kPenNull;
    auto band = [&](double from, double to, std::uint32_t colour) {
        CanvasBrush brush;
        brush.colour = colour;
        canvas_.Polygons({{Along(base, u, 0, v, from), Along(base, u, total, v, from),
                           Along(base, u, total, v, to), Along(base, u, 0, v, to)}},
                         false, brush, noPen);
    };
    if (run.opaque && total != 0)
        band(-ascent, descent, run.background);

    // Each glyph is turned with the baseline and placed at its pen position, in the
    // rasteriser's coordinates (y upwards: device y negated).
    const double c = std::cos(run.angle);
    const double s = std::sin(run.angle);
    FT_Matrix turn{
        static_cast<FT_Fixed>(std::lround(c * 65536)), static_cast<FT_Fixed>(std::lround(-s * 65536)),
        static_cast<FT_Fixed>(std::lround(s * 65536)), static_cast<FT_Fixed>(std::lround(c * 65536))};
    const SurfaceRect clip = canvas_.Clip();
    SpanTarget target{&canvas_, run.colour};
    double pen = 0;
    for (const Glyph& g : glyphs) {
        const DPoint at = Along(base, u, pen, v, 0);
        pen += g.advance;
        if (!g.draw || clip.IsEmpty() || canvas_.Exhausted())
            continue;
        FT_Vector delta{static_cast<FT_Pos>(std::lround(std::clamp(at.x, -kPenLimit, kPenLimit) * 64)),
                        static_cast<FT_Pos>(std::lround(std::clamp(-at.y, -kPenLimit, kPenLimit) * 64))};
        FT_Set_Transform(g.face, &turn, &delta);
        const bool loaded = FT_Load_Glyph(g.face, g.index, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) == 0;
        FT_Set_Transform(g.face, nullptr, nullptr);
        if (!loaded || g.face->glyph->format != FT_GLYPH_FORMAT_OUTLINE)
            continue;
        FT_Outline& outline = g.face->glyph->outline;
        FT_BBox box;
        FT_Outline_Get_CBox(&outline, &box);
        if (box.xMax < FT_Pos{clip.left} * 64 || box.xMin > FT_Pos{clip.right} * 64 ||
            box.yMax < -FT_Pos{clip.bottom} * 64 || box.yMin > -FT_Pos{clip.top} * 64)
            continue;
        if (!canvas_.Spend(static_cast<std::uint64_t>(std::max(0, int{outline.n_points}))))
            break;
        FT_Raster_Params params{};
        params.source = &outline;
        params.flags = FT_RASTER_FLAG_AA | FT_RASTER_FLAG_DIRECT | FT_RASTER_FLAG_CLIP;
        params.gray_spans = PaintSpans;
        params.user = &target;
        params.clip_box = {clip.left, -clip.bottom, clip.right, -clip.top};
        FT_Outline_Render(fonts_->library, &outline, &params);
    }

    // Lines under and through the text, at least a pixel thick.
    if (run.font.underline || run.font.strikeOut) {
        const double scale = em / m.unitsPerEm;
        auto line = [&](double position, double thickness) {
            const double t = std::max(1.0, thickness * scale);
            const double centre = -position * scale;
            band(centre - t / 2, centre + t / 2, run.colour);
        };
        if (run.font.underline)
            line(face->underline_position, face->underline_thickness);
        if (run.font.strikeOut)
            line(m.strikePosition + m.strikeSize / 2, m.strikeSize);
    }
    return total;
}
