#pragma once

#include "formats/FormatCatalogue.h"
#include "images/RasterImage.h"

// The one document of a run: the catalogue of formats and the two sides' pictures. It
// is never saved and never marked modified; the view and the papers point at what it
// owns.
class CSleevitDoc {
public:
    FormatCatalogue& Catalogue() { return catalogue_; }
    const FormatCatalogue& Catalogue() const { return catalogue_; }
    CRasterImage& LeftImage() { return left_; }
    CRasterImage& RightImage() { return right_; }

private:
    FormatCatalogue catalogue_;
    CRasterImage left_;
    CRasterImage right_;
};
