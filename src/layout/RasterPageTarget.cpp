#include "layout/RasterPageTarget.h"

bool CRasterPageTarget::StartDocument(const std::string& jobName)
{
    jobName_ = jobName;
    pages_.clear();
    pageCount_ = 0;
    ended_ = aborted_ = false;
    return true;
}

CDrawingSurface* CRasterPageTarget::StartPage()
{
    current_ = std::make_unique<CRasterSurface>(caps_);
    if (!current_->IsValid()) {
        error_ = "The page is too large to be drawn in memory";
        current_.reset();
        return nullptr;
    }
    return current_.get();
}

bool CRasterPageTarget::EndPage()
{
    if (!current_)
        return false;
    ++pageCount_;
    if (onPage) {
        const bool ok = onPage(*current_, pageCount_);
        current_.reset();
        if (!ok)
            error_ = "The page could not be written";
        return ok;
    }
    pages_.push_back(std::move(current_));
    return true;
}

bool CRasterPageTarget::EndDocument()
{
    ended_ = true;
    return true;
}

void CRasterPageTarget::AbortDocument()
{
    aborted_ = true;
    current_.reset();
}
