#pragma once

// The one driver every decoder's fuzz target shares: decode from memory, then check
// the invariants a caller relies on.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "images/ByteStream.h"
#include "images/ImageDecoder.h"

inline void FuzzCheck(bool ok)
{
    if (!ok)
        std::abort();
}

inline int FuzzDecoder(DecodeFunction decode, const std::uint8_t* data, std::size_t size)
{
    CMemoryStream in(data, size);
    DecodedImage out;
    std::string error;
    if (!decode(in, out, error)) {
        FuzzCheck(!error.empty()); // every failure says why
        return 0;
    }
    const PixelBlock& p = out.pixels;
    FuzzCheck(p.IsValid());
    FuzzCheck(p.Width() >= 1 && p.Width() <= ImageLimits::kMaxSide);
    FuzzCheck(p.Height() >= 1 && p.Height() <= ImageLimits::kMaxSide);
    FuzzCheck(p.Bpp() == 1 || p.Bpp() == 4 || p.Bpp() == 8 || p.Bpp() == 24);
    FuzzCheck(out.transIndex >= -1 && out.transIndex < 256);
    // Read every stored byte, so that memory the decoder left unset shows up under MSan
    // and a block shorter than its header says shows up under ASan.
    unsigned sum = 0;
    const std::uint8_t* bits = p.Bits();
    for (std::size_t i = 0; i < p.BitsSize(); i += 61)
        sum += bits[i];
    volatile unsigned sink = sum;
    (void)sink;
    return 0;
}
