#pragma once

#include <string>

#include "images/ImageDecoder.h"

// PNG files through libpng: every colour type and bit depth, interlaced or not.
// A palette with one fully transparent entry stays a palette with that transparent
// index; any other transparency is laid onto white paper, giving 24 bits. Grey without
// transparency gives 8 bits with a grey palette; 16-bit samples are rounded to 8.
// Gamma chunks are ignored: covers are printed as their pixels say.
class CPngDecoder {
public:
    static bool Decode(CByteStream& in, DecodedImage& out, std::string& error);
};
