#include "layout/PrintJob.h"

#include "formats/FormatCatalogue.h"
#include "images/CoverDetection.h"
#include "images/RasterImage.h"
#include "layout/PrintTarget.h"

namespace {

bool Loaded(const JobSide& side)
{
    return side.image != nullptr && side.image->IsValid();
}

}  // namespace

std::string PrintJobName(bool maskJobName, const std::string& maskedName, const std::string& leftFileName)
{
    if (maskJobName)
        return maskedName;
    return "Sleevit - " + leftFileName;
}

bool NeedsCdTray(const FormatCatalogue& catalogue, int leftFormat)
{
    return catalogue.GetType(leftFormat) == "CD_TRAY";
}

PrintJobResult RunPrintJob(CPrintTarget& target, const PrintJobRequest& request)
{
    PrintJobResult result;
    if (request.catalogue == nullptr) {
        result.error = "no catalogue";
        return result;
    }
    const FormatCatalogue& catalogue = *request.catalogue;
    const bool preview = target.IsPreview();
    const PageRange range = MakePageRange(request.selection, request.singlePage, preview);
    RenderOptions render = request.render;
    render.preview = preview;

    if (!target.StartDocument(request.jobName)) {
        result.error = target.LastError();
        return result;
    }
    result.started = true;

    // Job start: the placements of the sides that have pictures.
    const DeviceCaps caps = target.GetDeviceCaps();
    PlacementJob placementJob{request.messages, false};
    const bool hasLeft = Loaded(request.left);
    const bool hasRight = Loaded(request.right);
    if (hasLeft)
        result.leftPlacement = ComputePlacement(caps, catalogue, request.left.formatIndex, Side::Left,
                                                request.singlePage, request.checkPrintableArea, placementJob);
    if (hasRight)
        result.rightPlacement = ComputePlacement(caps, catalogue, request.right.formatIndex, Side::Right,
                                                 request.singlePage, request.checkPrintableArea, placementJob);

    for (int page = range.first; page <= range.last; ++page) {
        const PageContents contents = ContentsOfPage(page, request.selection, request.singlePage, hasLeft, hasRight);
        CDrawingSurface* dc = target.StartPage();
        if (dc == nullptr) {
            result.error = target.LastError();
            target.AbortDocument();
            return result;
        }
        if (contents.left && RenderCover(*dc, result.leftPlacement, *request.left.image, catalogue,
                                         request.left.formatIndex, render))
            ++result.coversPrinted;
        if (contents.right && RenderCover(*dc, result.rightPlacement, *request.right.image, catalogue,
                                          request.right.formatIndex, render))
            ++result.coversPrinted;
        if (!target.EndPage()) {
            result.error = target.LastError();
            target.AbortDocument();
            return result;
        }
        ++result.pages;
        if (page < range.last && request.progress && !request.progress(result.pages)) {
            result.cancelled = true;
            target.AbortDocument();
            return result;
        }
    }
    if (!target.EndDocument()) {
        result.error = target.LastError();
        return result;
    }
    result.completed = true;
    return result;
}

BatchJobResult RunBatchJob(CPrintTarget& target, const BatchJobRequest& request, CRasterImage& image)
{
    BatchJobResult batch;
    PrintJobResult& result = batch.job;
    if (request.catalogue == nullptr || request.messages == nullptr) {
        result.error = "no catalogue";
        return batch;
    }
    const FormatCatalogue& catalogue = *request.catalogue;
    RenderOptions render = request.render;
    render.preview = target.IsPreview();
    if (!target.StartDocument("Sleevit")) {
        result.error = target.LastError();
        return batch;
    }
    result.started = true;
    const DeviceCaps caps = target.GetDeviceCaps();
    PlacementJob placementJob{request.messages, false};
    // The right cover is the same on every page, so it is placed once.
    const bool withRight = request.singlePage && Loaded(request.right);
    if (withRight)
        result.rightPlacement = ComputePlacement(caps, catalogue, request.right.formatIndex, Side::Right,
                                                 true, request.checkPrintableArea, placementJob);

    for (const std::string& path : request.files) {
        const int type = ImageTypeFromPath(path);
        if (type == kUnsupportedImageType || !image.Load(path, type)) {
            batch.skipped.push_back(path);
            continue;
        }
        const int format = request.forcedFormat >= 0
                               ? request.forcedFormat
                               : DetectFormat(image, catalogue, request.autoRotate, *request.messages);
        batch.lastFormat = format;
        // Each page is placed with the format it is drawn with.
        const CoverPlacement placement =
            ComputePlacement(caps, catalogue, format, Side::Left, request.singlePage,
                             request.checkPrintableArea, placementJob);
        result.leftPlacement = placement;
        CDrawingSurface* dc = target.StartPage();
        if (dc == nullptr) {
            result.error = target.LastError();
            target.AbortDocument();
            return batch;
        }
        if (RenderCover(*dc, placement, image, catalogue, format, render))
            ++result.coversPrinted;
        if (withRight && RenderCover(*dc, result.rightPlacement, *request.right.image, catalogue,
                                     request.right.formatIndex, render))
            ++result.coversPrinted;
        if (!target.EndPage()) {
            result.error = target.LastError();
            target.AbortDocument();
            return batch;
        }
        ++result.pages;
        batch.printed.push_back(path);
        if (request.progress && !request.progress(result.pages)) {
            result.cancelled = true;
            target.AbortDocument();
            return batch;
        }
    }
    // A batch in which no file could be read prints nothing at all.
    if (result.pages == 0) {
        target.AbortDocument();
        result.error = "none of the files could be printed";
        return batch;
    }
    if (!target.EndDocument()) {
        result.error = target.LastError();
        return batch;
    }
    result.completed = true;
    return batch;
}
