// The view's dialogs: options, the format editor and the batch job's dialog.
#include <QPrinter>

#include "app/AppOptions.h"
#include "app/Paper.h"
#include "app/PrintCycle.h"
#include "app/ProgramFolder.h"
#include "app/SleevitDoc.h"
#include "dialogs/AboutDlg.h"
#include "dialogs/BatchPrintingDialog.h"
#include "dialogs/CalibrationDialog.h"
#include "dialogs/DonateDialog.h"
#include "dialogs/FormatEditDialog.h"
#include "dialogs/OptionsDialog.h"
#include "formats/PrinterCalibration.h"
#include "i18n/DefaultTexts.h"
#include "images/RasterImage.h"
#include "layout/CupsPrinters.h"
#include "layout/PrintJob.h"
#include "view/TheView.h"

void CTheView::OnOptions()
{
    COptionsDialog dialog(options_, this);
    dialog.DoModal();
}

void CTheView::OnAbout()
{
    CAboutDlg dialog(this, language_, programFolder_);
    dialog.DoModal();
}

void CTheView::OnDonate()
{
    CDonateDialog dialog(this, options_);
    dialog.DoModal();
}

void CTheView::OnCalibration()
{
    std::vector<CupsPrinter> printers;
    CCupsPrinters cups;
    cups.List(printers);
    std::vector<std::string> names;
    for (const CupsPrinter& p : printers) {
        names.push_back(p.name);
    }
    const QString current =
        printCycle_->Printer().outputFileName().isEmpty() ? printCycle_->Printer().printerName() : QString();
    // Parented to the main window, so the view's own colours stay on the view.
    CCalibrationDialog dialog(window(), messages_, names, current.toStdString(), SettingsFilePath());
    dialog.exec();
}

void CTheView::OnCalibrationPage()
{
    // The disc outline is that of the catalogue's first disc tray format.
    const FormatCatalogue& catalogue = document_.Catalogue();
    double discMm = 120, holeMm = 15;
    for (int i = 0; i < catalogue.GetCount(); ++i) {
        if (NeedsCdTray(catalogue, i)) {
            const FormatCatalogue::Placement disc = catalogue.GetPlacement(i, false, false);
            discMm = disc.width;
            holeMm = disc.holeSize;
            break;
        }
    }
    printCycle_->PrintCalibrationPage(this, discMm, holeMm, &messages_);
}

void CTheView::OnFormatEditor()
{
    FormatCatalogue& catalogue = document_.Catalogue();
    const std::string readPath = CatalogueReadPathIn(programFolder_);
    CFormatEditDialog dialog(this, catalogue, readPath, sides_[0].formatIndex);
    if (sides_[0].image->IsValid()) {
        // The previews show the user's own cover when there is one.
        dialog.SetSampleImage(sides_[0].image);
    }
    if (dialog.DoModal() != QDialog::Accepted) {
        return;
    }
    if (dialog.SavedPath() != readPath && dialog.SavedPath() == UserCataloguePath()) {
        // The first save into the user's own copy: from now on it is the one read, so
        // this is said once.
        messages_.ShowInformation(
            FillPlaceholder(messages_.Text(kTextUserCatalogueSaved), dialog.SavedPath()));
    }
    FillSelectors();
    // A side whose format was removed has no format rather than a stale position.
    for (SideState& side : sides_) {
        if (side.formatIndex >= catalogue.GetCount()) {
            side.formatIndex = -1;
        }
    }
    RefreshSides();
    sides_[0].paper->update();
    sides_[1].paper->update();
}

void CTheView::RunBatchJob()
{
    const FormatCatalogue& catalogue = document_.Catalogue();
    CBatchPrintingDialog dialog(catalogue, this);
    dialog.SetImageCount(static_cast<int>(batchFiles_.size()));
    dialog.SetFormat(sides_[0].formatIndex);
    if (dialog.DoModal() != QDialog::Accepted) {
        return;
    }
    UpdateData(true);

    BatchJobRequest request;
    request.catalogue = &catalogue;
    request.files = batchFiles_;
    request.forcedFormat = dialog.GetFormat();
    request.singlePage = printOnSinglePage_ != 0;
    request.right = JobSide{sides_[1].image, sides_[1].formatIndex};
    request.autoRotate = options_.autoRotate != 0;
    request.checkPrintableArea = options_.checkPrintableArea != 0;
    request.render.drawCutLines = drawCutAndFoldLines_ != 0;
    request.render.printBorder = options_.printBorder != 0;
    request.messages = &messages_;
    // A batch prints sheets: a disc tray asked for by an earlier job does not carry over.
    printCycle_->SelectCdTrayPaper(false);
    // The batch's files pass through a picture of their own: the papers, their names
    // and their formats stay what the user loaded.
    CRasterImage batchImage;
    PrintJobResult result = printCycle_->PrintBatch(this, request, batchImage);
    options_.nrCoversPrinted += result.coversPrinted;
}
