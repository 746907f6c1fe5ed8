// The view's print jobs: Print Left, Right and Both, the preview and the batch.
#include "app/AppOptions.h"
#include "app/PrintCycle.h"
#include "app/SleevitDoc.h"
#include "formats/FormatCatalogue.h"
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

void CTheView::RunPrint(PrintSelection selection) {
    // A side whose format cannot make a cover says why instead of printing a blank page.
    const bool singlePage = printOnSinglePage_ != 0;
    for (int side : {0, 1}) {
        const bool printed = singlePage || selection == PrintSelection::Both ||
                             (selection == PrintSelection::Left) == (side == 0);
        if (std::string fault = PrintFault(side); printed && !fault.empty()) {
            messages_.ShowError(fault);
            return;
        }
    }
    selection_ = selection;
    // Only the left format decides whether the job feeds from the disc tray; the tray is
    // looked up on the printer the dialog leaves chosen.
    const FormatCatalogue& catalogue = document_.Catalogue();
    const int left = sides_[0].formatIndex;
    const bool tray = NeedsCdTray(catalogue, left);
    const FormatCatalogue::Placement disc =
        tray ? catalogue.GetPlacement(left, false, false) : FormatCatalogue::Placement{};
    printCycle_->SelectCdTrayPaper(tray, tray ? disc.width : 120, disc.holeSize);
    UpdateData(true);
    printableMessageShown_ = false;
    // Parented to the main window, so the view's own colours stay on the view.
    PrintJobResult result = printCycle_->Print(window(), MakeJobRequest(false));
    options_.nrCoversPrinted += result.coversPrinted;
    printableMessageShown_ = false;
    selection_ = PrintSelection::Both;
}

void CTheView::RunPreview() {
    UpdateData(true);
    printCycle_->Preview(this, MakeJobRequest(true), [this] { RunPrint(selection_); });
}
