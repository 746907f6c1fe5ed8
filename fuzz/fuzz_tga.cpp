// Feeds arbitrary bytes to the TGA decoder and checks what a caller relies on.
#include <cstddef>
#include <cstdint>

#include "DecoderFuzz.h"
#include "images/TgaDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return FuzzDecoder(&CTgaDecoder::Decode, data, size);
}
