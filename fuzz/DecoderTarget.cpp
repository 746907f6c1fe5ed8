// The fuzz target of one decoder, built once per decoder with FUZZ_IMAGE_TYPE set to
// its type code (fuzz/CMakeLists.txt): decode arbitrary bytes from memory, then check
// what a caller relies on.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "images/ByteStream.h"
#include "images/DecoderTable.h"
#include "images/ImageDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const DecodeFunction decode = DecoderFor(FUZZ_IMAGE_TYPE);
    CMemoryStream in(data, size);
    DecodedImage out;
    std::string error;
    if (!decode(in, out, error)) {
        Check(!error.empty()); // every failure says why
        return 0;
    }
    const PixelBlock& p = out.pixels;
    Check(p.IsValid());
    Check(p.Width() >= 1 && p.Width() <= ImageLimits::kMaxSide);
    Check(p.Height() >= 1 && p.Height() <= ImageLimits::kMaxSide);
    Check(p.Bpp() == 1 || p.Bpp() == 4 || p.Bpp() == 8 || p.Bpp() == 24);
    Check(out.transIndex >= -1 && out.transIndex < 256);
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
