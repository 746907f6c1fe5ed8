#include "layout/CupsTarget.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <unistd.h>
#include <utility>

#include <cups/cups.h>

#include "i18n/DefaultTexts.h"
#include "i18n/UserMessages.h"
#include "layout/CupsSession.h"

namespace {

// Largest copy count a job may ask for (the IPP range is 1..2^31 - 1; no cover run is
// near this).
constexpr int kMaxCopies = 9999;
// How long the server may stay silent while a job is sent.
constexpr double kSendSeconds = 60.0;

} // namespace

CCupsTarget::CCupsTarget(std::string printer, CupsJobSettings settings)
    : printer_(std::move(printer)), settings_(std::move(settings))
{
}

CCupsTarget::~CCupsTarget()
{
    if (pdf_)
        pdf_->AbortDocument();
    RemoveTemp();
}

namespace {

std::string MessageText(const CUserMessages* messages, int key, const std::string& printer)
{
    const char* english = DefaultText(key);
    const std::string text = messages != nullptr ? messages->Text(key) : std::string(english ? english : "");
    return FillPlaceholder(text, printer);
}

// Hundredths of a millimetre, the unit of media-size.
std::string Hundredths(double mm)
{
    return std::to_string(static_cast<long>(std::lround(mm * 100)));
}

} // namespace

bool CCupsTarget::OnDiscPage() const
{
    return settings_.cdTray && LoadMedia() && tray_ && tray_->discPage;
}

bool CCupsTarget::DriverMovesDisc() const
{
    return OnDiscPage() && tray_->driverDiscOptions;
}

std::vector<std::pair<std::string, std::string>> CCupsTarget::TrayOptions() const
{
    std::vector<std::pair<std::string, std::string>> options;
    if (!tray_)
        return options;
    std::string col = "{";
    if (!tray_->source.empty())
        col += "media-source=" + tray_->source + " ";
    if (!tray_->mediaType.empty())
        col += "media-type=" + tray_->mediaType + " ";
    col += "media-size={x-dimension=" + Hundredths(tray_->page.size.widthMm) +
           " y-dimension=" + Hundredths(tray_->page.size.heightMm) + "}}";
    options.emplace_back("media-col", col);
    if (tray_->driverDiscOptions) {
        // Print down to the hub when the disc's hole is small; the driver's mask is as
        // large as the disc (its sizes are in points).
        options.emplace_back("StpCDInnerRadius", settings_.holeMm < 30 ? "Small" : "None");
        const long outer = std::clamp(std::lround(settings_.discMm / 25.4 * 72), 184L, 340L);
        options.emplace_back("StpCDOuterDiameter", std::to_string(outer));
        // Its fine position counts points; every model takes at least +-15.
        const auto points = [](double mm) {
            return std::to_string(std::clamp(std::lround(mm / 25.4 * 72), -15L, 15L));
        };
        if (discOffsetXMm_ != 0)
            options.emplace_back("StpCDXAdjustment", points(discOffsetXMm_));
        if (discOffsetYMm_ != 0)
            options.emplace_back("StpCDYAdjustment", points(discOffsetYMm_));
    }
    return options;
}

bool CCupsTarget::LoadMedia() const
{
    if (media_)
        return true;
    CCupsPrinters printers;
    if (settings_.cdTray) {
        tray_ = printers.FindDiscTray(printer_, settings_.discMm);
        if (!tray_) {
            error_ = printers.LastError().empty() ? MessageText(settings_.messages, kMsgNoDiscTray, printer_)
                                                  : printers.LastError();
            return false;
        }
        media_ = tray_->page;
        return true;
    }
    media_ = printers.GetMedia(printer_, settings_.media);
    if (!media_ && settings_.media.empty() && printers.Exists(printer_)) {
        // The queue names no sheet of its own (no driver): the job's default sheet.
        media_ = CupsMedia{"", settings_.fallbackPaper, PaperMargins{}};
    }
    if (!media_)
        error_ = printers.LastError();
    return media_.has_value();
}

DeviceCaps CCupsTarget::GetDeviceCaps() const
{
    if (!LoadMedia())
        return CapsForPaper(PaperSize{0, 0}, settings_.dpi);
    return CapsForPaper(media_->size, settings_.dpi, media_->margins);
}

void CCupsTarget::RemoveTemp()
{
    if (!tempPath_.empty())
        std::remove(tempPath_.c_str());
    tempPath_.clear();
}

bool CCupsTarget::StartDocument(const std::string& jobName)
{
    error_.clear();
    if (pdf_) {
        error_ = "A document is open already";
        return false;
    }
    if (settings_.copies < 1 || settings_.copies > kMaxCopies) {
        error_ = "Invalid number of copies";
        return false;
    }
    {
        CCupsPrinters printers;
        if (!printers.Exists(printer_)) {
            error_ = printers.LastError();
            return false;
        }
    }
    if (!LoadMedia())
        return false;
    if (tray_ && tray_->source.empty() && settings_.messages != nullptr)
        settings_.messages->ShowInformation(MessageText(settings_.messages, kMsgDiscMediaTypeOnly, printer_));
    const char* tmpdir = std::getenv("TMPDIR");
    std::string pattern = std::string(tmpdir != nullptr && *tmpdir ? tmpdir : "/tmp") + "/sleevit-job-XXXXXX";
    const int fd = mkstemp(pattern.data());
    if (fd < 0) {
        error_ = "Cannot create a temporary file for the job";
        return false;
    }
    close(fd);
    tempPath_ = pattern;
    jobName_ = jobName;
    pdf_ = std::make_unique<CPdfTarget>(tempPath_, media_->size, settings_.dpi, media_->margins);
    if (!pdf_->StartDocument(jobName)) {
        error_ = pdf_->LastError();
        pdf_.reset();
        RemoveTemp();
        return false;
    }
    return true;
}

CDrawingSurface* CCupsTarget::StartPage()
{
    if (!pdf_) {
        error_ = "No document is open";
        return nullptr;
    }
    CDrawingSurface* page = pdf_->StartPage();
    if (page == nullptr)
        error_ = pdf_->LastError();
    return page;
}

bool CCupsTarget::EndPage()
{
    if (!pdf_) {
        error_ = "No document is open";
        return false;
    }
    if (!pdf_->EndPage()) {
        error_ = pdf_->LastError();
        return false;
    }
    return true;
}

void CCupsTarget::AbortDocument()
{
    if (pdf_)
        pdf_->AbortDocument();
    pdf_.reset();
    RemoveTemp();
}

bool CCupsTarget::EndDocument()
{
    if (!pdf_) {
        error_ = "No document is open";
        return false;
    }
    const int pages = pdf_->PageCount();
    const bool written = pdf_->EndDocument();
    if (!written)
        error_ = pdf_->LastError();
    pdf_.reset();
    // A job without pages prints nothing: there is nothing to send.
    const bool ok = written && (pages == 0 || Submit());
    RemoveTemp();
    return ok;
}

bool CCupsTarget::Submit()
{
    CCupsSession session;
    if (!session.Open(printer_) || !session.LoadInfo()) {
        error_ = session.LastError();
        return false;
    }
    cups_option_t* options = nullptr;
    int count = 0;
    count = cupsAddOption("copies", std::to_string(settings_.copies).c_str(), count, &options);
    if (tray_) {
        for (const auto& [name, value] : TrayOptions())
            count = cupsAddOption(name.c_str(), value.c_str(), count, &options);
    } else if (!settings_.media.empty()) {
        count = cupsAddOption("media", settings_.media.c_str(), count, &options);
    }

    // Sending a large job to a busy server may take a while, but not for ever.
    session.SetAnswerTimeout(kSendSeconds);
    int jobId = 0;
    const ipp_status_t created = cupsCreateDestJob(session.Http(), session.Dest(), session.Info(), &jobId,
                                                   jobName_.c_str(), count, options);
    bool ok = created <= IPP_STATUS_OK_EVENTS_COMPLETE && jobId > 0;
    if (!ok)
        error_ = std::string("The printer refused the job: ") + cupsLastErrorString();
    if (ok) {
        ok = cupsStartDestDocument(session.Http(), session.Dest(), session.Info(), jobId, jobName_.c_str(),
                                   CUPS_FORMAT_PDF, 0, nullptr, 1) == HTTP_STATUS_CONTINUE;
        std::ifstream in(tempPath_, std::ios::binary);
        char buf[65536];
        while (ok && in) {
            in.read(buf, sizeof buf);
            const std::streamsize got = in.gcount();
            if (got > 0)
                ok = cupsWriteRequestData(session.Http(), buf, std::size_t(got)) == HTTP_STATUS_CONTINUE;
        }
        ok = ok && in.eof();
        // Finishing is needed even after a failed write, to read the server's answer.
        const ipp_status_t finished = cupsFinishDestDocument(session.Http(), session.Dest(), session.Info());
        ok = ok && finished <= IPP_STATUS_OK_EVENTS_COMPLETE;
        if (!ok) {
            error_ = std::string("Cannot send the job to the printer: ") + cupsLastErrorString();
            cupsCancelDestJob(session.Http(), session.Dest(), jobId);
        }
    }
    cupsFreeOptions(count, options);
    if (ok) {
        jobId_ = jobId;
        session.SetAnswerTimeout(5.0);
        jobNotice_ = session.DescribeJobState(jobId);
    }
    return ok;
}

bool CCupsTarget::Cancel(int jobId)
{
    CCupsSession session;
    if (!session.Open(printer_)) {
        error_ = session.LastError();
        return false;
    }
    if (cupsCancelDestJob(session.Http(), session.Dest(), jobId) > IPP_STATUS_OK_EVENTS_COMPLETE) {
        error_ = std::string("Cannot cancel the job: ") + cupsLastErrorString();
        return false;
    }
    return true;
}
