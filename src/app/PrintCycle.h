#pragma once

#include <functional>
#include <memory>

#include <QString>

#include "layout/PdfDocument.h"
#include "layout/PrintJob.h"

class CPrintTarget;
class CRasterImage;
class CUserMessages;
class QPrinter;
class QWidget;

// The program's printer settings, made on first use: making them asks the print server
// for its default printer, which must wait until the user prints (a server that does
// not answer would otherwise keep the window from appearing).
class CLazyPrinter {
public:
    CLazyPrinter();
    ~CLazyPrinter();
    QPrinter* get() const;
    QPrinter* operator->() const { return get(); }
    QPrinter& operator*() const { return *get(); }
    // Whether the settings have been made yet.
    bool Made() const { return printer_ != nullptr; }

private:
    mutable std::unique_ptr<QPrinter> printer_;
};

// The window's print cycle: the print dialog, the job on its target (a printer queue or
// a PDF file) with the progress window and Cancel, the preview window and the printer
// setup dialog. It keeps the program's default printer settings for the whole run: the
// last choice of a print or setup dialog, and whether jobs feed from the CD tray.
class CPrintCycle {
public:
    // Printed pages are drawn in device pixels of this resolution.
    static constexpr int kPrintDpi = 600;
    // The preview draws the sheets at this resolution (then scales them to the window).
    static constexpr int kPreviewDpi = 100;

    CPrintCycle();
    ~CPrintCycle();
    // Whether anything has asked for the printer settings yet.
    bool PrinterMade() const { return printer_.Made(); }
    CPrintCycle(const CPrintCycle&) = delete;
    CPrintCycle& operator=(const CPrintCycle&) = delete;

    // The default printer settings: the printer (or PDF file), copies and page size the
    // print dialog starts from and leaves behind.
    QPrinter& Printer() { return *printer_; }
    const QPrinter& Printer() const { return *printer_; }

    // Whether the next jobs feed from the printer's disc tray (a disc of discMm with a
    // hole of holeMm). The tray is looked up on whichever printer the print dialog
    // leaves chosen; a printer without one prints nothing and says so.
    void SelectCdTrayPaper(bool on = true, double discMm = 120, double holeMm = 0);
    bool CdTray() const { return cdTray_; }

    // Shows the print dialog (unless showDialog is false), then prints the job with the
    // progress window. A cancelled dialog gives a result with started false and no
    // message; a job the printer refuses is reported in a message box.
    PrintJobResult Print(QWidget* parent, PrintJobRequest request, bool showDialog = true);
    // The same for a batch (the job is named "Sleevit"); details, when given, receives
    // the batch's own result (files printed and skipped, the last format used).
    PrintJobResult PrintBatch(QWidget* parent, BatchJobRequest request, CRasterImage& image,
                              bool showDialog = true, BatchJobResult* details = nullptr);
    // Draws the job's pages on screen sheets of the default printer's paper and shows
    // them in the preview window; its "&Print..." closes the window and then calls
    // printFromPreview.
    void Preview(QWidget* parent, PrintJobRequest request, std::function<void()> printFromPreview);
    // The print dialog, then the calibration page (a disc of discMm with its hole drawn on
    // it) on the sheet of the chosen printer or PDF file.
    void PrintCalibrationPage(QWidget* parent, double discMm, double holeMm, CUserMessages* messages);
    // The page setup dialog on the default printer settings.
    void Setup(QWidget* parent);

    // The sheet of the default printer settings at a resolution: the chosen paper and,
    // for a printer, its printable area; for a PDF file the whole sheet.
    DeviceCaps SheetCaps(int dpi) const;
    // The target a job goes to at a resolution (the PDF file or the printer queue).
    // messages gives the disc tray messages their texts.
    std::unique_ptr<CPrintTarget> MakeTarget(int dpi, CUserMessages* messages = nullptr) const;
    // The paper of the page layout in millimetres (turned with the orientation).
    PaperSize LayoutPaper() const;
    // What the progress window names as the printer: the queue, or the PDF file.
    QString TargetName() const;

private:
    // Runs the print dialog; false when cancelled.
    bool RunPrintDialog(QWidget* parent);
    // The printer's calibration for sheets (or discs) on a target that is a printer, and
    // what the progress window names as the printer (with its disc tray).
    QString PrepareForPrinter(CPrintTarget& target, double& offsetXMm, double& offsetYMm,
                              const CUserMessages* messages) const;
    // Shows the progress window while run prints pageCount pages; run gets the progress
    // callback.
    PrintJobResult RunWithProgress(QWidget* parent, const QString& documentName, const QString& printerName,
                                   int pageCount,
                                   const std::function<PrintJobResult(std::function<bool(int)>)>& run);

    CLazyPrinter printer_;
    bool cdTray_ = false;
    double discMm_ = 120;
    double holeMm_ = 0;
};

// The media keyword for a sheet of the given size in millimetres, as a print queue
// names it ("iso_a4_210x297mm"); a size without a standard name gets a custom keyword
// carrying its measurements.
std::string MediaKeywordForSize(double widthMm, double heightMm);
