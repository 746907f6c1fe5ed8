#pragma once

#include <span>
#include <string>

#include "images/ImageDecoder.h"

// The one list of image formats: each format's type code, short name, decoder and file
// name extensions, in the order an unknown file is tried. A new format is one row of
// the table in DecoderTable.cpp (and its type code).

// Whether type is the code of a format in the table (kImageAny is not).
bool IsImageType(int type);
// The decoder of an image type code, or nullptr for any other code.
DecodeFunction DecoderFor(int type);
// A short name for the decoder of a type code ("BMP", "JPEG", ...), "" for none.
const char* DecoderName(int type);
// The order in which an unknown file is tried: BMP, JPEG, ICO, GIF, PNG, TGA, PCX, WBMP, WMF.
std::span<const int> TrialOrder();
// The type code a file name's extension suggests (letter case ignored); kImageAny when
// it names no format or there is none.
int TypeFromFileName(const std::string& path);
