#pragma once

#include <memory>
#include <optional>
#include <string>

#include "layout/CupsPrinters.h"
#include "layout/PdfTarget.h"
#include "layout/PrintTarget.h"

// How a job is printed.
struct CupsJobSettings {
    int copies = 1;
    std::string media;   // media keyword; "" for the printer's default sheet
    bool cdTray = false; // feed from the printer's disc tray when it has one
    int dpi = 600;       // device pixels the pages are drawn in
    // The sheet for a queue that names none (one without a driver), with no margins.
    PaperSize fallbackPaper = PaperSize::A4();
};

// Printing to a CUPS queue: the pages are drawn into a temporary PDF of the printer's
// sheet, which EndDocument hands to the queue as one job with the job's name, the copies,
// the sheet and (when asked and found) the disc tray choice. The temporary file is
// removed in every case.
class CCupsTarget : public CPrintTarget {
public:
    explicit CCupsTarget(std::string printer, CupsJobSettings settings = {});
    ~CCupsTarget() override;

    // The printer's sheet at the job's resolution; an empty printable area when the
    // printer cannot be asked (LastError says why).
    DeviceCaps GetDeviceCaps() const override;
    bool StartDocument(const std::string& jobName) override;
    CDrawingSurface* StartPage() override;
    bool EndPage() override;
    bool EndDocument() override;
    void AbortDocument() override;
    std::string LastError() const override { return error_; }

    // The job the last EndDocument created (0 before).
    int JobId() const { return jobId_; }
    // What holds the job sent last, with its id ("" when nothing does): a paused queue,
    // a job the server stopped or aborted.
    const std::string& JobNotice() const { return jobNotice_; }
    // The tray choice set on the last job, if any.
    const std::optional<CupsTrayChoice>& TrayChoice() const { return tray_; }
    // Cancels a job of this queue; false (and LastError) when the server refuses.
    bool Cancel(int jobId);

private:
    bool LoadMedia() const;
    bool Submit();
    void RemoveTemp();

    std::string printer_;
    CupsJobSettings settings_;
    mutable std::optional<CupsMedia> media_;
    mutable std::string error_;
    std::string jobName_;
    std::string tempPath_;
    std::unique_ptr<CPdfTarget> pdf_;
    std::optional<CupsTrayChoice> tray_;
    int jobId_ = 0;
    std::string jobNotice_;
};
