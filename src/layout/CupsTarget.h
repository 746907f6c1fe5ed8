#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "layout/CupsPrinters.h"
#include "layout/PdfTarget.h"
#include "layout/PrintTarget.h"

class CUserMessages;

// How a job is printed.
struct CupsJobSettings {
    int copies = 1;
    std::string media;   // media keyword; "" for the printer's default sheet
    bool cdTray = false; // feed from the printer's disc tray; a queue without one prints nothing
    double discMm = 120; // the disc's diameter and its hole's (a tray job's page is chosen by it)
    double holeMm = 0;
    CUserMessages* messages = nullptr; // texts of the disc tray messages, the notice of a
                                       // disc media type alone (English texts when nullptr)
    int dpi = 600;                     // device pixels the pages are drawn in
    // The sheet for a queue that names none (one without a driver), with no margins.
    PaperSize fallbackPaper = PaperSize::A4();
};

// Printing to a CUPS queue: the pages are drawn into a temporary PDF of the printer's
// sheet, which EndDocument hands to the queue as one job with the job's name, the copies
// and the sheet. A tray job is drawn on the driver's own disc page and asks for the tray,
// the disc media and that page in one media-col collection (libcups maps it to the PPD's
// own InputSlot, MediaType and PageSize, and a driverless queue takes it as it is); a
// queue without a disc tray prints nothing. The temporary file is removed in every case.
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
    bool OnDiscPage() const override;

    // The job the last EndDocument created (0 before).
    int JobId() const { return jobId_; }
    // What holds the job sent last, with its id ("" when nothing does): a paused queue,
    // a job the server stopped or aborted.
    const std::string& JobNotice() const { return jobNotice_; }
    // Whether the driver moves the disc itself (gutenprint's fine adjustment): a printer's
    // disc calibration is then handed to the driver, which moves its disc mask along
    // with the picture, rather than drawn.
    bool DriverMovesDisc() const;
    // The disc calibration (millimetres right and down) the driver is asked for.
    void SetDriverDiscOffset(double xMm, double yMm)
    {
        discOffsetXMm_ = xMm;
        discOffsetYMm_ = yMm;
    }
    // The disc tray of a tray job once the sheet is known (the job asks for it).
    const std::optional<CupsDiscTray>& DiscTray() const { return tray_; }
    // The job options a tray job sends for the tray, as name=value pairs.
    std::vector<std::pair<std::string, std::string>> TrayOptions() const;
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
    mutable std::optional<CupsDiscTray> tray_;
    int jobId_ = 0;
    double discOffsetXMm_ = 0;
    double discOffsetYMm_ = 0;
    std::string jobNotice_;
};
