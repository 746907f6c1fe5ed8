// sleevit-cli print and sleevit-cli batch: covers to a PDF file, PNG pictures of the
// pages, or a printer queue.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/ProgramFolder.h"
#include "cli/Commands.h"
#include "cli/PrintTargets.h"
#include "cli/StderrMessages.h"
#include "formats/FormatCatalogue.h"
#include "formats/PrinterCalibration.h"
#include "images/CoverDetection.h"
#include "images/RasterImage.h"
#include "layout/CalibrationPage.h"
#include "layout/CupsTarget.h"
#include "layout/PrintJob.h"
#include "layout/PrintTarget.h"

namespace {

struct Options {
    std::string left, right;
    std::string leftFormat = "auto", rightFormat = "auto", batchFormat = "auto";
    bool sample = false;
    bool calibrationPage = false;
    bool calibrationDisc = false; // the calibration page on the disc tray's page
    bool singlePage = false;
    bool lines = true;
    bool border = true;
    bool companion = true;
    bool correct = true;
    std::string jobName; // a masked job name, when given
    std::string catalogue;
    std::vector<std::string> files;
    TargetOptions target;
};

bool IsFile(const std::string& path)
{
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

int Fail(const std::string& text)
{
    std::fprintf(stderr, "sleevit-cli: %s\n", text.c_str());
    return 1;
}

// Reads the options shared by print and batch; false after printing what is wrong.
bool Parse(const std::vector<std::string>& args, bool batch, Options& o)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size() || args[i + 1].rfind("--", 0) == 0) {
                std::fprintf(stderr, "sleevit-cli: %s needs a value\n", a.c_str());
                return false;
            }
            out = args[++i];
            return true;
        };
        auto number = [&](int& out, int low, int high) {
            std::string text;
            if (!value(text))
                return false;
            char* end = nullptr;
            const long n = std::strtol(text.c_str(), &end, 10);
            if (end == text.c_str() || *end != '\0' || n < low || n > high) {
                std::fprintf(stderr, "sleevit-cli: %s takes a number from %d to %d\n", a.c_str(), low, high);
                return false;
            }
            out = static_cast<int>(n);
            return true;
        };
        bool ok = true;
        if (a == "--to" || a == "-o")
            ok = value(o.target.pdf);
        else if (a == "--png")
            ok = value(o.target.png);
        else if (a == "--dpi")
            ok = number(o.target.dpi, 36, 2400);
        else if (a == "--printer") {
            // The queue is optional: a following word that is no option (and, in a batch,
            // no file) names it.
            o.target.usePrinter = true;
            if (i + 1 < args.size() && args[i + 1].rfind("--", 0) != 0 && !(batch && IsFile(args[i + 1])))
                o.target.printer = args[++i];
        } else if (a == "--copies")
            ok = number(o.target.copies, 1, 999);
        else if (a == "--paper")
            ok = value(o.target.paper);
        else if (a == "--catalogue")
            ok = value(o.catalogue);
        else if (a == "--job-name")
            ok = value(o.jobName);
        else if (a == "--no-correction")
            o.correct = false;
        else if (a == "--no-lines")
            o.lines = false;
        else if (a == "--no-border")
            o.border = false;
        else if (!batch && a == "--left")
            ok = value(o.left);
        else if (!batch && a == "--right")
            ok = value(o.right);
        else if (!batch && a == "--left-format")
            ok = value(o.leftFormat);
        else if (!batch && a == "--right-format")
            ok = value(o.rightFormat);
        else if (!batch && a == "--sample")
            o.sample = true;
        else if (!batch && a == "--calibration-page")
            o.calibrationPage = true;
        else if (!batch && a == "--disc")
            o.calibrationDisc = true;
        else if (!batch && a == "--single-page")
            o.singlePage = true;
        else if (!batch && a == "--no-companion")
            o.companion = false;
        else if (batch && a == "--format")
            ok = value(o.batchFormat);
        else if (batch && a.rfind("--", 0) != 0)
            o.files.push_back(a);
        else {
            std::fprintf(stderr, "sleevit-cli: unknown option '%s'\n", a.c_str());
            return false;
        }
        if (!ok)
            return false;
    }
    const int outputs =
        (o.target.pdf.empty() ? 0 : 1) + (o.target.png.empty() ? 0 : 1) + (o.target.usePrinter ? 1 : 0);
    if (outputs != 1) {
        std::fputs("sleevit-cli: give exactly one of --to (-o) OUT.pdf, --png OUT.png or --printer [QUEUE]\n",
                   stderr);
        return false;
    }
    return true;
}

// A format by name: the exact name, else the only one that matches without regard to
// letter case. -2 for "auto", -1 (after a message) for a name that is not there.
int FindFormat(const FormatCatalogue& catalogue, const std::string& name)
{
    if (name == "auto")
        return -2;
    int found = -1;
    for (int i = 0; i < catalogue.GetCount(); ++i)
        if (catalogue.GetName(i) == name)
            return i;
    for (int i = 0; i < catalogue.GetCount(); ++i) {
        const std::string n = catalogue.GetName(i);
        if (n.size() == name.size() && std::equal(n.begin(), n.end(), name.begin(), [](char a, char b) {
                return std::tolower(a) == std::tolower(b);
            }))
            found = found == -1 ? i : -3;
    }
    if (found >= 0)
        return found;
    std::fprintf(stderr, "sleevit-cli: no cover format named '%s'; the catalogue has:\n", name.c_str());
    for (int i = 0; i < catalogue.GetCount(); ++i)
        std::fprintf(stderr, "  %s\n", catalogue.GetName(i).c_str());
    return -1;
}

bool LoadCatalogue(const Options& o, FormatCatalogue& catalogue, CUserMessages& messages)
{
    const std::string path = o.catalogue.empty() ? CatalogueReadPath() : o.catalogue;
    return catalogue.LoadCatalogue(path, messages);
}

bool LoadSide(CRasterImage& image, const std::string& path)
{
    const int type = ImageTypeFromPath(path);
    // The command line takes any picture the decoders read; the extension only says
    // which decoder to try first.
    if (!image.Load(path, type == kUnsupportedImageType ? 0 : type)) {
        std::fprintf(stderr, "sleevit-cli: cannot read %s: %s\n", path.c_str(), image.GetLastError().c_str());
        return false;
    }
    WarnIfPartial(path, image.GetLoadNotice());
    return true;
}

// The calibration page, on the sheet or (with --disc) on the disc tray's page; the disc
// outline is that of the catalogue's first disc tray format (a 120 mm disc without one).
int PrintCalibration(const Options& o, const FormatCatalogue& catalogue, CStderrMessages& messages)
{
    int trayFormat = -1;
    for (int i = 0; i < catalogue.GetCount() && trayFormat < 0; ++i)
        if (NeedsCdTray(catalogue, i))
            trayFormat = i;
    double discMm = 120, holeMm = 15;
    if (trayFormat >= 0) {
        const FormatCatalogue::Placement disc = catalogue.GetPlacement(trayFormat, false, false);
        discMm = disc.width;
        holeMm = disc.holeSize;
    }
    if (o.calibrationDisc && trayFormat < 0)
        return Fail("the catalogue has no disc tray format");
    std::unique_ptr<CPrintTarget> target = MakePrintTarget(
        o.target, catalogue, o.calibrationDisc ? trayFormat : -1, o.calibrationDisc, &messages);
    if (!target)
        return 1;
    if (!PrintCalibrationPage(*target, "Sleevit - calibration", discMm, holeMm))
        return Fail("printing failed: " + target->LastError());
    std::fprintf(stderr, "sleevit-cli: calibration page: %s\n", DescribeTarget(o.target).c_str());
    return 0;
}

} // namespace

int RunPrintCommand(const std::vector<std::string>& args)
{
    Options o;
    if (!Parse(args, false, o))
        return 2;
    if (o.left.empty() && o.right.empty() && !o.sample && !o.calibrationPage) {
        std::fputs("sleevit-cli: nothing to print: give --left FILE, --right FILE, --sample or "
                   "--calibration-page\n",
                   stderr);
        return 2;
    }

    CStderrMessages messages(true);
    FormatCatalogue catalogue;
    if (!LoadCatalogue(o, catalogue, messages))
        return 1;
    if (o.calibrationPage)
        return PrintCalibration(o, catalogue, messages);

    CRasterImage left, right;
    std::string leftName;
    if (o.sample) {
        if (!left.LoadResource("IDJ_SAMPLE_DVD_COVER", kImageJpeg))
            return Fail("the built-in sample cover cannot be read: " + left.GetLastError());
        leftName = "sample cover";
    } else if (!o.left.empty()) {
        if (!LoadSide(left, o.left))
            return 1;
        leftName = FileNameOfPath(o.left);
    }
    std::string rightPath = o.right;
    if (rightPath.empty() && !o.left.empty() && o.companion) {
        rightPath = FindCompanion(o.left);
        if (!rightPath.empty())
            std::fprintf(stderr, "sleevit-cli: back cover found: %s\n", rightPath.c_str());
    }
    if (!rightPath.empty() && !LoadSide(right, rightPath))
        return 1;

    int leftFormat = left.IsValid() ? FindFormat(catalogue, o.leftFormat) : -1;
    int rightFormat = right.IsValid() ? FindFormat(catalogue, o.rightFormat) : -1;
    if (leftFormat == -1 && left.IsValid())
        return 1;
    if (rightFormat == -1 && right.IsValid())
        return 1;
    if (leftFormat == -2)
        leftFormat = DetectFormat(left, catalogue, true, messages);
    if (rightFormat == -2)
        rightFormat = DetectFormat(right, catalogue, true, messages);

    PrintJobRequest request;
    request.catalogue = &catalogue;
    request.left = {&left, leftFormat};
    request.right = {&right, rightFormat};
    request.selection = left.IsValid() && right.IsValid() ? PrintSelection::Both
                        : left.IsValid()                  ? PrintSelection::Left
                                                          : PrintSelection::Right;
    request.singlePage = o.singlePage;
    if (o.singlePage && request.selection == PrintSelection::Both)
        request.selection = PrintSelection::Left; // both covers on the left side's sheet
    request.checkPrintableArea = o.correct;
    request.render.drawCutLines = o.lines;
    request.render.printBorder = o.border;
    request.messages = &messages;
    request.jobName = PrintJobName(!o.jobName.empty(), o.jobName, leftName);

    // A disc printed in the tray is printed on the tray's sheet.
    const bool tray = left.IsValid() && NeedsCdTray(catalogue, leftFormat);
    const int paperFormat = left.IsValid() ? leftFormat : rightFormat;
    std::string queue;
    std::unique_ptr<CPrintTarget> target =
        MakePrintTarget(o.target, catalogue, paperFormat, tray, &messages, &queue);
    if (!target)
        return 1;
    if (!queue.empty())
        ApplyCalibration(*target, queue, tray, request.offsetXMm, request.offsetYMm);
    const PrintJobResult result = RunPrintJob(*target, request);
    if (!result.completed)
        return Fail("printing failed: " + result.error);
    if (const auto* cups = dynamic_cast<const CCupsTarget*>(target.get())) {
        std::fprintf(stderr, "sleevit-cli: job %d\n", cups->JobId());
        if (!cups->JobNotice().empty())
            std::fprintf(stderr, "sleevit-cli: warning: %s\n", cups->JobNotice().c_str());
    }
    std::fprintf(stderr, "sleevit-cli: %d page%s, %d cover%s: %s\n", result.pages,
                 result.pages == 1 ? "" : "s", result.coversPrinted, result.coversPrinted == 1 ? "" : "s",
                 DescribeTarget(o.target).c_str());
    return 0;
}

int RunBatchCommand(const std::vector<std::string>& args)
{
    Options o;
    if (!Parse(args, true, o))
        return 2;
    if (o.files.empty()) {
        std::fputs("sleevit-cli: no files given\n", stderr);
        return 2;
    }
    CStderrMessages messages(true);
    FormatCatalogue catalogue;
    if (!LoadCatalogue(o, catalogue, messages))
        return 1;
    const int forced = FindFormat(catalogue, o.batchFormat);
    if (forced == -1)
        return 1;

    BatchJobRequest request;
    request.catalogue = &catalogue;
    request.files = o.files;
    request.forcedFormat = forced >= 0 ? forced : -1;
    request.anyPicture = true; // the decoders, not the names, decide what is a picture
    request.checkPrintableArea = o.correct;
    request.render.drawCutLines = o.lines;
    request.render.printBorder = o.border;
    request.messages = &messages;
    std::string queue;
    std::unique_ptr<CPrintTarget> target =
        MakePrintTarget(o.target, catalogue, request.forcedFormat, false, &messages, &queue);
    if (!target)
        return 1;
    if (!queue.empty()) {
        const PrinterCalibration c = ReadPrinterCalibration(SettingsFilePath(), queue);
        request.offsetXMm = c.sheetX;
        request.offsetYMm = c.sheetY;
    }
    CRasterImage image;
    const BatchJobResult result = RunBatchJob(*target, request, image);
    for (std::size_t k = 0; k < result.skipped.size(); ++k)
        std::fprintf(stderr, "sleevit-cli: skipped %s: %s\n", result.skipped[k].c_str(),
                     k < result.skipReasons.size() ? result.skipReasons[k].c_str() : "");
    for (const auto& [path, notice] : result.partial)
        WarnIfPartial(path, notice);
    if (!result.job.completed)
        return Fail("printing failed: " + result.job.error);
    std::fprintf(stderr, "sleevit-cli: %d page%s: %s\n", result.job.pages, result.job.pages == 1 ? "" : "s",
                 DescribeTarget(o.target).c_str());
    return result.skipped.empty() ? 0 : 3;
}

int RunCalibrateCommand(const std::vector<std::string>& args)
{
    std::string queue;
    std::optional<std::pair<double, double>> sheet, disc;
    bool show = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--show") {
            show = true;
        } else if (a == "--sheet" || a == "--disc") {
            const auto pair = i + 1 < args.size() ? ParseOffsetPair(args[i + 1]) : std::nullopt;
            if (!pair) {
                std::fprintf(stderr, "sleevit-cli: %s takes X,Y in millimetres (each from -50 to 50)\n",
                             a.c_str());
                return 2;
            }
            (a == "--sheet" ? sheet : disc) = pair;
            ++i;
        } else if (a.rfind("--", 0) != 0 && queue.empty()) {
            queue = a;
        } else {
            std::fprintf(stderr, "sleevit-cli: unknown option '%s'\n", a.c_str());
            return 2;
        }
    }
    if (queue.empty() || (!show && !sheet && !disc)) {
        std::fputs("sleevit-cli: usage: calibrate QUEUE [--sheet X,Y] [--disc X,Y] [--show]\n", stderr);
        return 2;
    }
    const std::string path = SettingsFilePath();
    PrinterCalibration c = ReadPrinterCalibration(path, queue);
    if (sheet || disc) {
        if (sheet) {
            c.sheetX = sheet->first;
            c.sheetY = sheet->second;
        }
        if (disc) {
            c.discX = disc->first;
            c.discY = disc->second;
        }
        if (!WritePrinterCalibration(path, queue, c))
            return Fail("cannot save the calibration in " + path);
    }
    std::printf("%s: sheet %g,%g mm; disc %g,%g mm\n", queue.c_str(), c.sheetX, c.sheetY, c.discX, c.discY);
    return 0;
}
