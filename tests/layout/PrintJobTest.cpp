#include <gtest/gtest.h>

#include "CollectingMessages.h"

#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "formats/FormatCatalogue.h"
#include "images/RasterImage.h"
#include "layout/PngWriter.h"
#include "layout/PrintJob.h"
#include "layout/RasterPageTarget.h"

namespace fs = std::filesystem;

namespace {

constexpr SurfaceColour kRed = RgbColour(255, 0, 0);
constexpr SurfaceColour kBlue = RgbColour(0, 0, 255);

void Fill(CRasterImage& image, int w, int h, SurfaceColour colour)
{
    CRasterSurface s(w, h, colour);
    ASSERT_TRUE(image.CreateFromBitmap(s));
}

// A small sheet: 100 x 150 mm at 100 dpi, 2 mm margins.
DeviceCaps SmallSheet()
{
    DeviceCaps c;
    c.logPixelsX = c.logPixelsY = 100;
    c.physicalWidth = 393;
    c.physicalHeight = 590;
    c.physicalOffsetX = c.physicalOffsetY = 8;
    c.horzRes = 393 - 16;
    c.vertRes = 590 - 16;
    return c;
}

FormatCatalogue Formats()
{
    CCollectingMessages messages;
    FormatCatalogue c;
    EXPECT_TRUE(c.LoadCatalogue(SLEEVIT_SOURCE_DIR "/tests/layout/data/print-job-formats.dat", messages));
    return c;
}

// The colour in the middle of a placement, on a page whose origin is the printable area.
SurfaceColour Centre(const CRasterSurface& page, const CoverPlacement& p, const DeviceCaps& caps)
{
    return page.GetPixel(p.x - caps.physicalOffsetX + p.width / 2, p.y - caps.physicalOffsetY + p.height / 2);
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

TEST(PrintJob, NamesAndTheTray)
{
    EXPECT_EQ(PrintJobName(false, "Microsoft Word - Document1", "front.jpg"), "Sleevit - front.jpg");
    EXPECT_EQ(PrintJobName(true, "Microsoft Word - Document1", "front.jpg"), "Microsoft Word - Document1");
    const FormatCatalogue c = Formats();
    EXPECT_TRUE(NeedsCdTray(c, 2));
    EXPECT_FALSE(NeedsCdTray(c, 0));
    EXPECT_FALSE(NeedsCdTray(c, -1));
}

TEST(PrintJob, SelectionsAndSinglePageDecideTheSheetsAndWhatIsOnThem)
{
    struct Case {
        const char* name;
        PrintSelection selection;
        bool singlePage;
        bool rightPicture;
        std::size_t pages;
        int covers;
        int leftOn, rightOn; // the sheet showing the red left / blue right cover; -1 none
    };
    const Case cases[] = {
        {"both, one per sheet", PrintSelection::Both, false, true, 2, 2, 0, 1},
        {"both on one sheet", PrintSelection::Left, true, true, 1, 2, 0, 0},
        {"the right alone", PrintSelection::Right, true, true, 1, 1, -1, 0},
        {"a side without a picture", PrintSelection::Left, true, false, 1, 1, 0, -1},
    };
    const DeviceCaps caps = SmallSheet();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Job job;
        CRasterImage none;
        if (!c.rightPicture)
            job.request.right = {&none, 1};
        job.request.selection = c.selection;
        job.request.singlePage = c.singlePage;
        CRasterPageTarget target(caps);
        const PrintJobResult r = RunPrintJob(target, job.request);
        ASSERT_TRUE(r.completed) << r.error;
        ASSERT_EQ(target.Pages().size(), c.pages);
        EXPECT_EQ(target.JobName(), "Sleevit - front.jpg");
        EXPECT_EQ(r.coversPrinted, c.covers);
        if (c.leftOn >= 0) {
            EXPECT_EQ(Centre(*target.Pages()[std::size_t(c.leftOn)], r.leftPlacement, caps), kRed);
        }
        if (c.rightOn >= 0) {
            EXPECT_EQ(Centre(*target.Pages()[std::size_t(c.rightOn)], r.rightPlacement, caps), kBlue);
        }
        const CRasterSurface& first = *target.Pages()[0];
        if (c.selection == PrintSelection::Both) {
            // Two CD fronts printed alone both stand above the middle line.
            EXPECT_EQ(r.leftPlacement, r.rightPlacement);
        } else if (c.rightOn == 0 && c.leftOn == 0) {
            EXPECT_EQ(r.rightPlacement.y, caps.physicalHeight / 2);
        } else if (!c.rightPicture) {
            // Nothing but the left cover: every pixel of the lower half stays white.
            for (int y = first.Height() / 2 + 5; y < first.Height(); y += 3)
                for (int x = 0; x < first.Width(); x += 3)
                    ASSERT_EQ(first.GetPixel(x, y), kColourWhite) << x << "," << y;
        }
    }
}

TEST(PrintJob, PreviewCountsNothingAndCancelStopsAfterThePage)
{
    Job job;
    CRasterPageTarget preview(SmallSheet(), true);
    PrintJobResult r = RunPrintJob(preview, job.request);
    EXPECT_EQ(preview.Pages().size(), 2u);
    EXPECT_EQ(r.coversPrinted, 0);

    int calls = 0;
    job.request.progress = [&](int) { return ++calls < 1; };
    CRasterPageTarget cancelled(SmallSheet());
    r = RunPrintJob(cancelled, job.request);
    EXPECT_TRUE(r.cancelled);
    EXPECT_FALSE(r.completed);
    EXPECT_TRUE(cancelled.Aborted());
    EXPECT_EQ(r.pages, 1);
}

TEST(PrintJob, TheOutsideNoticeComesOncePerJob)
{
    Job job;
    job.catalogue.SetPlacement(0, false, {0.0, 0.0, 60, 60, 0});
    job.catalogue.SetPlacement(0, true, {0.0, 0.0, 60, 60, 0});
    CRasterPageTarget target(SmallSheet());
    RunPrintJob(target, job.request);
    EXPECT_EQ(job.notices.notices.size(), 1u);
    CRasterPageTarget again(SmallSheet());
    RunPrintJob(again, job.request);
    EXPECT_EQ(job.notices.notices.size(), 2u);
}

class Batch : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() / ("sleevit-batch-" + std::to_string(::getpid()));
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    // A picture file of one colour.
    std::string Write(const std::string& name, int w, int h, SurfaceColour colour)
    {
        const std::string path = (folder / name).string();
        EXPECT_TRUE(WritePng(CRasterSurface(w, h, colour), path, 72));
        return path;
    }
    fs::path folder;
};

TEST_F(Batch, OnePagePerReadableFileEachPlacedWithItsOwnFormat)
{
    const FormatCatalogue catalogue = Formats();
    CCollectingMessages notices;
    BatchJobRequest request;
    request.catalogue = &catalogue;
    request.messages = &notices;
    request.files = {Write("square.PNG", 30, 30, kRed), (folder / "cover.tif").string(),
                     Write("wide.png", 40, 20, kBlue), (folder / "broken.bmp").string(),
                     (folder / "noextension").string()};
    std::ofstream(folder / "broken.bmp") << "not a picture";
    CRasterImage image;
    CRasterPageTarget target(SmallSheet());
    BatchJobResult r = RunBatchJob(target, request, image);
    ASSERT_TRUE(r.job.completed) << r.job.error;
    EXPECT_EQ(target.JobName(), "Sleevit");
    ASSERT_EQ(target.Pages().size(), 2u);
    EXPECT_EQ(r.skipped.size(), 3u);
    EXPECT_EQ(r.printed.size(), 2u);
    EXPECT_EQ(r.lastFormat, 1); // the wide picture was detected as the wide format
    const DeviceCaps caps = SmallSheet();
    // The wide format (80 x 40 mm) is placed as itself, not with the square's rectangle.
    EXPECT_EQ(r.job.leftPlacement.width, MmToPixels(80, 100));
    EXPECT_EQ(Centre(*target.Pages()[1], r.job.leftPlacement, caps), kBlue);

    // Forced: every page takes that format.
    request.forcedFormat = 0;
    CRasterPageTarget forced(SmallSheet());
    r = RunBatchJob(forced, request, image);
    EXPECT_EQ(r.lastFormat, 0);
    EXPECT_EQ(r.job.leftPlacement.width, MmToPixels(60, 100));

    // Single page: every sheet carries the right cover below the batch's own.
    constexpr SurfaceColour kGreen = RgbColour(0, 255, 0);
    CRasterImage right;
    Fill(right, 20, 20, kGreen);
    request.singlePage = true;
    request.right = {&right, 0};
    CRasterPageTarget single(SmallSheet());
    r = RunBatchJob(single, request, image);
    ASSERT_EQ(single.Pages().size(), 2u);
    EXPECT_EQ(r.job.coversPrinted, 4);
    EXPECT_GT(r.job.rightPlacement.y, r.job.leftPlacement.y);
    EXPECT_EQ(Centre(*single.Pages()[0], r.job.leftPlacement, caps), kRed);
    EXPECT_EQ(Centre(*single.Pages()[1], r.job.leftPlacement, caps), kBlue);
    for (const auto& page : single.Pages())
        EXPECT_EQ(Centre(*page, r.job.rightPlacement, caps), kGreen);
    request.singlePage = false;

    // Nothing readable: no job at all.
    request.files = {(folder / "broken.bmp").string()};
    CRasterPageTarget empty(SmallSheet());
    r = RunBatchJob(empty, request, image);
    EXPECT_FALSE(r.job.completed);
    EXPECT_TRUE(empty.Aborted());
}

} // namespace
