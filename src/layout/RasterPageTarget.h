#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "layout/PrintTarget.h"
#include "surfaces/RasterSurface.h"

// Pages drawn into memory with the exact pixel rules: the print preview, PNG export and
// tests. Each finished page is handed to onPage when given, else kept.
class CRasterPageTarget final : public CPrintTarget {
public:
    explicit CRasterPageTarget(const DeviceCaps& caps, bool preview = false) : caps_(caps), preview_(preview)
    {
    }

    DeviceCaps GetDeviceCaps() const override { return caps_; }
    bool IsPreview() const override { return preview_; }
    bool StartDocument(const std::string& jobName) override;
    CDrawingSurface* StartPage() override;
    bool EndPage() override;
    bool EndDocument() override;
    void AbortDocument() override;
    std::string LastError() const override { return error_; }

    const std::string& JobName() const { return jobName_; }
    bool Ended() const { return ended_; }
    bool Aborted() const { return aborted_; }
    const std::vector<std::unique_ptr<CRasterSurface>>& Pages() const { return pages_; }
    std::function<bool(const CRasterSurface& page, int number)> onPage;

private:
    DeviceCaps caps_;
    bool preview_;
    std::string jobName_;
    std::unique_ptr<CRasterSurface> current_;
    std::vector<std::unique_ptr<CRasterSurface>> pages_;
    int pageCount_ = 0;
    bool ended_ = false;
    bool aborted_ = false;
    std::string error_;
};
