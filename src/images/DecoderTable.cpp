#include "images/DecoderTable.h"

#include <algorithm>
#include <array>
#include <iterator>

#include "images/BmpDecoder.h"
#include "images/GifDecoder.h"
#include "images/IcoDecoder.h"
#include "images/JpegDecoder.h"
#include "images/PcxDecoder.h"
#include "images/PngDecoder.h"
#include "images/TgaDecoder.h"
#include "images/WbmpDecoder.h"
#include "images/WmfDecoder.h"

namespace {

struct Format {
    int type;
    const char* name;
    DecodeFunction decode;
    const char* extensions[3]; // lower case, unused ones null
};

// In the order an unknown file is tried: formats with a signature first, the ones
// with the weakest checks (TGA has none) late.
constexpr Format kFormats[] = {
    {kImageBmp, "BMP", &CBmpDecoder::Decode, {"bmp", "dib"}},
    {kImageJpeg, "JPEG", &CJpegDecoder::Decode, {"jpg", "jpeg", "jpe"}},
    {kImageIco, "ICO", &CIcoDecoder::Decode, {"ico", "cur"}},
    {kImageGif, "GIF", &CGifDecoder::Decode, {"gif"}},
    {kImagePng, "PNG", &CPngDecoder::Decode, {"png"}},
    {kImageTga, "TGA", &CTgaDecoder::Decode, {"tga"}},
    {kImagePcx, "PCX", &CPcxDecoder::Decode, {"pcx"}},
    {kImageWbmp, "WBMP", &CWbmpDecoder::Decode, {"wbmp"}},
    {kImageWmf, "WMF", &CWmfDecoder::Decode, {"wmf", "emf"}},
};

constexpr auto MakeTrialOrder()
{
    std::array<int, std::size(kFormats)> order{};
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = kFormats[i].type;
    return order;
}
constexpr auto kTrialOrder = MakeTrialOrder();

const Format* Find(int type)
{
    const auto* it = std::find_if(std::begin(kFormats), std::end(kFormats),
                                  [type](const Format& f) { return f.type == type; });
    return it == std::end(kFormats) ? nullptr : it;
}

} // namespace

bool IsImageType(int type)
{
    return Find(type) != nullptr;
}

DecodeFunction DecoderFor(int type)
{
    const Format* f = Find(type);
    return f != nullptr ? f->decode : nullptr;
}

const char* DecoderName(int type)
{
    const Format* f = Find(type);
    return f != nullptr ? f->name : "";
}

std::span<const int> TrialOrder()
{
    return kTrialOrder;
}

int TypeFromFileName(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    const auto dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return kImageAny;
    std::string ext = path.substr(dot + 1);
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    for (const Format& f : kFormats)
        for (const char* e : f.extensions)
            if (e != nullptr && ext == e)
                return f.type;
    return kImageAny;
}
