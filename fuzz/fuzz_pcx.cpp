// Feeds arbitrary bytes to the PCX decoder and checks what a caller relies on.
#include <cstddef>
#include <cstdint>

#include "DecoderFuzz.h"
#include "images/PcxDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return FuzzDecoder(&CPcxDecoder::Decode, data, size);
}
