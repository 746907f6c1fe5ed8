#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include <cairo.h>

#include "formats/AtomicFile.h"
#include "layout/PdfPictures.h"
#include "surfaces/DrawingSurface.h"

class CPdfSurface;

// A sheet size in millimetres.
struct PaperSize {
    double widthMm = 210.0;
    double heightMm = 297.0;

    static constexpr PaperSize A4() { return {210.0, 297.0}; }
    static constexpr PaperSize Letter() { return {215.9, 279.4}; }
    // Any other sheet, such as the page of a printer's disc tray.
    static constexpr PaperSize Custom(double w, double h) { return {w, h}; }
};

// Unprintable margins in millimetres.
struct PaperMargins {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;
};

// The measurements of a sheet at dpi: the sheet and the printable area in whole device
// pixels, both truncated so that the device grid never passes the sheet's edge; the
// printable area starts at the first whole pixel inside the left and top margins. A
// size, margin or resolution that is not a finite positive number (or margins that
// leave nothing) gives an empty printable area.
DeviceCaps CapsForPaper(const PaperSize& paper, int dpi, const PaperMargins& margins = {});

// A PDF file being written, page after page, on cairo. Every page is a sheet of the
// same size; drawing happens on a CPdfSurface in device pixels of the given caps.
class CPdfDocument {
public:
    CPdfDocument() = default;
    ~CPdfDocument();
    CPdfDocument(const CPdfDocument&) = delete;
    CPdfDocument& operator=(const CPdfDocument&) = delete;

    // Starts the file; it replaces one that is there only when Close succeeds (see
    // CAtomicOutput). title goes into the document's information. False with
    // LastError() when the file cannot be created.
    bool Open(const std::string& path, const PaperSize& paper, const DeviceCaps& caps,
              const std::string& title);
    bool IsOpen() const { return cr_ != nullptr; }
    // The surface of a new page, valid until EndPage; nullptr when no document is open or
    // a page is open already.
    CPdfSurface* BeginPage();
    bool EndPage();
    // Writes the rest of the file and puts it in place; false with LastError() when
    // writing, drawing or memory failed at any point (no file is then left behind).
    bool Close();
    // Throws the document away; a file that was there before stays untouched.
    void Abort();

    int PageCount() const { return pages_; }
    const std::string& Path() const { return path_; }
    const std::string& LastError() const { return error_; }
    const CPdfPictures& Pictures() const { return *pictures_; }

private:
    static cairo_status_t Write(void* closure, const unsigned char* data, unsigned int length);
    // True (with error_ set, saying it could not do what) when cairo or the file failed.
    bool CairoFailed(const char* what);
    // Lets go of cairo's objects; finish false throws what is still to be written away.
    void Release(bool finish);

    std::string path_;
    std::string error_;
    CAtomicOutput output_;
    bool writeFailed_ = false;
    int writeErrno_ = 0;
    cairo_surface_t* pdf_ = nullptr;
    cairo_t* cr_ = nullptr;
    DeviceCaps caps_;
    std::unique_ptr<CPdfPictures> pictures_ = std::make_unique<CPdfPictures>();
    std::unique_ptr<CPdfSurface> page_;
    int pages_ = 0;
};
