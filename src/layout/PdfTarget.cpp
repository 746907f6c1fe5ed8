#include "layout/PdfTarget.h"

#include <utility>

#include "layout/PdfSurface.h"

CPdfTarget::CPdfTarget(std::string path, const PaperSize& paper, int dpi, const PaperMargins& margins)
    : path_(std::move(path)), paper_(paper), caps_(CapsForPaper(paper, dpi, margins))
{
}

bool CPdfTarget::StartDocument(const std::string& jobName)
{
    error_.clear();
    if (caps_.horzRes <= 0 || caps_.vertRes <= 0) {
        error_ = "The paper leaves no printable area";
        return false;
    }
    if (!document_.Open(path_, paper_, caps_, jobName)) {
        error_ = document_.LastError();
        return false;
    }
    return true;
}

CDrawingSurface* CPdfTarget::StartPage()
{
    CPdfSurface* page = document_.BeginPage();
    if (page == nullptr)
        error_ = document_.IsOpen() ? "A page is open already" : "No document is open";
    return page;
}

bool CPdfTarget::EndPage()
{
    if (!document_.EndPage()) {
        error_ = document_.LastError().empty() ? "No page is open" : document_.LastError();
        return false;
    }
    return true;
}

bool CPdfTarget::EndDocument()
{
    if (!document_.Close()) {
        error_ = document_.LastError();
        return false;
    }
    return true;
}

void CPdfTarget::AbortDocument()
{
    document_.Abort();
}
