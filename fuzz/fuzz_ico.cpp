// Feeds arbitrary bytes to the ICO decoder and checks what a caller relies on.
#include <cstddef>
#include <cstdint>

#include "DecoderFuzz.h"
#include "images/IcoDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return FuzzDecoder(&CIcoDecoder::Decode, data, size);
}
