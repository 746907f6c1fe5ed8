#pragma once

#include <span>
#include <string>

// The kinds of cover the program knows. A format's type word names its kind; a word the
// program does not know behaves as Custom (and is kept as written).
enum class CoverKind { Dvd, SlimlineDvd, Photo, PhotoZoomed, PlayStation, CdFront, CdTray, Custom };

// How the picture of a kind is cut into bands on the cover.
enum class BandRule {
    Whole,         // the picture stretched over the cover
    ZoomedRows,    // the middle rows only (top and bottom cut off)
    SideBands,     // a narrower spine band at each side
    FaceSpineFace, // two faces with the spine between them, top to bottom
};

// What the program decides from a format's kind.
struct CoverKindTraits {
    CoverKind kind;
    const char* word; // the type word as written in the catalogue file
    BandRule bands;
    bool spineOption;    // an alternative spine width may be given
    bool discTray;       // printed on a disc in the printer's tray
    bool ownPaper;       // the format names the sheet it is printed on (PAPER)
    bool middleLine;     // placed automatically against the sheet's middle line
    bool borrowsSize;    // without a size of its own, it takes the second format's
    bool turnedSideways; // a picture of it lying on its side is turned upright on loading
};

// Every kind once, in the order of the format editor's list.
std::span<const CoverKindTraits> CoverKinds();

// The traits of a kind, and of the kind a type word names (exactly, case and all);
// an unknown word gets Custom's.
const CoverKindTraits& TraitsOf(CoverKind kind);
const CoverKindTraits& TraitsOfWord(const std::string& word);
