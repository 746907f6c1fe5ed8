#pragma once

#include <cstdio>
#include <string>

class CRasterSurface;

// Writes a surface as an 8-bit RGB PNG file with its resolution; false on failure, when
// a file that was there stays untouched (see CAtomicOutput).
bool WritePng(const CRasterSurface& surface, const std::string& path, int dpi);
// The same into an open file; false when a write failed.
bool WritePng(const CRasterSurface& surface, std::FILE* file, int dpi);
