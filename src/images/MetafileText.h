#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "images/MetafileCanvas.h"
#include "images/MetafileObjects.h"

// Alignment flags of text: how the reference point sits on the text's box.
enum MfTextAlign : unsigned {
    kAlignUpdateCp = 1, // start at the current position and move it past the text
    kAlignRight = 2,
    kAlignCenter = 6,
    kAlignBottom = 8,
    kAlignBaseline = 24,
    kAlignHorizontalMask = 6,
    kAlignVerticalMask = 24,
};

// One line of text as a text record asks for it, in device pixels.
struct TextRun {
    MfFont font;
    std::u32string text;
    // The text holds glyph numbers of the named font rather than characters: drawn
    // only when that very font is installed (another font's glyphs would be wrong).
    bool glyphIndices = false;
    // Distance from each character's origin to the next one's, device pixels along
    // the baseline; empty to use the font's own advances.
    std::vector<double> advances;
    double extraSpace = 0; // added to each of the font's own advances, device pixels
    DPoint origin;         // the reference point
    double scaleAlong = 1; // device pixels per logical unit along the baseline
    double scaleAcross = 1;
    double angle = 0; // of the baseline, radians anticlockwise on the picture
    unsigned align = 0;
    std::uint32_t colour = 0;
    bool opaque = false; // the text's box is first filled with the background colour
    std::uint32_t background = 0xFFFFFF;
};

// Draws text with the system's outline fonts (found through the font configuration,
// rendered by FreeType) onto a metafile canvas: glyph coverage is blended into the
// pixels, inside the canvas's clip box only, each glyph charged to the canvas's work
// budget. Fonts are opened the first time text is drawn and closed with this object.
//
// Sizes are bounded whatever a file says: an em above kMaxEmPixels is drawn at that
// size, glyphs are rendered straight into the clip box (no glyph bitmap is ever
// allocated), and glyphs wholly outside it are skipped.
class CMetafileText {
public:
    static constexpr double kMaxEmPixels = 1 << 15;
    // Fonts one picture may open; text in further fonts uses the default font.
    static constexpr std::size_t kMaxFaces = 32;

    explicit CMetafileText(CMetafileCanvas& canvas);
    ~CMetafileText();
    CMetafileText(const CMetafileText&) = delete;
    CMetafileText& operator=(const CMetafileText&) = delete;

    // Draws the run; returns its width along the baseline in device pixels.
    double Draw(const TextRun& run);

private:
    struct Fonts;
    CMetafileCanvas& canvas_;
    std::unique_ptr<Fonts> fonts_;
};
