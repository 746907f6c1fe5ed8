#include "images/DecoderTable.h"

#include "images/JpegDecoder.h"
#include "images/PngDecoder.h"

// Each decoder's header is included here once it exists.
#include "images/BmpDecoder.h"
#include "images/GifDecoder.h"
#include "images/IcoDecoder.h"
#include "images/PcxDecoder.h"
#include "images/TgaDecoder.h"
#include "images/WbmpDecoder.h"
#include "images/WmfDecoder.h"

namespace {
struct Entry {
    const char* name;
    DecodeFunction decode;
};

// Indexed by image type code; nullptr marks a decoder that is not built in.
const Entry kDecoders[] = {
    {"", nullptr},                   // 0: any
    {"BMP", &CBmpDecoder::Decode},   // 1
    {"GIF", &CGifDecoder::Decode},   // 2
    {"JPEG", &CJpegDecoder::Decode}, // 3
    {"PNG", &CPngDecoder::Decode},   // 4
    {"ICO", &CIcoDecoder::Decode},   // 5
    {"TGA", &CTgaDecoder::Decode},   // 6
    {"PCX", &CPcxDecoder::Decode},   // 7
    {"WBMP", &CWbmpDecoder::Decode}, // 8
    {"WMF", &CWmfDecoder::Decode},   // 9
};
} // namespace

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
