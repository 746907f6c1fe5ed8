#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "images/ImageDecoder.h"

// JPEG files through libjpeg: baseline, progressive and arithmetic-coded pictures,
// grey (8 bits with a grey palette), colour (24 bits), CMYK and YCCK (turned into
// colour). The EXIF orientation is applied to the pixels; the JFIF density gives the
// resolution.
class CJpegDecoder {
public:
    static bool Decode(CByteStream& in, DecodedImage& out, std::string& error);

    // The orientation (1..8) of an APP1 segment's payload beginning with "Exif\0\0";
    // 1 when there is none or the block is damaged.
    static int ExifOrientation(const std::uint8_t* data, std::size_t size);
};
