#include "images/DecoderTable.h"

// Each decoder's header is included here once it exists.

namespace {
struct Entry {
    const char* name;
    DecodeFunction decode;
};

// Indexed by image type code; nullptr marks a decoder that is not built in.
const Entry kDecoders[] = {
    {"", nullptr},      // 0: any
    {"BMP", nullptr},   // 1: CBmpDecoder::Decode
    {"GIF", nullptr},   // 2: CGifDecoder::Decode
    {"JPEG", nullptr},  // 3: CJpegDecoder::Decode
    {"PNG", nullptr},   // 4: CPngDecoder::Decode
    {"ICO", nullptr},   // 5: CIcoDecoder::Decode
    {"TGA", nullptr},   // 6: CTgaDecoder::Decode
    {"PCX", nullptr},   // 7: CPcxDecoder::Decode
    {"WBMP", nullptr},  // 8: CWbmpDecoder::Decode
    {"WMF", nullptr},   // 9: CWmfDecoder::Decode
};
}  // namespace

DecodeFunction DecoderFor(int type)
{
    if (type < 1 || type > 9)
        return nullptr;
    return kDecoders[type].decode;
}

const char* DecoderName(int type)
{
    if (type < 1 || type > 9)
        return "";
    return kDecoders[type].name;
}
