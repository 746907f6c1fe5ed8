#include "layout/PdfDocument.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include <cairo-pdf.h>

#include "layout/PdfSurface.h"
#include "textfiles/TextEncoding.h"

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
    std::FILE* file = self->output_.File();
    if (self->writeFailed_ || file == nullptr || std::fwrite(data, 1, length, file) != length) {
        if (!self->writeFailed_)
            self->writeErrno_ = errno;
        self->writeFailed_ = true;
        return CAIRO_STATUS_WRITE_ERROR;
    }
    return CAIRO_STATUS_SUCCESS;
}

bool CPdfDocument::CairoFailed(const char* what)
{
    cairo_status_t status = pdf_ != nullptr ? cairo_surface_status(pdf_) : CAIRO_STATUS_NULL_POINTER;
    if (status == CAIRO_STATUS_SUCCESS && cr_ != nullptr)
        status = cairo_status(cr_);
    if (status == CAIRO_STATUS_SUCCESS && !writeFailed_)
        return false;
    if (error_.empty()) {
        if (writeFailed_ || status == CAIRO_STATUS_WRITE_ERROR)
            error_ = "Cannot write the PDF file " + path_ +
                     (writeErrno_ != 0 ? ": " + std::string(std::strerror(writeErrno_)) : std::string());
        else if (status == CAIRO_STATUS_NO_MEMORY)
            error_ = std::string("Not enough memory to ") + what;
        else
            error_ = std::string("Cannot ") + what + ": " + cairo_status_to_string(status);
    }
    return true;
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
    path_ = path;
    if (!output_.Open(path)) {
        error_ = "Cannot create the PDF file " + path + ": " + output_.LastError();
        return false;
    }
    writeFailed_ = false;
    writeErrno_ = 0;
    pages_ = 0;
    caps_ = caps;
    pictures_ = std::make_unique<CPdfPictures>();
    const double w = paper.widthMm / kMmPerInch * kPointsPerInch;
    const double h = paper.heightMm / kMmPerInch * kPointsPerInch;
    pdf_ = cairo_pdf_surface_create_for_stream(&CPdfDocument::Write, this, w, h);
    // cairo takes only UTF-8 for the document's information; a title made from an old
    // 8-bit file name would otherwise put the whole document in error.
    if (cairo_surface_status(pdf_) == CAIRO_STATUS_SUCCESS) {
        cairo_pdf_surface_set_metadata(pdf_, CAIRO_PDF_METADATA_TITLE, ValidUtf8(title).c_str());
        cairo_pdf_surface_set_metadata(pdf_, CAIRO_PDF_METADATA_CREATOR, "Sleevit");
        cr_ = cairo_create(pdf_);
    }
    if (CairoFailed("start the PDF document")) {
        Release(false);
        output_.Discard();
        return false;
    }
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
    // A picture that could not be put on the page fails the page, rather than leaving a
    // page that looks printed but lacks its picture.
    if (page_->Failed() && error_.empty())
        error_ = page_->Error();
    page_.reset();
    if (!error_.empty())
        return false;
    {
        const CairoStripLeakScope scope(pictures_->PageHasStrips());
        cairo_show_page(cr_);
    }
    if (CairoFailed("write the page"))
        return false;
    if (pictures_->PageStripFailed()) {
        error_ = "Not enough memory to write the page";
        return false;
    }
    // cairo has written the page's pictures: their pixels are no longer needed.
    pictures_->EndPage();
    ++pages_;
    return true;
}

void CPdfDocument::Release(bool finish)
{
    page_.reset();
    // After a failed allocation cairo's own clean-up of a half-written document (and of
    // the pictures it took from us) can fault; such a document is given up rather than
    // finished. Its memory is lost, but the job ends with its message, not a crash.
    const bool broken = (pdf_ != nullptr && cairo_surface_status(pdf_) != CAIRO_STATUS_SUCCESS) ||
                        (cr_ != nullptr && cairo_status(cr_) != CAIRO_STATUS_SUCCESS);
    if (!broken) {
        if (cr_ != nullptr)
            cairo_destroy(cr_);
        if (pdf_ != nullptr) {
            if (!finish)
                writeFailed_ = true; // what cairo still writes is thrown away
            // An unfinished page is written here.
            const CairoStripLeakScope scope(pictures_ && pictures_->PageHasStrips());
            cairo_surface_finish(pdf_);
            cairo_surface_destroy(pdf_);
        }
    }
    cr_ = nullptr;
    pdf_ = nullptr;
    if (broken) {
        // cairo may still point at the page's pictures; they are given up with it.
        static_cast<void>(pictures_.release());
        pictures_ = std::make_unique<CPdfPictures>();
    } else if (pictures_) {
        pictures_->EndPage();
    }
}

bool CPdfDocument::Close()
{
    if (!IsOpen()) {
        error_ = "No document is open";
        return false;
    }
    if (page_ && !EndPage()) {
        Abort();
        return false;
    }
    cairo_surface_finish(pdf_);
    if (CairoFailed("finish the PDF document")) {
        Abort();
        return false;
    }
    Release(true);
    if (!output_.Commit()) {
        error_ = "Cannot write the PDF file " + path_ + ": " + output_.LastError();
        return false;
    }
    return true;
}

void CPdfDocument::Abort()
{
    if (!IsOpen())
        return;
    Release(false);
    output_.Discard();
}
