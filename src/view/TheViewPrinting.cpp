// The view's print jobs: Print Left, Right and Both, the preview and the batch.
#include "app/AppOptions.h"
#include "app/PrintCycle.h"
#include "app/SleevitDoc.h"
#include "dialogs/OverlapQuestion.h"
#include "formats/FormatCatalogue.h"
#include "i18n/DefaultTexts.h"
#include "images/RasterImage.h"
#include "layout/PrintJob.h"
#include "view/TheView.h"

namespace {

// Whether a job puts both covers on one sheet where they would overlap, placed on the
// sheet of the printer settings the print dialog starts from.
bool CoversOverlapOnOneSheet(const PrintJobRequest& request, const DeviceCaps& caps)
{
    const auto loaded = [](const JobSide& side) { return side.image != nullptr && side.image->IsValid(); };
    if (!request.singlePage || request.selection == PrintSelection::Right || !loaded(request.left) ||
        !loaded(request.right)) {
        return false;
    }
    PlacementJob quiet; // the real job tells about corrections; this look does not
    const FormatCatalogue& catalogue = *request.catalogue;
    const CoverPlacement left = ComputePlacement(caps, catalogue, catalogue.Get(request.left.formatIndex),
                                                 Side::Left, true, request.checkPrintableArea, quiet);
    const CoverPlacement right = ComputePlacement(caps, catalogue, catalogue.Get(request.right.formatIndex),
                                                  Side::Right, true, request.checkPrintableArea, quiet);
    return CoversOverlap(left, right);
}

} // namespace

PrintJobRequest CTheView::MakeJobRequest(bool preview)
{
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

void CTheView::RunPrint(PrintSelection selection)
{
    // The menu's entries stay enabled: a side that cannot be printed is answered here
    // rather than with an empty page.
    if (!CanPrint(selection)) {
        messages_.ShowInformation(messages_.Text(kTextCannotPrintSide));
        return;
    }
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
    PrintJobRequest request = MakeJobRequest(false);
    if (CoversOverlapOnOneSheet(request, printCycle_->SheetCaps(CPrintCycle::kPreviewDpi))) {
        const OverlapAnswer answer = AskAboutOverlap(window());
        if (answer == OverlapAnswer::Cancel) {
            selection_ = PrintSelection::Both;
            return;
        }
        // Both covers on a page each, for this job only; the single-page setting stays
        // as the user set it.
        if (answer == OverlapAnswer::TwoPages) {
            request.singlePage = false;
            request.selection = PrintSelection::Both;
        }
    }
    printableMessageShown_ = false;
    // Parented to the main window, so the view's own colours stay on the view.
    PrintJobResult result = printCycle_->Print(window(), std::move(request));
    options_.nrCoversPrinted += result.coversPrinted;
    printableMessageShown_ = false;
    selection_ = PrintSelection::Both;
}

void CTheView::RunPreview()
{
    UpdateData(true);
    printCycle_->Preview(this, MakeJobRequest(true), [this] { RunPrint(selection_); });
}
