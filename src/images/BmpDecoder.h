#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "images/ByteStream.h"
#include "images/ImageDecoder.h"

// Bitmap files: the file header, then a bitmap that CDibReader reads (the headers,
// depths and codings it knows). Rules for damaged files:
//  - uncompressed rows must all be there, except that the last row may lack its padding;
//    otherwise the decode fails with "Truncated BMP";
//  - RLE data may stop early: what it set is kept, the rest stays at palette index 0
//    (black for RLE24), as do pixels skipped by delta and end-of-line codes; runs that
//    pass the end of a row are clipped there;
//  - palette indices beyond the file's palette show black.
// A picture is meant for paper: where 16- and 32-bit files carry an alpha channel
// (through an alpha mask), the pixels are blended over white; an alpha channel that
// is zero everywhere counts as unused.
class CBmpDecoder {
public:
    static bool Decode(CByteStream& in, DecodedImage& out, std::string& error);

    // What an icon needs beyond the picture itself.
    struct IconExtra {
        std::vector<std::uint8_t> alpha; // per pixel, rows bottom-up, when there is an alpha mask
        bool alphaUsed = false;          // some alpha value is not zero
    };
    // A bitmap as icons store it: the info header at the stream's position, palette and
    // rows straight after it, the header's height counting the colour and mask rows
    // together. Leaves the stream just after the colour rows, where the mask starts.
    static bool DecodeIconImage(CByteStream& in, DecodedImage& out, IconExtra& extra, std::string& error);
};
