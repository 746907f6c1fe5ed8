#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "surfaces/DrawingSurface.h"

// A point in pixels: a picture's top-left corner.
struct SkinPoint {
    int x = 0;
    int y = 0;
    bool operator==(const SkinPoint&) const = default;
};

// What a skin folder's "skin.ini" says.
struct SkinFileValues {
    SkinPoint mainPosition;        // "MainPosX", "MainPosY"; 0 when absent
    SkinPoint leftOverlayPosition; // "LeftPosX", "LeftPosY"; 0 when absent
    // "BackgroundColor=RRGGBB" as 0x00BBGGRR; absent when the file has no such entry,
    // and the skin then keeps the colour it had.
    std::optional<SurfaceColour> backgroundColour;
};

// Reads the entries out of a skin file's text. Each entry is found by searching the
// whole text for its name, case-sensitive, first occurrence; lines, order and any
// other text do not matter.
//  - A position is the decimal integer that starts one character after its name (the
//    separator, normally "="): leading white space and a sign are allowed, reading
//    stops at the first character that is not a digit, no digit gives 0, and a value
//    beyond the 32-bit range is held at the nearest end of it.
//  - The colour is the three pairs of characters right after "BackgroundColor=", each
//    read as a hexadecimal number, red, green, blue, in either letter case. A pair's
//    value is formed by its leading hexadecimal digits (0 when it starts with none), so
//    a broken entry still gives a colour, as it always has.
SkinFileValues ParseSkinText(std::string_view text);

// Reads and parses a skin file (UTF-16 LE with FF FE, or 8-bit text). False when the
// file cannot be read; values are then left as they were.
bool ReadSkinFile(const std::string& path, SkinFileValues& values);
