// The view's dialogs: options, the format editor and the batch job's dialog.
#include "app/AppOptions.h"
#include "app/PrintCycle.h"
#include "app/ProgramFolder.h"
#include "app/SleevitDoc.h"
#include "dialogs/AboutDlg.h"
#include "dialogs/BatchPrintingDialog.h"
#include "dialogs/DonateDialog.h"
#include "dialogs/FormatEditDialog.h"
#include "dialogs/OptionsDialog.h"
#include "i18n/DefaultTexts.h"
#include "images/RasterImage.h"
#include "view/Paper.h"
#include "view/TheView.h"

void CTheView::OnOptions() {
    COptionsDialog dialog(options_, this);
    dialog.DoModal();
}

void CTheView::OnAbout() {
    CAboutDlg dialog(this, language_, programFolder_);
    dialog.DoModal();
}

void CTheView::OnDonate() {
    CDonateDialog dialog(this, options_);
    dialog.DoModal();
}

void CTheView::OnFormatEditor() {
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

void CTheView::RunBatchJob() {
    const FormatCatalogue& catalogue = document_.Catalogue();
    CBatchPrintingDialog dialog(catalogue, this);
    dialog.SetImageCount(static_cast<int>(batchFiles_.size()));
    dialog.SetFormat(sides_[0].formatIndex);
    if (dialog.DoModal() != QDialog::Accepted) {
        return;
    }
    sides_[0].formatIndex = dialog.GetFormat();

    BatchJobRequest request;
    request.catalogue = &catalogue;
    request.files = batchFiles_;
    request.forcedFormat = sides_[0].formatIndex;
    request.autoRotate = options_.autoRotate != 0;
    request.checkPrintableArea = options_.checkPrintableArea != 0;
    request.render.drawCutLines = drawCutAndFoldLines_ != 0;
    request.render.printBorder = options_.printBorder != 0;
    request.messages = &messages_;
    BatchJobResult details;
    PrintJobResult result = printCycle_->PrintBatch(this, request, *sides_[0].image, true, &details);
    options_.nrCoversPrinted += result.coversPrinted;
    if (result.started) {
        // The left side now holds the batch's last picture in its last format: show it
        // that way rather than leave the paper and buttons out of step.
        sides_[0].formatIndex = details.lastFormat;
        sides_[0].paper->SetImage(sides_[0].image);
        RefreshSides();
        update();
    }
}
