#pragma once

// Drawings written as text for the surface tests: one command a line (or between ';'), and
// pictures as rows of characters, one per pixel.
#include <string>
#include <vector>

#include "surfaces/DrawingSurface.h"
#include "surfaces/PixelBlock.h"

class CRasterSurface;

// '.' white, '#' black, 'r', 'g', 'b' pure red, green and blue, 'm' magenta.
SurfaceColour ColourOfChar(char c);

// Runs "pen solid|dotted <colour> [width]", "brush hollow|<colour>", "rect l t r b",
// "ellipse l t r b", "move x y", "line x y" (one or more points), "fill l t r b <colour>",
// "clip l t r b", "clip none", "dot x y <colour>" (one pixel of a raster surface), "copy x y
// w h sx sy [or]" (a block of the raster surface onto itself), "blit x y w h sx sy [or]"
// (the same from the given picture as a raster surface), "stretch x y cx cy sx sy sw sh
// [or|and|xor]" (the given picture, at its own size or not, copied or combined bitwise),
// "keyed x y cx cy sx sy sw sh kx ky" (the same, the colour of the picture's pixel kx, ky
// from the top left transparent). A number may be "min" or "max", the limits of int.
// False, with the reason, for anything else.
bool RunDrawScript(CDrawingSurface& s, const std::string& script, std::string& error,
                   const PixelBlock* picture = nullptr);

// The surface as rows of colour characters; '?' for a colour without one.
std::vector<std::string> Picture(const CRasterSurface& s);
std::string Join(const std::vector<std::string>& rows);

// A picture of rows of colour characters; with 1, 4 or 8 bits per pixel, the palette holds
// the colours in the order of ColourOfChar's list from its last entry down.
PixelBlock PixelsOf(const std::vector<std::string>& rows, int bpp = 24);

// One case of a picture file: "case <name> <width> <height> <background> [<bits per pixel
// of the picture>]", the rows of the picture that "stretch" draws, each after a '<', the
// commands, then the rows of the expected picture, each after a '|'.
struct PictureCase {
    std::string name;
    int width = 0;
    int height = 0;
    SurfaceColour background = 0;
    std::vector<std::string> source;
    int bpp = 24;
    std::string script;
    std::vector<std::string> want;
};
std::vector<PictureCase> ReadPictureCases(const std::string& path);
