#pragma once

#include <string>

class CRasterSurface;

// Writes a surface as an 8-bit RGB PNG file with its resolution; false (and no file
// left behind) on failure.
bool WritePng(const CRasterSurface& surface, const std::string& path, int dpi);
