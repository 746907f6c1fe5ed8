// Feeds arbitrary bytes to the metafile decoder (both formats) and checks what a
// caller relies on.
#include <cstddef>
#include <cstdint>

#include "DecoderFuzz.h"
#include "images/WmfDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return FuzzDecoder(&CWmfDecoder::Decode, data, size);
}
