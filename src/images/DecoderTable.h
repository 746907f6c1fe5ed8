#pragma once

#include "images/ImageDecoder.h"

// The decoder of an image type code (1..9), or nullptr for any other code.
DecodeFunction DecoderFor(int type);
// A short name for the decoder of a type code ("BMP", "JPEG", ...), "" for none.
const char* DecoderName(int type);
// The order in which an unknown file is tried: BMP, JPEG, ICO, GIF, PNG, TGA, PCX, WBMP, WMF.
inline constexpr int kTrialOrder[] = {kImageBmp, kImageJpeg, kImageIco,  kImageGif, kImagePng,
                                      kImageTga, kImagePcx,  kImageWbmp, kImageWmf};
