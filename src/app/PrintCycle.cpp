#include "app/PrintCycle.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <utility>

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QMessageBox>
#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>

#include <cups/cups.h>

#include "app/DialogTextSource.h"
#include "app/PrintPreviewWindow.h"
#include "app/PrintProgressWindow.h"
#include "formats/PrinterCalibration.h"
#include "i18n/DefaultTexts.h"
#include "i18n/UserMessages.h"
#include "layout/CalibrationPage.h"
#include "layout/CupsSession.h"
#include "layout/CupsTarget.h"
#include "layout/PdfTarget.h"
#include "layout/RasterPageTarget.h"

namespace {

const char* const kCouldNotStart = "Could not start print job.";
const char* const kTitle = "Sleevit";

// The printer's reason, when it gave one, follows the fixed text.
void ShowCouldNotStart(QWidget* parent, const std::string& reason = std::string())
{
    QString text = QString::fromStdString(DialogText(8003, kCouldNotStart));
    if (!reason.empty())
        text += QStringLiteral("\n\n") + QString::fromStdString(reason);
    QMessageBox box(QMessageBox::Warning, QString::fromLatin1(kTitle), text, QMessageBox::Ok, parent);
    box.exec();
}

} // namespace

std::string MediaKeywordForSize(double widthMm, double heightMm)
{
    // Hundredths of a millimetre, the unit print queues measure sheets in; a size that is
    // not a finite positive number below a few metres names no sheet.
    if (!(widthMm > 0 && heightMm > 0 && widthMm < 10000 && heightMm < 10000))
        return std::string();
    const int w = int(std::lround(widthMm * 100));
    const int h = int(std::lround(heightMm * 100));
    const pwg_media_t* pwg = pwgMediaForSize(w, h);
    return pwg != nullptr && pwg->pwg != nullptr ? std::string(pwg->pwg) : std::string();
}

CLazyPrinter::CLazyPrinter() = default;

CLazyPrinter::~CLazyPrinter() = default;

QPrinter* CLazyPrinter::get() const
{
    if (!printer_) {
        // Qt asks the print server for its printers without a time limit: a server that
        // takes the connection and then stays silent would freeze the window. It is asked
        // once here with a limit; when it stays silent, this run uses no print server at
        // all (a socket that does not exist fails at once) and printing to PDF goes on.
        CCupsSession probe;
        if (!probe.Connect() && probe.ServerSilent()) {
            const std::string server = cupsServer();
            cupsSetServer("/nonexistent/sleevit-no-print-server");
            QMessageBox box(
                QMessageBox::Warning, QString::fromLatin1(kTitle),
                QString::fromStdString(FillPlaceholder(
                    DialogText(kTextSilentPrintServer, DefaultText(kTextSilentPrintServer)), server)),
                QMessageBox::Ok, QApplication::activeWindow());
            box.exec();
        }
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        // Covers fill the sheet up to the printer's own limits: the pipeline places them
        // in the printable area itself.
        printer_->setFullPage(true);
        printer_->setDocName(QString::fromLatin1(kTitle));
    }
    return printer_.get();
}

CPrintCycle::CPrintCycle() = default;

CPrintCycle::~CPrintCycle() = default;

void CPrintCycle::SelectCdTrayPaper(bool on, double discMm, double holeMm)
{
    cdTray_ = on;
    discMm_ = discMm;
    holeMm_ = holeMm;
}

QString CPrintCycle::TargetName() const
{
    if (!printer_->outputFileName().isEmpty())
        return printer_->outputFileName();
    return printer_->printerName();
}

PaperSize CPrintCycle::LayoutPaper() const
{
    const QRectF sheet = printer_->pageLayout().fullRect(QPageLayout::Millimeter);
    if (sheet.width() <= 0 || sheet.height() <= 0)
        return PaperSize::A4();
    return PaperSize::Custom(sheet.width(), sheet.height());
}

std::unique_ptr<CPrintTarget> CPrintCycle::MakeTarget(int dpi, CUserMessages* messages) const
{
    const PaperSize paper = LayoutPaper();
    const QString file = printer_->outputFileName();
    if (!file.isEmpty())
        return std::make_unique<CPdfTarget>(QFile::encodeName(file).toStdString(), paper, dpi);
    CupsJobSettings job;
    job.copies = printer_->copyCount();
    // The queue takes the sheet by its size; the orientation only turns the picture on
    // screen, the sheet stays as the printer feeds it.
    const QSizeF size = printer_->pageLayout().pageSize().size(QPageSize::Millimeter);
    job.media = MediaKeywordForSize(size.width(), size.height());
    job.cdTray = cdTray_;
    job.discMm = discMm_;
    job.holeMm = holeMm_;
    job.messages = messages;
    job.dpi = dpi;
    job.fallbackPaper = paper;
    return std::make_unique<CCupsTarget>(printer_->printerName().toStdString(), job);
}

DeviceCaps CPrintCycle::SheetCaps(int dpi) const
{
    const DeviceCaps caps = MakeTarget(dpi)->GetDeviceCaps();
    if (caps.horzRes > 0 && caps.vertRes > 0)
        return caps;
    // A printer that cannot be asked: the chosen sheet without margins.
    return CapsForPaper(LayoutPaper(), dpi);
}

bool CPrintCycle::RunPrintDialog(QWidget* parent)
{
    QPrintDialog dialog(printer_.get(), parent);
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintCollateCopies |
                      QAbstractPrintDialog::PrintShowPageSize);
    return dialog.exec() == QDialog::Accepted;
}

void CPrintCycle::Setup(QWidget* parent)
{
    QPageSetupDialog dialog(printer_.get(), parent);
    dialog.exec();
}

QString CPrintCycle::PrepareForPrinter(CPrintTarget& target, double& offsetXMm, double& offsetYMm,
                                       const CUserMessages* messages) const
{
    QString name = TargetName();
    auto* cups = dynamic_cast<CCupsTarget*>(&target);
    if (cups == nullptr)
        return name;
    const PrinterCalibration c =
        ReadPrinterCalibration(SettingsFilePath(), printer_->printerName().toStdString());
    offsetXMm = cdTray_ ? c.discX : c.sheetX;
    offsetYMm = cdTray_ ? c.discY : c.sheetY;
    // Looking the tray up here also tells a printer without one before the window opens.
    cups->GetDeviceCaps();
    if (cdTray_ && cups->DriverMovesDisc()) {
        // The driver moves its disc mask with the picture: it gets the offsets.
        cups->SetDriverDiscOffset(offsetXMm, offsetYMm);
        offsetXMm = offsetYMm = 0;
    }
    if (cups->DiscTray()) {
        const std::string text = messages != nullptr ? messages->Text(kTextDiscTrayNamed)
                                                     : std::string(DefaultText(kTextDiscTrayNamed));
        name += QStringLiteral("\n") + QString::fromStdString(FillPlaceholder(text, cups->DiscTray()->text));
    }
    return name;
}

PrintJobResult
CPrintCycle::RunWithProgress(QWidget* parent, const QString& documentName, const QString& printerName,
                             int pageCount,
                             const std::function<PrintJobResult(std::function<bool(int)>)>& run)
{
    CPrintProgressWindow window(documentName, printerName, parent);
    window.show();
    QCoreApplication::processEvents();
    const auto progress = [&window, pageCount](int pagesDone) {
        // A click on Cancel while the last page was drawn arrives here, after that page.
        QCoreApplication::processEvents();
        if (window.Cancelled())
            return false;
        if (pagesDone < pageCount)
            window.SetPage(pagesDone + 1);
        return true;
    };
    PrintJobResult result = run(progress);
    window.hide();
    return result;
}

PrintJobResult CPrintCycle::Print(QWidget* parent, PrintJobRequest request, bool showDialog)
{
    if (showDialog && !RunPrintDialog(parent))
        return PrintJobResult{};
    std::unique_ptr<CPrintTarget> target = MakeTarget(kPrintDpi, request.messages);
    const QString printerName =
        PrepareForPrinter(*target, request.offsetXMm, request.offsetYMm, request.messages);
    const std::function<bool(int)> caller = std::move(request.progress);
    const QString documentName = QString::fromStdString(request.jobName);
    const PageRange range = MakePageRange(request.selection, request.singlePage, false);
    PrintJobResult result =
        RunWithProgress(parent, documentName, printerName, range.last - range.first + 1,
                        [&](const std::function<bool(int)>& progress) {
                            request.progress = [&](int pagesDone) {
                                return progress(pagesDone) && (!caller || caller(pagesDone));
                            };
                            return RunPrintJob(*target, request);
                        });
    // A printer queue takes the job when the document ends, so a refusal there is the
    // job not starting as much as one at the beginning.
    if (!result.started || (!result.completed && !result.cancelled))
        ShowCouldNotStart(parent, result.error);
    return result;
}

PrintJobResult CPrintCycle::PrintBatch(QWidget* parent, BatchJobRequest request, CRasterImage& image,
                                       bool showDialog, BatchJobResult* details)
{
    if (showDialog && !RunPrintDialog(parent))
        return PrintJobResult{};
    std::unique_ptr<CPrintTarget> target = MakeTarget(kPrintDpi, request.messages);
    const QString printerName =
        PrepareForPrinter(*target, request.offsetXMm, request.offsetYMm, request.messages);
    const std::function<bool(int)> caller = std::move(request.progress);
    BatchJobResult batch;
    const int files = int(std::min<std::size_t>(request.files.size(), std::size_t(INT_MAX)));
    PrintJobResult result =
        RunWithProgress(parent, QString::fromLatin1(kTitle), printerName, files,
                        [&](const std::function<bool(int)>& progress) {
                            request.progress = [&](int pagesDone) {
                                return progress(pagesDone) && (!caller || caller(pagesDone));
                            };
                            batch = RunBatchJob(*target, request, image);
                            return batch.job;
                        });
    // A batch in which no file could be read prints nothing and says nothing.
    if (!result.started || (!result.completed && !result.cancelled && result.pages > 0))
        ShowCouldNotStart(parent);
    if (details != nullptr)
        *details = std::move(batch);
    return result;
}

void CPrintCycle::PrintCalibrationPage(QWidget* parent, double discMm, double holeMm, CUserMessages* messages)
{
    if (!RunPrintDialog(parent))
        return;
    // A sheet job: the tray of an earlier disc job does not carry over.
    const bool tray = cdTray_;
    cdTray_ = false;
    std::unique_ptr<CPrintTarget> target = MakeTarget(kPrintDpi, messages);
    cdTray_ = tray;
    if (!::PrintCalibrationPage(*target, "Sleevit - calibration", discMm, holeMm))
        ShowCouldNotStart(parent, target->LastError());
}

void CPrintCycle::Preview(QWidget* parent, PrintJobRequest request, std::function<void()> printFromPreview)
{
    const DeviceCaps caps = SheetCaps(kPreviewDpi);
    CRasterPageTarget target(caps, true);
    std::vector<QImage> sheets;
    // Each page becomes a screen sheet as soon as it is drawn, so only one page of
    // surface pixels is kept at a time.
    target.onPage = [&sheets, &caps](const CRasterSurface& page, int) {
        sheets.push_back(PreviewSheetImage(page, caps));
        return true;
    };
    request.progress = nullptr;
    RunPrintJob(target, request);
    CPrintPreviewWindow window(std::move(sheets), parent);
    window.exec();
    if (window.PrintRequested() && printFromPreview)
        printFromPreview();
}
