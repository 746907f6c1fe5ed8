// Feeds arbitrary bytes to the BMP decoder and checks what a caller relies on.
#include <cstddef>
#include <cstdint>

#include "DecoderFuzz.h"
#include "images/BmpDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return FuzzDecoder(&CBmpDecoder::Decode, data, size);
}
