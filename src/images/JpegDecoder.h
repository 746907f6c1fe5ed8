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

    // What the markers before the first scan say, read without decoding any pixels.
    struct Header {
        std::int32_t width = 0; // as stored, before the EXIF orientation
        std::int32_t height = 0;
        int components = 0;
        // Huffman-coded 8-bit grey or colour, which a PDF can carry as it is.
        bool plain = false;
        std::uint64_t scanOffset = 0; // where the first scan's data begins
    };
    // Reads the header (the EXIF orientation and resolution go into out, no pixels) and
    // checks that scan data follows it; fails as Decode would on such a header.
    static bool ReadHeader(CByteStream& in, DecodedImage& out, Header& header, std::string& error);
    // Decodes at 1 / denom of the size (denom 1, 2, 4 or 8) with libjpeg's scaled DCT;
    // the EXIF orientation is applied as by Decode.
    static bool DecodeScaled(CByteStream& in, int denom, DecodedImage& out, std::string& error);

    // The orientation (1..8) of an APP1 segment's payload beginning with "Exif\0\0";
    // 1 when there is none or the block is damaged.
    static int ExifOrientation(const std::uint8_t* data, std::size_t size);
};
