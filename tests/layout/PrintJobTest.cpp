#include <gtest/gtest.h>

#include "CollectingMessages.h"
#include "DataLines.h"
#include "ScratchFolder.h"

#include <sstream>
#include <string>

#include "formats/FormatCatalogue.h"
#include "images/RasterImage.h"
#include "layout/PngWriter.h"
#include "layout/PrintJob.h"
#include "layout/RasterPageTarget.h"

namespace {

constexpr SurfaceColour kRed = RgbColour(255, 0, 0);
constexpr SurfaceColour kBlue = RgbColour(0, 0, 255);

void Fill(CRasterImage& image, int w, int h, SurfaceColour colour)
{
    CRasterSurface s(w, h, colour);
    ASSERT_TRUE(image.CreateFromBitmap(s));
}

// A small sheet: 100 x 150 mm at 100 dpi, 2 mm margins.
const DeviceCaps kSheet{100, 100, 393 - 16, 590 - 16, 393, 590, 8, 8};

FormatCatalogue Formats()
{
    CCollectingMessages messages;
    FormatCatalogue c;
    EXPECT_TRUE(c.LoadCatalogue(SLEEVIT_SOURCE_DIR "/tests/layout/data/print-job-formats.dat", messages));
    return c;
}

// The colour in the middle of a placement, on a page whose origin is the printable area.
SurfaceColour Centre(const CRasterSurface& page, const CoverPlacement& p)
{
    return page.GetPixel(p.x - kSheet.physicalOffsetX + p.width / 2,
                         p.y - kSheet.physicalOffsetY + p.height / 2);
}

struct Job {
    FormatCatalogue catalogue = Formats();
    CRasterImage left, right;
    CCollectingMessages notices;
    PrintJobRequest request;

    Job()
    {
        Fill(left, 20, 20, kRed);
        Fill(right, 20, 20, kBlue);
        request.catalogue = &catalogue;
        request.left = {&left, 0};
        request.right = {&right, 0};
        request.messages = &notices;
        request.jobName = "Sleevit - front.jpg";
    }
};

TEST(PrintJob, SelectionsAndSinglePageDecideTheSheetsAndWhatIsOnThem)
{
    for (const std::string& line : ReadDataLines(SLEEVIT_SOURCE_DIR "/tests/layout/data/print-jobs.txt")) {
        SCOPED_TRACE(line);
        std::istringstream in(line);
        std::string verb, selection, single, picture, leftWord, rightWord;
        std::size_t pages = 0;
        int covers = 0;
        in >> verb >> selection >> single >> picture >> pages >> covers >> leftWord >> rightWord;
        const int leftOn = leftWord == "-" ? -1 : std::stoi(leftWord);
        const int rightOn = rightWord == "-" ? -1 : std::stoi(rightWord);
        Job job;
        CRasterImage none;
        if (picture == "no")
            job.request.right = {&none, 1};
        job.request.selection = selection == "both"    ? PrintSelection::Both
                                : selection == "right" ? PrintSelection::Right
                                                       : PrintSelection::Left;
        job.request.singlePage = single == "single";
        CRasterPageTarget target(kSheet);
        const PrintJobResult r = RunPrintJob(target, job.request);
        ASSERT_TRUE(r.completed) << r.error;
        ASSERT_EQ(target.Pages().size(), pages);
        EXPECT_EQ(target.JobName(), "Sleevit - front.jpg");
        EXPECT_EQ(r.coversPrinted, covers);
        if (leftOn >= 0) {
            EXPECT_EQ(Centre(*target.Pages()[std::size_t(leftOn)], r.leftPlacement), kRed);
        }
        if (rightOn >= 0) {
            EXPECT_EQ(Centre(*target.Pages()[std::size_t(rightOn)], r.rightPlacement), kBlue);
        }
        const CRasterSurface& first = *target.Pages()[0];
        if (selection == "both") {
            // Two CD fronts printed alone both stand above the middle line.
            EXPECT_EQ(r.leftPlacement, r.rightPlacement);
        } else if (rightOn == 0 && leftOn == 0) {
            EXPECT_EQ(r.rightPlacement.y, kSheet.physicalHeight / 2);
        } else if (picture == "no") {
            // Nothing but the left cover: every pixel of the lower half stays white.
            for (int y = first.Height() / 2 + 5; y < first.Height(); y += 3)
                for (int x = 0; x < first.Width(); x += 3)
                    ASSERT_EQ(first.GetPixel(x, y), kColourWhite) << x << "," << y;
        }
    }
}

// Preview counts nothing, cancel stops after the page, the notice of a cover outside the
// printable area comes once per job.
TEST(PrintJob, NamesTrayPreviewCancelAndTheOutsideNotice)
{
    EXPECT_EQ(PrintJobName(false, "Microsoft Word - Document1", "front.jpg"), "Sleevit - front.jpg");
    EXPECT_EQ(PrintJobName(true, "Microsoft Word - Document1", "front.jpg"), "Microsoft Word - Document1");
    Job job;
    const FormatCatalogue& c = job.catalogue;
    EXPECT_TRUE(NeedsCdTray(c, 2));
    EXPECT_FALSE(NeedsCdTray(c, 0));
    EXPECT_FALSE(NeedsCdTray(c, -1));
    CRasterPageTarget preview(kSheet, true);
    PrintJobResult r = RunPrintJob(preview, job.request);
    EXPECT_EQ(preview.Pages().size(), 2u);
    EXPECT_EQ(r.coversPrinted, 0);

    int calls = 0;
    job.request.progress = [&](int) { return ++calls < 1; };
    CRasterPageTarget cancelled(kSheet);
    r = RunPrintJob(cancelled, job.request);
    EXPECT_TRUE(r.cancelled);
    EXPECT_FALSE(r.completed);
    EXPECT_TRUE(cancelled.Aborted());
    EXPECT_EQ(r.pages, 1);

    job.request.progress = nullptr;
    job.catalogue.SetPlacement(0, false, {0.0, 0.0, 60, 60, 0});
    job.catalogue.SetPlacement(0, true, {0.0, 0.0, 60, 60, 0});
    CRasterPageTarget target(kSheet);
    RunPrintJob(target, job.request);
    ASSERT_EQ(job.notices.notices.size(), 1u) << "both covers are outside, one notice";
    EXPECT_NE(job.notices.notices[0].find("printable area"), std::string::npos);
    CRasterPageTarget again(kSheet);
    RunPrintJob(again, job.request);
    EXPECT_EQ(job.notices.notices.size(), 2u);
}

// A picture file of one colour.
std::string WritePicture(const ScratchFolder& folder, const std::string& name, int w, int h,
                         SurfaceColour colour)
{
    const std::string path = folder.File(name);
    EXPECT_TRUE(WritePng(CRasterSurface(w, h, colour), path, 72));
    return path;
}

TEST(BatchJob, OnePagePerReadableFileEachPlacedWithItsOwnFormat)
{
    ScratchFolder folder;
    const FormatCatalogue catalogue = Formats();
    CCollectingMessages notices;
    BatchJobRequest request;
    request.catalogue = &catalogue;
    request.messages = &notices;
    request.files = {WritePicture(folder, "square.PNG", 30, 30, kRed), folder.File("cover.tif"),
                     WritePicture(folder, "wide.png", 40, 20, kBlue), folder.File("broken.bmp"),
                     folder.File("noextension")};
    folder.Write("broken.bmp", "not a picture");
    CRasterImage image;
    CRasterPageTarget target(kSheet);
    BatchJobResult r = RunBatchJob(target, request, image);
    ASSERT_TRUE(r.job.completed) << r.job.error;
    EXPECT_EQ(target.JobName(), "Sleevit");
    ASSERT_EQ(target.Pages().size(), 2u);
    EXPECT_EQ(r.skipped.size(), 3u);
    EXPECT_EQ(r.printed.size(), 2u);
    EXPECT_EQ(r.lastFormat, 1); // the wide picture was detected as the wide format
    // The wide format (80 x 40 mm) is placed as itself, not with the square's rectangle.
    EXPECT_EQ(r.job.leftPlacement.width, MmToPixels(80, 100));
    EXPECT_EQ(Centre(*target.Pages()[1], r.job.leftPlacement), kBlue);

    // Forced: every page takes that format.
    request.forcedFormat = 0;
    CRasterPageTarget forced(kSheet);
    r = RunBatchJob(forced, request, image);
    EXPECT_EQ(r.lastFormat, 0);
    EXPECT_EQ(r.job.leftPlacement.width, MmToPixels(60, 100));

    // Single page: every sheet carries the right cover below the batch's own.
    constexpr SurfaceColour kGreen = RgbColour(0, 255, 0);
    CRasterImage right;
    Fill(right, 20, 20, kGreen);
    request.singlePage = true;
    request.right = {&right, 0};
    CRasterPageTarget single(kSheet);
    r = RunBatchJob(single, request, image);
    ASSERT_EQ(single.Pages().size(), 2u);
    EXPECT_EQ(r.job.coversPrinted, 4);
    EXPECT_GT(r.job.rightPlacement.y, r.job.leftPlacement.y);
    EXPECT_EQ(Centre(*single.Pages()[0], r.job.leftPlacement), kRed);
    EXPECT_EQ(Centre(*single.Pages()[1], r.job.leftPlacement), kBlue);
    for (const auto& page : single.Pages())
        EXPECT_EQ(Centre(*page, r.job.rightPlacement), kGreen);
    request.singlePage = false;

    // Nothing readable: no job at all.
    request.files = {folder.File("broken.bmp")};
    CRasterPageTarget empty(kSheet);
    r = RunBatchJob(empty, request, image);
    EXPECT_FALSE(r.job.completed);
    EXPECT_TRUE(empty.Aborted());
}

} // namespace
