#pragma once

#include <string>

#include "images/ByteStream.h"
#include "images/ImageDecoder.h"

// Wireless bitmaps of type 0: one bit per pixel, rows from the top, 1 = white. The
// file has no signature, so it is read strictly: type 0, no extension headers, sides
// of at most five bytes each, and every pixel row present (bytes after them are
// ignored); anything else fails.
class CWbmpDecoder {
public:
    static bool Decode(CByteStream& in, DecodedImage& out, std::string& error);
};
