#pragma once

#include <string>

#include "images/ImageDecoder.h"

// Targa pictures: colour-mapped, true-colour and grey, plain or run-length encoded, from
// either origin. Colour-mapped and grey pictures give 8 bits per pixel with a palette,
// true-colour ones 24 bits; a picture's alpha is laid over white paper. The format has
// no signature, so the header is checked strictly before anything is trusted.
class CTgaDecoder {
public:
    static bool Decode(CByteStream& in, DecodedImage& out, std::string& error);
};
