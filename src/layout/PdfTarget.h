#pragma once

#include <string>

#include "layout/PdfDocument.h"
#include "layout/PrintTarget.h"

// Printing to a PDF file: every page of the job is one page of the file, a sheet of the
// chosen paper drawn in device pixels of the chosen resolution.
class CPdfTarget : public CPrintTarget {
public:
    CPdfTarget(std::string path, const PaperSize& paper, int dpi = 600, const PaperMargins& margins = {});

    DeviceCaps GetDeviceCaps() const override { return caps_; }
    bool StartDocument(const std::string& jobName) override;
    CDrawingSurface* StartPage() override;
    bool EndPage() override;
    bool EndDocument() override;
    void AbortDocument() override;
    std::string LastError() const override { return error_; }

    const std::string& Path() const { return path_; }
    const PaperSize& Paper() const { return paper_; }
    int PageCount() const { return document_.PageCount(); }
    // The pictures of the document being written (for tests and benchmarks).
    const CPdfPictures& Pictures() const { return document_.Pictures(); }

private:
    std::string path_;
    PaperSize paper_;
    DeviceCaps caps_;
    CPdfDocument document_;
    std::string error_;
};
