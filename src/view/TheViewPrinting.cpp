// The view's print jobs: Print Left, Right and Both, the preview and the batch.
#include "app/AppOptions.h"
#include "app/PrintCycle.h"
#include "app/SleevitDoc.h"
#include "i18n/DefaultTexts.h"
#include "images/RasterImage.h"
#include "layout/PrintJob.h"
#include "view/TheView.h"

PrintJobRequest CTheView::MakeJobRequest(bool preview) {
    PrintJobRequest request;
    request.catalogue = &document_.Catalogue();
    request.left = JobSide{sides_[0].image, sides_[0].formatIndex};
    request.right = JobSide{sides_[1].image, sides_[1].formatIndex};
    request.selection = selection_;
    request.singlePage = printOnSinglePage_ != 0;
    request.checkPrintableArea = options_.checkPrintableArea != 0;
    request.render.drawCutLines = drawCutAndFoldLines_ != 0;
    request.render.printBorder = options_.printBorder != 0;
    request.render.preview = preview;
    request.jobName = PrintJobName(options_.maskPrintJobName != 0, options_.printJobName, sides_[0].fileName);
    request.messages = &messages_;
    return request;
}

bool CTheView::CanPrint(PrintSelection selection) const
{
    const int formats = document_.Catalogue().GetCount();
    auto ready = [formats](const SideState& side) {
        return side.image->IsValid() && side.formatIndex >= 0 && side.formatIndex < formats;
    };
    const SideState& left = sides_[0];
    const SideState& right = sides_[1];
    if (printOnSinglePage_ != 0) {
        // One sheet holds the left cover and, when it has a picture, the right one.
        return ready(left) && (!right.image->IsValid() || ready(right));
    }
    switch (selection) {
    case PrintSelection::Left:
        return ready(left);
    case PrintSelection::Right:
        return ready(right);
    case PrintSelection::Both:
        return ready(left) && ready(right);
    }
    return false;
}

void CTheView::RunPrint(PrintSelection selection) {
    // The menu's entries stay enabled: a side that cannot be printed is answered here
    // rather than with an empty page.
    if (!CanPrint(selection)) {
        messages_.ShowInformation(messages_.Text(kTextCannotPrintSide));
        return;
    }
    selection_ = selection;
    // Only the left format decides whether the job feeds from the CD tray, and the
    // printer is switched before its dialog opens so the dialog shows the tray.
    if (NeedsCdTray(document_.Catalogue(), sides_[0].formatIndex)) {
        printCycle_->SelectCdTrayPaper();
    }
    UpdateData(true);
    printableMessageShown_ = false;
    PrintJobResult result = printCycle_->Print(this, MakeJobRequest(false));
    options_.nrCoversPrinted += result.coversPrinted;
    printableMessageShown_ = false;
    selection_ = PrintSelection::Both;
}

void CTheView::RunPreview() {
    UpdateData(true);
    printCycle_->Preview(this, MakeJobRequest(true), [this] { RunPrint(selection_); });
}
