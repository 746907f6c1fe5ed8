#pragma once

#include <string>

#include "images/ImageDecoder.h"

// PCX pictures: 1, 2, 4 or 8 bits per pixel in one plane, 1 bit in up to 4 planes (a
// 16-colour palette in the header), 8 bits in 3 or 4 planes (true colour), run-length
// encoded. 8-bit pictures take the 256-colour palette from the end of the file.
class CPcxDecoder {
public:
    static bool Decode(CByteStream& in, DecodedImage& out, std::string& error);
};
