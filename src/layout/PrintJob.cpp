#include "layout/PrintJob.h"

#include <tuple>
#include <utility>

#include "formats/FormatCatalogue.h"
#include "images/CoverDetection.h"
#include "images/RasterImage.h"
#include "layout/PrintTarget.h"
#include "textfiles/TextEncoding.h"

namespace {

bool Loaded(const JobSide& side)
{
    return side.image != nullptr && side.image->IsValid();
}

} // namespace

std::string PrintJobName(bool maskJobName, const std::string& maskedName, const std::string& leftFileName)
{
    // Queues and PDF readers take only UTF-8; an old 8-bit file name keeps its other
    // characters.
    if (maskJobName)
        return ValidUtf8(maskedName);
    return "Sleevit - " + ValidUtf8(leftFileName);
}

bool NeedsCdTray(const FormatCatalogue& catalogue, int leftFormat)
{
    return catalogue.GetTraits(leftFormat).discTray;
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

    // A format that cannot make a cover stops the job before anything is written.
    const bool hasLeft = Loaded(request.left);
    const bool hasRight = Loaded(request.right);
    for (int page = range.first; page <= range.last; ++page) {
        const PageContents contents =
            ContentsOfPage(page, request.selection, request.singlePage, hasLeft, hasRight);
        for (const auto& [drawn, side] :
             {std::pair{contents.left, &request.left}, {contents.right, &request.right}}) {
            if (drawn && result.error.empty())
                result.error = WhyFormatCannotPrint(catalogue, side->formatIndex, request.messages);
        }
    }
    if (!result.error.empty())
        return result;

    if (!target.StartDocument(request.jobName)) {
        result.error = target.LastError();
        return result;
    }
    result.started = true;

    // Job start: the placements of the sides that have pictures.
    const DeviceCaps caps = target.GetDeviceCaps();
    PlacementJob placementJob{request.messages, false};
    const bool discPage = target.OnDiscPage();
    const CoverFormat* leftFormat = catalogue.Get(request.left.formatIndex);
    const CoverFormat* rightFormat = catalogue.Get(request.right.formatIndex);
    const auto place = [&](const CoverFormat* format, Side side) {
        CoverPlacement p = discPage ? PlaceOnDiscPage(caps, catalogue, format, side)
                                    : ComputePlacement(caps, catalogue, format, side, request.singlePage,
                                                       request.checkPrintableArea, placementJob);
        OffsetPlacement(p, caps, request.offsetXMm, request.offsetYMm);
        return p;
    };
    if (hasLeft)
        result.leftPlacement = place(leftFormat, Side::Left);
    if (hasRight)
        result.rightPlacement = place(rightFormat, Side::Right);

    for (int page = range.first; page <= range.last; ++page) {
        const PageContents contents =
            ContentsOfPage(page, request.selection, request.singlePage, hasLeft, hasRight);
        CDrawingSurface* dc = target.StartPage();
        if (dc == nullptr) {
            result.error = target.LastError();
            target.AbortDocument();
            return result;
        }
        for (const auto& [drawn, side, format, placement] :
             {std::tuple{contents.left, &request.left, leftFormat, &result.leftPlacement},
              {contents.right, &request.right, rightFormat, &result.rightPlacement}}) {
            if (drawn && format != nullptr && RenderCover(*dc, *placement, *side->image, *format, render))
                ++result.coversPrinted;
        }
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
    const CoverFormat* rightFormat = catalogue.Get(request.right.formatIndex);
    if (withRight) {
        result.rightPlacement = ComputePlacement(caps, catalogue, rightFormat, Side::Right, true,
                                                 request.checkPrintableArea, placementJob);
        OffsetPlacement(result.rightPlacement, caps, request.offsetXMm, request.offsetYMm);
    }

    for (const std::string& path : request.files) {
        const int type = ImageTypeFromPath(path);
        const char* why = nullptr;
        if (type == kUnsupportedImageType && !request.anyPicture)
            why = "not a picture type batch printing takes (BMP, GIF, JPEG, PNG)";
        else if (!image.Load(path, type == kUnsupportedImageType ? 0 : type))
            why = "";
        if (why != nullptr) {
            batch.skipped.push_back(path);
            batch.skipReasons.push_back(*why != '\0' ? std::string(why) : image.GetLastError());
            continue;
        }
        if (!image.GetLoadNotice().empty())
            batch.partial.emplace_back(path, image.GetLoadNotice());
        const int format = request.forcedFormat >= 0
                               ? request.forcedFormat
                               : DetectFormat(image, catalogue, request.autoRotate, *request.messages);
        if (std::string fault = WhyFormatCannotPrint(catalogue, format, request.messages); !fault.empty()) {
            batch.skipped.push_back(path);
            batch.skipReasons.push_back(fault);
            continue;
        }
        batch.lastFormat = format;
        // Each page is placed with the format it is drawn with.
        const CoverFormat& pageFormat = *catalogue.Get(format);
        CoverPlacement placement =
            ComputePlacement(caps, catalogue, &pageFormat, Side::Left, request.singlePage,
                             request.checkPrintableArea, placementJob);
        OffsetPlacement(placement, caps, request.offsetXMm, request.offsetYMm);
        result.leftPlacement = placement;
        CDrawingSurface* dc = target.StartPage();
        if (dc == nullptr) {
            result.error = target.LastError();
            target.AbortDocument();
            return batch;
        }
        if (RenderCover(*dc, placement, image, pageFormat, render))
            ++result.coversPrinted;
        if (withRight && rightFormat != nullptr &&
            RenderCover(*dc, result.rightPlacement, *request.right.image, *rightFormat, render))
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
