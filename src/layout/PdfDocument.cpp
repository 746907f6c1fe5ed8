#include "layout/PdfDocument.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include <cairo-pdf.h>

#include "layout/PdfSurface.h"

namespace {

constexpr double kMmPerInch = 25.4;
constexpr double kPointsPerInch = 72.0;
// Larger than any sheet a printer takes (about 5 m), far below the int range at any dpi
// up to kMaxDpi.
constexpr double kMaxSideMm = 5000.0;
constexpr int kMaxDpi = 9600;

bool Positive(double v)
{
    return std::isfinite(v) && v > 0;
}
bool NonNegative(double v)
{
    return std::isfinite(v) && v >= 0;
}

} // namespace

DeviceCaps CapsForPaper(const PaperSize& paper, int dpi, const PaperMargins& margins)
{
    DeviceCaps caps;
    if (dpi <= 0 || dpi > kMaxDpi || !Positive(paper.widthMm) || !Positive(paper.heightMm) ||
        paper.widthMm > kMaxSideMm || paper.heightMm > kMaxSideMm) {
        if (dpi > 0 && dpi <= kMaxDpi)
            caps.logPixelsX = caps.logPixelsY = dpi;
        return caps;
    }
    caps.logPixelsX = caps.logPixelsY = dpi;
    const double perMm = dpi / kMmPerInch;
    // Both products stay below 5000 / 25.4 * 9600, about 1.9 million.
    caps.physicalWidth = int(std::floor(paper.widthMm * perMm + 1e-9));
    caps.physicalHeight = int(std::floor(paper.heightMm * perMm + 1e-9));
    if (!NonNegative(margins.left) || !NonNegative(margins.top) || !NonNegative(margins.right) ||
        !NonNegative(margins.bottom) || margins.left + margins.right >= paper.widthMm ||
        margins.top + margins.bottom >= paper.heightMm)
        return caps;
    caps.physicalOffsetX = int(std::ceil(margins.left * perMm - 1e-9));
    caps.physicalOffsetY = int(std::ceil(margins.top * perMm - 1e-9));
    const int right = int(std::floor((paper.widthMm - margins.right) * perMm + 1e-9));
    const int bottom = int(std::floor((paper.heightMm - margins.bottom) * perMm + 1e-9));
    caps.horzRes = std::max(0, right - caps.physicalOffsetX);
    caps.vertRes = std::max(0, bottom - caps.physicalOffsetY);
    return caps;
}

CPdfDocument::~CPdfDocument()
{
    if (IsOpen())
        Abort();
}

cairo_status_t CPdfDocument::Write(void* closure, const unsigned char* data, unsigned int length)
{
    auto* self = static_cast<CPdfDocument*>(closure);
    if (self->file_ == nullptr || std::fwrite(data, 1, length, self->file_) != length) {
        self->writeFailed_ = true;
        return CAIRO_STATUS_WRITE_ERROR;
    }
    return CAIRO_STATUS_SUCCESS;
}

bool CPdfDocument::Open(const std::string& path, const PaperSize& paper, const DeviceCaps& caps,
                        const std::string& title)
{
    if (IsOpen()) {
        error_ = "A document is open already";
        return false;
    }
    error_.clear();
    if (!Positive(paper.widthMm) || !Positive(paper.heightMm) || paper.widthMm > kMaxSideMm ||
        paper.heightMm > kMaxSideMm) {
        error_ = "Invalid paper size";
        return false;
    }
    file_ = std::fopen(path.c_str(), "wb");
    if (file_ == nullptr) {
        error_ = "Cannot create the PDF file " + path + ": " + std::strerror(errno);
        return false;
    }
    path_ = path;
    writeFailed_ = false;
    pages_ = 0;
    caps_ = caps;
    pictures_ = std::make_unique<CPdfPictures>();
    const double w = paper.widthMm / kMmPerInch * kPointsPerInch;
    const double h = paper.heightMm / kMmPerInch * kPointsPerInch;
    pdf_ = cairo_pdf_surface_create_for_stream(&CPdfDocument::Write, this, w, h);
    if (cairo_surface_status(pdf_) != CAIRO_STATUS_SUCCESS) {
        error_ = "Cannot start the PDF document";
        Release();
        std::remove(path_.c_str());
        return false;
    }
    cairo_pdf_surface_set_metadata(pdf_, CAIRO_PDF_METADATA_TITLE, title.c_str());
    cairo_pdf_surface_set_metadata(pdf_, CAIRO_PDF_METADATA_CREATOR, "Sleevit");
    cr_ = cairo_create(pdf_);
    return true;
}

CPdfSurface* CPdfDocument::BeginPage()
{
    if (!IsOpen() || page_)
        return nullptr;
    page_ = std::make_unique<CPdfSurface>(cr_, caps_, *pictures_);
    return page_.get();
}

bool CPdfDocument::EndPage()
{
    if (!IsOpen() || !page_)
        return false;
    page_.reset();
    {
        const CairoStripLeakScope scope(pictures_->PageHasStrips());
        cairo_show_page(cr_);
    }
    // cairo has written the page's pictures: their pixels are no longer needed.
    pictures_->EndPage();
    ++pages_;
    if (cairo_status(cr_) != CAIRO_STATUS_SUCCESS || writeFailed_) {
        error_ = "Cannot write the PDF file " + path_;
        return false;
    }
    return true;
}

void CPdfDocument::Release()
{
    page_.reset();
    if (cr_ != nullptr)
        cairo_destroy(cr_);
    cr_ = nullptr;
    if (pdf_ != nullptr) {
        // An unfinished page is written here.
        const CairoStripLeakScope scope(pictures_ && pictures_->PageHasStrips());
        cairo_surface_finish(pdf_);
        cairo_surface_destroy(pdf_);
    }
    pdf_ = nullptr;
    if (pictures_)
        pictures_->EndPage();
    if (file_ != nullptr && std::fclose(file_) != 0)
        writeFailed_ = true;
    file_ = nullptr;
}

bool CPdfDocument::Close()
{
    if (!IsOpen()) {
        error_ = "No document is open";
        return false;
    }
    if (page_)
        EndPage();
    cairo_surface_finish(pdf_);
    const bool ok = cairo_surface_status(pdf_) == CAIRO_STATUS_SUCCESS && !writeFailed_;
    Release();
    if (!ok || writeFailed_) {
        error_ = "Cannot write the PDF file " + path_;
        return false;
    }
    return true;
}

void CPdfDocument::Abort()
{
    if (!IsOpen())
        return;
    Release();
    std::remove(path_.c_str());
}
