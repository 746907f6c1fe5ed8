#pragma once

#include <string>

#include "images/ByteStream.h"
#include "images/ImageDecoder.h"

// Icons and cursors (.ico, .cur): of the entries in the directory the largest is taken,
// among equals the deepest; when it cannot be read the next best is tried. An entry is
// a bitmap (colour rows, then a one-bit AND mask) or a PNG file.
//
// The picture is meant for paper, so where the icon is see-through the paper shows:
// pixels set in the AND mask become white, and a 32-bit entry with an alpha channel is
// blended over white (the mask is then ignored). An icon with nothing see-through keeps
// its own depth and palette; one with see-through parts becomes 24 bits. A mask cut
// short by the end of the data counts as "nothing masked" for the rows missing.
class CIcoDecoder {
public:
    static bool Decode(CByteStream& in, DecodedImage& out, std::string& error);
};
