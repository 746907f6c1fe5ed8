#pragma once

// Helpers for the PDF tests: the poppler tools that read a PDF back, pages as pictures
// (pdftoppm) and the list of image objects (pdfimages -list).
#include <cstdint>
#include <string>
#include <vector>

#include "ScratchFolder.h"
#include "surfaces/DrawingSurface.h"

class CRasterSurface;

// A picture read back from a page: packed RGB, top row first.
struct PagePicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
    // The colour at (x, y) as 0x00BBGGRR; 0xFFFFFFFF outside.
    SurfaceColour At(int x, int y) const;
};

// Every page of the PDF rendered at dpi (pdftoppm).
std::vector<PagePicture> RasterisePdf(const std::string& pdf, int dpi);

// One row of `pdfimages -list`.
struct PdfImageRow {
    int page = 0;
    int width = 0;
    int height = 0;
    std::string encoding; // "jpeg", "image", "smask", ...
    std::string type;     // "image", "smask", ...
    int object = 0;
};
std::vector<PdfImageRow> ListPdfImages(const std::string& pdf);

// The largest channel difference between two colours.
int ColourDistance(SurfaceColour a, SurfaceColour b);
