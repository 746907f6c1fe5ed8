#pragma once

#include <cstdint>
#include <string>

#include "images/ImageDecoder.h"

// Decodes a metafile by playing it into a picture: the older 16-bit format with or
// without its placeable header, and the enhanced 32-bit format.
//
// The picture's size:
// - placeable header: its bounding box at its units per inch, in pixels at 96 dpi;
// - no placeable header: the first window extent the records set, one unit a pixel
//   (a file that sets none cannot be sized and fails);
// - enhanced format: the bounds of its header in pixels of the reference device, or,
//   when those are empty, its frame at the reference device's pixels per millimetre.
// A picture whose longer side exceeds kMaxSide is scaled down to it, keeping its
// aspect. The records are played onto a white picture of that size (what is drawn and
// what is not: see CWmfPlayer and CEmfPlayer) with a bounded amount of work, and the
// result is a 24-bit picture at 96 dpi.
//
// Errors: "Not a WMF" when neither format's signature is there, "corrupted WMF" or
// "corrupted EMF" when the header or the record structure is malformed or the data
// ends before the end record, "Metafile too large" for a file above kMaxFileBytes.
class CWmfDecoder {
public:
    static constexpr int kMaxSide = 4096;
    static constexpr std::uint64_t kMaxFileBytes = std::uint64_t{64} << 20;
    // Pixel operations a file may cost: a fixed allowance plus so many per pixel of
    // the picture; drawing stops when they are spent.
    static constexpr std::uint64_t kBaseWork = std::uint64_t{1} << 26;
    static constexpr std::uint64_t kWorkPerPixel = 16;

    static bool Decode(CByteStream& in, DecodedImage& out, std::string& error);
};
