#pragma once

#include <cstdint>
#include <string>

#include "images/ByteStream.h"
#include "surfaces/PixelBlock.h"

// Image type codes: which decoder reads a file (0 tries them all).
enum ImageType : int {
    kImageAny = 0,
    kImageBmp = 1,
    kImageGif = 2,
    kImageJpeg = 3,
    kImagePng = 4,
    kImageIco = 5,
    kImageTga = 6,
    kImagePcx = 7,
    kImageWbmp = 8,
    kImageWmf = 9,
};

// What one decode produces. A decoder fills it from the stream's current position and
// reports failure with a short fixed text in error; on failure the caller throws the
// result away, so a decoder need not clean up after itself.
struct DecodedImage {
    PixelBlock pixels;
    int transIndex = -1;           // transparent palette index, -1 = none
    std::uint32_t transColour = 0; // its colour, 0x00BBGGRR
    int xDpi = 96;                 // resolution; 96 when the file gives none or less than 1
    int yDpi = 96;
    // A JPEG's own EXIF orientation (1..8), already applied to pixels; kept so that a
    // printer can place the untouched file data with the same turn.
    int exifOrientation = 1;
    // Set when the file's data ended or broke off before the picture was complete: the
    // pixels hold what could be read. Says what was wrong, for a notice to the user.
    std::string partial;
};

// Every decoder has this shape: static bool Decode(CByteStream&, DecodedImage&, std::string& error).
using DecodeFunction = bool (*)(CByteStream& in, DecodedImage& out, std::string& error);
