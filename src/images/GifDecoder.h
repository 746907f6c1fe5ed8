#pragma once

#include <string>

#include "images/ImageDecoder.h"

// GIF87a and GIF89a pictures: the first frame, placed on the logical screen, as 8 bits
// per pixel with the frame's palette. A stream that ends inside the picture data gives
// the part decoded so far.
class CGifDecoder {
public:
    static bool Decode(CByteStream& in, DecodedImage& out, std::string& error);
};
