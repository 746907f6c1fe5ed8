#include "cli/PrintTargets.h"

#include <cstdio>
#include <utility>
#include <vector>

#include "formats/AtomicFile.h"
#include "formats/FormatCatalogue.h"
#include "formats/PrinterCalibration.h"
#include "layout/CoverRenderer.h"
#include "layout/CupsTarget.h"
#include "layout/LocalePaper.h"
#include "layout/PdfTarget.h"
#include "layout/PngWriter.h"
#include "layout/RasterPageTarget.h"

namespace {

// The file for page n: the given name for page 1, "-n" before the extension after that.
std::string PagePath(const std::string& path, int page)
{
    if (page == 1)
        return path;
    const std::size_t dot = path.rfind('.');
    const std::size_t slash = path.rfind('/');
    const std::string suffix = "-" + std::to_string(page);
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return path + suffix;
    return path.substr(0, dot) + suffix + path.substr(dot);
}

bool ChoosePaper(const TargetOptions& options, const FormatCatalogue& catalogue, int formatIndex, bool tray,
                 PaperSize& paper)
{
    if (options.paper.empty() && !tray) {
        paper = LocalePaper();
    } else if (options.paper == "a4") {
        paper = PaperSize::A4();
    } else if (options.paper == "letter") {
        paper = PaperSize::Letter();
    } else if (options.paper.empty()) {
        const PaperSizeMm sheet = PaperOfFormat(catalogue, formatIndex);
        paper = PaperSize::Custom(sheet.width, sheet.height);
    } else {
        std::fprintf(stderr, "sleevit-cli: unknown paper '%s' (a4 or letter)\n", options.paper.c_str());
        return false;
    }
    return true;
}

// PNG pictures of the pages: each page is written to a file of its own as it ends, and
// all of them take the place of earlier files together, once the whole job is done.
class CPngPagesTarget final : public CPrintTarget {
public:
    CPngPagesTarget(const PaperSize& paper, std::string path, int dpi)
        : pages_(CapsForPaper(paper, dpi)), path_(std::move(path)), dpi_(dpi)
    {
        pages_.onPage = [this](const CRasterSurface& page, int number) { return WritePage(page, number); };
    }

    DeviceCaps GetDeviceCaps() const override { return pages_.GetDeviceCaps(); }
    bool StartDocument(const std::string& jobName) override
    {
        files_.clear();
        return pages_.StartDocument(jobName);
    }
    CDrawingSurface* StartPage() override { return pages_.StartPage(); }
    bool EndPage() override { return pages_.EndPage(); }
    bool EndDocument() override
    {
        for (auto& file : files_) {
            if (!file->Commit()) {
                error_ = file->LastError();
                files_.clear();
                return false;
            }
        }
        files_.clear();
        return pages_.EndDocument();
    }
    void AbortDocument() override
    {
        files_.clear(); // discards every page written so far
        pages_.AbortDocument();
    }
    std::string LastError() const override { return error_.empty() ? pages_.LastError() : error_; }

private:
    bool WritePage(const CRasterSurface& page, int number)
    {
        const std::string file = PagePath(path_, number);
        auto output = std::make_unique<CAtomicOutput>();
        if (!output->Open(file) || !WritePng(page, output->File(), dpi_)) {
            error_ = "Cannot write " + file + (output->LastError().empty() ? "" : ": " + output->LastError());
            return false;
        }
        files_.push_back(std::move(output));
        return true;
    }

    CRasterPageTarget pages_;
    std::string path_;
    int dpi_;
    std::vector<std::unique_ptr<CAtomicOutput>> files_;
    std::string error_;
};

} // namespace

std::unique_ptr<CPrintTarget> MakePrintTarget(const TargetOptions& options, const FormatCatalogue& catalogue,
                                              int formatIndex, bool tray, CUserMessages* messages,
                                              std::string* queueOut)
{
    PaperSize paper;
    if (!ChoosePaper(options, catalogue, formatIndex, tray, paper))
        return nullptr;
    if (!options.pdf.empty())
        return std::make_unique<CPdfTarget>(options.pdf, paper, options.dpi > 0 ? options.dpi : 600);
    if (!options.png.empty())
        return std::make_unique<CPngPagesTarget>(paper, options.png, options.dpi > 0 ? options.dpi : 300);
    CCupsPrinters printers;
    std::string queue = options.printer;
    if (queue.empty()) {
        queue = printers.DefaultPrinter();
        if (queue.empty()) {
            const std::string why = printers.LastError();
            std::fprintf(stderr, "sleevit-cli: there is no default printer%s%s\n", why.empty() ? "" : ": ",
                         why.c_str());
            return nullptr;
        }
    } else if (!printers.Exists(queue)) {
        const std::string why = printers.LastError();
        std::fprintf(stderr, "sleevit-cli: there is no printer queue named '%s'%s%s\n", queue.c_str(),
                     why.empty() ? "" : ": ", why.c_str());
        return nullptr;
    }
    if (queueOut != nullptr)
        *queueOut = queue;
    CupsJobSettings job;
    job.copies = options.copies;
    job.cdTray = tray;
    job.messages = messages;
    if (tray && formatIndex >= 0 && formatIndex < catalogue.GetCount()) {
        const FormatCatalogue::Placement disc = catalogue.GetPlacement(formatIndex, false, false);
        job.discMm = disc.width;
        job.holeMm = disc.holeSize;
    }
    // The sheet asked for by name; none: the queue's own default.
    if (options.paper == "a4")
        job.media = "iso_a4_210x297mm";
    else if (options.paper == "letter")
        job.media = "na_letter_8.5x11in";
    job.fallbackPaper = paper;
    job.dpi = options.dpi > 0 ? options.dpi : 600;
    return std::make_unique<CCupsTarget>(queue, job);
}

void ApplyCalibration(CPrintTarget& target, const std::string& queue, bool disc, double& offsetXMm,
                      double& offsetYMm)
{
    const PrinterCalibration c = ReadPrinterCalibration(SettingsFilePath(), queue);
    offsetXMm = disc ? c.discX : c.sheetX;
    offsetYMm = disc ? c.discY : c.sheetY;
    auto* cups = dynamic_cast<CCupsTarget*>(&target);
    if (disc && cups != nullptr && cups->DriverMovesDisc()) {
        cups->SetDriverDiscOffset(offsetXMm, offsetYMm);
        offsetXMm = offsetYMm = 0;
    }
}

std::string DescribeTarget(const TargetOptions& options)
{
    if (!options.pdf.empty())
        return options.pdf;
    if (!options.png.empty())
        return options.png;
    return options.printer.empty() ? std::string("the default printer") : "printer " + options.printer;
}
