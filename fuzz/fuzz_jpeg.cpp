// Fuzz target for the JPEG decoder: decodes one input from memory through the shared
// driver, which checks the invariants every caller relies on.
#include <cstddef>
#include <cstdint>

#include "DecoderFuzz.h"
#include "images/JpegDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return FuzzDecoder(&CJpegDecoder::Decode, data, size);
}
