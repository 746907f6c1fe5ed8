#pragma once

#include <array>
#include <string>

#include "formats/CoverKind.h"

// Values that stand in coordinate fields in place of real coordinates (millimetres).
inline constexpr double kAutoPosition = -1.0;   // placed by the automatic rules
inline constexpr double kMirrorPosition = -2.0; // right side mirrored from the far edge
inline constexpr double kNoSpine = -99999.999;  // no alternative spine width given

// Edge kinds held in the x1 of a cut line that runs along a whole edge.
inline constexpr double kEdgeLeft = -9001.0;
inline constexpr double kEdgeRight = -9002.0;
inline constexpr double kEdgeTop = -9003.0;
inline constexpr double kEdgeBottom = -9004.0;
// The number reader's values for the words MIN and MAX; no meaning beyond that.
inline constexpr double kWordMin = -9005.0;
inline constexpr double kWordMax = -9006.0;

inline constexpr int kMaxCutLines = 10;

// One cut line or fold line (x1, y1)-(x2, y2), or an edge line when x1 holds an edge
// kind; for a rectangle (x1, y1) is the top-left corner, x2 the width and y2 the height.
// Millimetres from the cover's top-left corner.
struct CutLine {
    double x1 = 0.0;
    double y1 = 0.0;
    double x2 = 0.0;
    double y2 = 0.0;
    bool solid = false;

    bool operator==(const CutLine&) const = default;
};

// A fixed list of at most ten cut lines.
struct CutLineList {
    std::array<CutLine, kMaxCutLines> entries{};
    int count = 0;

    // Appends an entry; false (and nothing stored) when the list is full.
    bool Add(const CutLine& line);
    // Replaces or removes entry k; false for a position outside the list.
    bool Set(int k, const CutLine& line);
    bool Remove(int k);
    bool operator==(const CutLineList& other) const;
};

struct SizeMm {
    double width = 0.0;
    double height = 0.0;
    bool operator==(const SizeMm&) const = default;
};

struct PointMm {
    double x = 0.0;
    double y = 0.0;
    bool operator==(const PointMm&) const = default;
};

// How one kind of printed cover is laid out. Lengths in millimetres.
struct CoverFormat {
    std::string name;
    PointMm position{kAutoPosition, kAutoPosition};  // left side
    PointMm position2{kAutoPosition, kAutoPosition}; // right side; may be the mirror marker
    SizeMm size;
    bool hasSize = false; // the file gave a SIZE (a borrowing kind without one borrows)
    SizeMm detectRatio;   // proportions for detection in place of size; width 0 = none
    SizeMm paperSize{210.0, 297.0};
    bool label = false;
    bool autodetect = false;
    double holeSize = 0.0;
    CutLineList lines;
    CutLineList rects;
    std::string type = TraitsOf(CoverKind::Custom).word; // kept as written, known or not
    int remap = -1;
    double spine = kNoSpine;

    const CoverKindTraits& Traits() const { return TraitsOfWord(type); }
    bool operator==(const CoverFormat&) const = default;
};
