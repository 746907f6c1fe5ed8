// The PDF page surface, read back through poppler: shapes and pictures must land where
// the raster surface puts them, pictures must stay one object each (and JPEG data when
// they came from a JPEG), whatever their turn.

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "DataLines.h"
#include "DrawScript.h"
#include "PdfTestSupport.h"
#include "images/RasterImage.h"
#include "layout/DiscClip.h"
#include "layout/PdfDocument.h"
#include "layout/PdfPictures.h"
#include "layout/PdfSurface.h"
#include "layout/PdfTarget.h"
#include "surfaces/PixelBlock.h"
#include "surfaces/RasterSurface.h"

namespace {

const std::string kData = SLEEVIT_SOURCE_DIR "/tests/layout/data/";
constexpr int kDpi = 300;
// 2.4 x 2 inches (720 x 600 pixels at 300 dpi, so that poppler's page grid is the device
// grid) with margins of 2 mm left and 3 mm top: the printable area starts 24 pixels in
// and 36 pixels down.
const PaperSize kSmallSheet = PaperSize::Custom(60.96, 50.8);
const PaperMargins kMargins{2, 3, 1, 1};

using DrawFn = std::function<void(CDrawingSurface&)>;

// Draws each function on its own page of a PDF.
void MakePdf(const std::string& pdf, const std::vector<DrawFn>& pages, const PaperSize& paper = kSmallSheet,
             int dpi = kDpi, const PaperMargins& margins = kMargins)
{
    CPdfTarget target(pdf, paper, dpi, margins);
    EXPECT_TRUE(target.StartDocument("test")) << target.LastError();
    for (const auto& draw : pages) {
        CDrawingSurface* s = target.StartPage();
        ASSERT_NE(s, nullptr) << target.LastError();
        draw(*s);
        EXPECT_TRUE(target.EndPage()) << target.LastError();
    }
    EXPECT_TRUE(target.EndDocument()) << target.LastError();
}

// Compares the page with the raster surface inside rect (printable-area coordinates). A
// pixel differs when its colour is more than tolerance from the raster's; it is misplaced
// when its colour is neither the raster's at the same place or a neighbour, nor (where the
// raster has an edge between colours, which poppler may soften) a mix of the colours that
// meet there. The first misplaced pixel is described.
struct Comparison {
    int differing = 0;
    int misplaced = 0;
    std::string first;
};
Comparison ComparePage(const PagePicture& page, const CRasterSurface& raster, const DeviceCaps& caps,
                       const SurfaceRect& rect, int tolerance)
{
    Comparison m;
    for (int y = rect.top; y < rect.bottom; ++y) {
        for (int x = rect.left; x < rect.right; ++x) {
            const SurfaceColour have = page.At(x + caps.physicalOffsetX, y + caps.physicalOffsetY);
            bool found = false;
            bool edge = false;
            int lo[3] = {255, 255, 255};
            int hi[3] = {0, 0, 0};
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const SurfaceColour want = raster.GetPixel(x + dx, y + dy);
                    if (want == 0xFFFFFFFFu)
                        continue;
                    edge = edge || want != raster.GetPixel(x, y);
                    found = found || ColourDistance(have, want) <= tolerance;
                    for (int k = 0; k < 3; ++k) {
                        lo[k] = std::min(lo[k], int((want >> (8 * k)) & 0xFF));
                        hi[k] = std::max(hi[k], int((want >> (8 * k)) & 0xFF));
                    }
                }
            for (int k = 0; k < 3 && edge; ++k) {
                const int c = int((have >> (8 * k)) & 0xFF);
                edge = c >= lo[k] - tolerance && c <= hi[k] + tolerance;
            }
            found = found || edge;
            if (ColourDistance(have, raster.GetPixel(x, y)) > tolerance)
                ++m.differing;
            if (!found && m.misplaced++ == 0) {
                std::ostringstream first;
                first << "(" << x << ", " << y << "): have " << std::hex << have << ", want "
                      << raster.GetPixel(x, y);
                m.first = first.str();
            }
        }
    }
    return m;
}

} // namespace

const std::string kJpegs = kData + "pdf-jpegs/";

// The drawings of pdf-pages.txt and its 48 x 32 JPEGs (four quadrants of clearly different
// colours, so that any turn or mirror shows, with and without an EXIF orientation) drawn
// five times their size after a turn by a quarter, on a PDF page read back and on the
// raster surface. JPEGs stay JPEG data at the file's own size, one object per file
// however turned. The sheet lines give the measurements of such pages.
TEST(PdfSurface, DrawingsLandWhereTheRasterSurfacePutsThem)
{
    struct Case {
        std::string name;
        DrawFn pdf, raster;
        int tolerance = 3;
        int maxDiffering = INT_MAX;
        std::vector<SurfaceRect> areas; // compared with the raster; the whole page if none
    };
    std::vector<Case> cases;
    // An 8 x 6 picture of five colours along diagonals: no two neighbours alike, and
    // mirrored either way it shows.
    std::vector<std::string> rows(6);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x)
            rows[std::size_t(y)] += ".rgb#"[(x + 2 * y) % 5];
    const PixelBlock picture = PixelsOf(rows);
    std::vector<std::unique_ptr<CRasterImage>> jpegs;
    int sheets = 0;
    for (const std::string& line : ReadDataLines(kData + "pdf-pages.txt")) {
        std::istringstream in(line);
        std::string verb, most, colon, script;
        float turn = 0;
        Case c{line, nullptr, nullptr, 24, INT_MAX, {}};
        in >> verb;
        if (verb == "sheet") {
            PaperSize paper;
            int dpi = 0;
            PaperMargins m;
            std::vector<int> want(8);
            in >> paper.widthMm >> paper.heightMm >> dpi >> m.left >> m.top >> m.right >> m.bottom >> colon;
            for (int& v : want)
                in >> v;
            const DeviceCaps d = CapsForPaper(paper, dpi, m);
            EXPECT_EQ((std::vector<int>{d.logPixelsX, d.logPixelsY, d.horzRes, d.vertRes, d.physicalWidth,
                                        d.physicalHeight, d.physicalOffsetX, d.physicalOffsetY}),
                      want)
                << line;
            ++sheets;
        }
        if (verb == "jpeg" && in >> script >> turn) {
            auto image = std::make_unique<CRasterImage>();
            ASSERT_TRUE(image->Load(kJpegs + script, kImageJpeg)) << image->GetLastError();
            ASSERT_TRUE(image->Rotate(turn));
            ASSERT_FALSE(image->SourcePath().empty()) << line << ": quarter turns keep the file";
            c.pdf = c.raster = [image = image.get()](CDrawingSurface& s) {
                image->DrawStretched(&s, 20, 10, image->GetWidth() * 5, image->GetHeight() * 5);
            };
            jpegs.push_back(std::move(image));
            cases.push_back(c);
        }
        if (verb != "page")
            continue;
        in >> c.tolerance >> most >> c.name >> colon;
        std::getline(in, script);
        const auto bar = script.find(" | ");
        const auto run = [&picture](const std::string& commands) {
            return [commands, &picture](CDrawingSurface& s) {
                std::string error;
                EXPECT_TRUE(RunDrawScript(s, commands, error, &picture)) << error;
            };
        };
        c.pdf = run(script.substr(0, bar));
        c.raster = run(bar == std::string::npos ? script : script.substr(bar + 3));
        c.maxDiffering = most == "-" ? INT_MAX : std::stoi(most);
        cases.push_back(c);
    }
    ASSERT_EQ(jpegs.size(), 7u);
    ASSERT_GE(cases.size(), 25u);
    EXPECT_EQ(sheets, 8);

    // A JPEG in three bands and the same picture turned by 12 degrees (which resamples it
    // into pixels), on two pages: one object each.
    CRasterImage cover;
    ASSERT_TRUE(cover.Load(kJpegs + "quadrants.jpg", kImageJpeg)) << cover.GetLastError();
    CRasterImage pixels;
    pixels.Copy(cover);
    ASSERT_TRUE(pixels.Rotate(12.0f));
    ASSERT_TRUE(pixels.SourcePath().empty());
    const DrawFn bands = [&](CDrawingSurface& s) {
        for (const CRasterImage* image : {&cover, &pixels}) {
            const int w = image->GetWidth();
            const int h = image->GetHeight();
            const int top = image == &cover ? 0 : 300;
            image->DrawPart(&s, 0, top, 60, 200, 0, 0, w / 4, h);
            image->DrawPart(&s, 60, top, 200, 200, w / 4, 0, w / 2, h);
            image->DrawPart(&s, 260, top, 60, 200, w * 3 / 4, 0, w - w * 3 / 4, h);
        }
    };
    // A picture large enough to be handed to cairo in strips (of 249 rows at this width),
    // every row and column of its own colour so that a strip one row off shows, on two
    // pages: the second uses the first one's strips.
    constexpr int kSide = 2100;
    PixelBlock big;
    std::string error;
    ASSERT_TRUE(big.Create(kSide, kSide, 24, error)) << error;
    for (int y = 0; y < kSide; ++y) {
        std::uint8_t* row = big.TopRow(y);
        for (int x = 0; x < kSide; ++x) {
            row[3 * x] = std::uint8_t(x * 40);
            row[3 * x + 1] = std::uint8_t(y * 70);
            row[3 * x + 2] = std::uint8_t((x + y) % 2 ? 255 : 0);
        }
    }
    const SurfaceColour key = RgbColour(255, 70 * 995 % 256, 40 * 4 % 256);
    const DrawFn strips = [&](CDrawingSurface& s) {
        s.FillRect({0, 0, 400, 300}, RgbColour(255, 0, 255));
        s.StretchDib(10, 10, 80, 96, big, 0, 990, 10, 12);    // across the boundary at 996
        s.StretchDib(100, 10, 80, -96, big, 4, 1240, 10, 12); // mirrored, across 1245
        s.StretchDibTransparent(200, 10, 80, 96, big, 0, 990, 10, 12, key);
        s.StretchDib(300, 10, 40, 40, big, 0, kSide - 5, 5, 5); // the last strip's end
    };
    const int bandsPage = int(cases.size()) + 1;
    // Compared where the JPEG is enlarged four times or more (poppler blends less) and
    // inside each copy of the large picture (poppler may round its outermost device row or
    // column either way).
    for (int page = 0; page < 2; ++page) {
        cases.push_back({"bands", bands, bands, 24, INT_MAX, {{0, 0, 320, 200}}});
        cases.push_back({"strips",
                         strips,
                         strips,
                         3,
                         INT_MAX,
                         {{10, 10, 89, 105}, {100, 10, 179, 105}, {200, 10, 279, 105}, {300, 10, 339, 49}}});
    }

    ScratchFolder tmp;
    std::vector<DrawFn> pages;
    for (const auto& c : cases)
        pages.push_back(c.pdf);
    MakePdf(tmp.File("drawings.pdf"), pages);
    const std::vector<PagePicture> read = RasterisePdf(tmp.File("drawings.pdf"), kDpi);
    ASSERT_EQ(read.size(), cases.size());
    const DeviceCaps caps = CapsForPaper(kSmallSheet, kDpi, kMargins);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        CRasterSurface raster(caps);
        cases[i].raster(raster);
        if (cases[i].areas.empty())
            cases[i].areas.push_back(raster.Bounds());
        for (const SurfaceRect& area : cases[i].areas) {
            const Comparison m = ComparePage(read[i], raster, caps, area, cases[i].tolerance);
            EXPECT_EQ(m.misplaced, 0) << cases[i].name << ": first misplaced pixel " << m.first;
            EXPECT_LE(m.differing, cases[i].maxDiffering)
                << cases[i].name << ": have " << m.differing << " differing pixels";
        }
        int marginDark = 0;
        for (int y = 0; y < read[i].height; ++y)
            for (int x = 0; x < read[i].width; ++x)
                if ((x < caps.physicalOffsetX || y < caps.physicalOffsetY ||
                     x >= caps.physicalOffsetX + caps.horzRes || y >= caps.physicalOffsetY + caps.vertRes) &&
                    ColourDistance(read[i].At(x, y), kColourWhite) > 100)
                    ++marginDark;
        EXPECT_EQ(marginDark, 0) << cases[i].name << ": dark pixels outside the printable area";
    }
    // Objects by page: [0] pixels, [1] JPEG data.
    std::map<int, std::set<int>> objects[2];
    int bandRows = 0;
    for (const auto& r : ListPdfImages(tmp.File("drawings.pdf"))) {
        objects[r.encoding == "jpeg"][r.page].insert(r.object);
        bandRows += r.page == bandsPage || r.page == bandsPage + 2 ? 1 : 0;
        if (r.encoding == "jpeg") {
            EXPECT_EQ(r.width * r.height, 48 * 32) << "page " << r.page << ": the file's own size";
        }
    }
    std::set<int> jpegObjects;
    for (const auto& [page, ids] : objects[1])
        jpegObjects.insert(ids.begin(), ids.end());
    // The two pages of the file without an EXIF block and the bands share its object.
    EXPECT_EQ(jpegObjects.size(), jpegs.size() - 1);
    EXPECT_EQ(bandRows, 12) << "3 bands of 2 pictures on 2 pages";
    for (int k = 0; k < 2; ++k) {
        EXPECT_EQ(objects[k][bandsPage].size(), 1u);
        EXPECT_EQ(objects[k][bandsPage + 2], objects[k][bandsPage]);
    }
    EXPECT_GE(objects[0][bandsPage + 1].size(), 4u);
    EXPECT_EQ(objects[0][bandsPage + 3], objects[0][bandsPage + 1]);
}

TEST(PdfSurface, AnUntouchedJpegCoverCostsLittleMoreThanItsFile)
{
    const std::string jpeg = SLEEVIT_SOURCE_DIR "/resources/pictures/IDJ_SAMPLE_DVD_COVER.jpg";
    CRasterImage cover;
    ASSERT_TRUE(cover.Load(jpeg, kImageJpeg)) << cover.GetLastError();
    ScratchFolder tmp;
    const std::string pdf = tmp.File("cover.pdf");
    MakePdf(pdf, {[&](CDrawingSurface& s) {
                s.SelectBrush(SurfaceBrush::Hollow());
                s.Rectangle(499, 499, 2402, 3336);
                cover.DrawStretched(&s, 500, 500, 1900, 2835);
            }},
            PaperSize::A4(), 600, {});
    const auto jpegSize = std::filesystem::file_size(jpeg);
    const auto pdfSize = std::filesystem::file_size(pdf);
    EXPECT_LE(double(pdfSize), 1.1 * double(jpegSize)) << "have " << pdfSize << " bytes, JPEG " << jpegSize;
    const std::vector<PdfImageRow> rows = ListPdfImages(pdf);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].encoding, "jpeg");
}

// Page 1: a disc label cut to its ring, then a picture no longer cut. Page 2: a JPEG from
// its file. Page 3: the file now holds another picture, but the page must still show the
// loaded one; the same bytes loaded from memory have no file and go in as pixels.
TEST(PdfSurface, DiscClipAndJpegBytesKeptFromLoading)
{
    ScratchFolder tmp;
    CRasterImage label;
    ASSERT_TRUE(label.Load(kJpegs + "red.jpg", kImageJpeg));
    const SurfaceRect disc{40, 20, 440, 420};
    const SurfaceRect hole = CentredHole(disc, 120, 120);
    EXPECT_EQ(hole, (SurfaceRect{180, 160, 300, 280}));
    const std::string path = tmp.Write("cover.jpg", ReadBytes(kJpegs + "quadrants.jpg"));
    CRasterImage loaded;
    ASSERT_TRUE(loaded.Load(path, kImageJpeg));
    const std::string bytes = ReadBytes(path);
    CRasterImage fromMemory;
    ASSERT_TRUE(fromMemory.LoadMemory(bytes.data(), bytes.size(), kImageJpeg));
    ASSERT_TRUE(fromMemory.SourcePath().empty());

    const std::string pdf = tmp.File("disc.pdf");
    MakePdf(pdf,
            {[&](CDrawingSurface& s) {
                 EXPECT_TRUE(ClipToDisc(s, disc, hole));
                 label.DrawStretched(&s, disc.left, disc.top, disc.Width(), disc.Height());
                 ResetClipPath(s);
                 label.DrawStretched(&s, 500, 20, 100, 100);
             },
             [&](CDrawingSurface& s) { loaded.DrawStretched(&s, 0, 0, 192, 128); },
             [&](CDrawingSurface& s) {
                 tmp.Write("cover.jpg", ReadBytes(kJpegs + "red.jpg"));
                 loaded.DrawStretched(&s, 0, 0, 192, 128);
                 fromMemory.DrawStretched(&s, 200, 0, 192, 128);
             }},
            kSmallSheet, kDpi, {});
    const std::vector<PagePicture> read = RasterisePdf(pdf, kDpi);
    ASSERT_EQ(read.size(), 3u);
    int probes = 0;
    for (const std::string& line : ReadDataLines(kData + "pdf-pages.txt")) {
        std::istringstream in(line);
        std::string verb;
        int page = 0, x = 0, y = 0, r = 0, g = 0, b = 0;
        if (!(in >> verb >> page >> x >> y >> r >> g >> b) || verb != "probe")
            continue;
        ++probes;
        const SurfaceColour have = read[std::size_t(page)].At(x, y);
        EXPECT_LE(ColourDistance(have, RgbColour(std::uint8_t(r), std::uint8_t(g), std::uint8_t(b))), 24)
            << line << ": have " << std::hex << have;
    }
    EXPECT_EQ(probes, 16);
    const std::vector<PdfImageRow> rows = ListPdfImages(pdf);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0].encoding, "jpeg");
    EXPECT_EQ(rows[1].object, rows[0].object);
    EXPECT_EQ(rows[2].encoding, "jpeg") << "page 2";
    EXPECT_EQ(rows[3].object, rows[2].object) << "page 3: the bytes read at load, not the changed file";
    EXPECT_NE(rows[4].encoding, "jpeg") << "page 3: a picture without a file";
    EXPECT_FALSE(loaded.IsDecoded()) << "printing to PDF needs no pixels";

    // A raster surface cannot clip to a path: the renderer takes its mask path there.
    CRasterSurface raster(100, 100);
    EXPECT_FALSE(ClipToDisc(raster, disc, hole));
}

TEST(PdfDocument, PagesAndErrorsOfAPdfTarget)
{
    ScratchFolder tmp;
    {
        CPdfTarget target(tmp.File("missing-folder/out.pdf"), PaperSize::A4());
        EXPECT_FALSE(target.StartDocument("x"));
        EXPECT_NE(target.LastError().find("Cannot create the PDF file"), std::string::npos)
            << target.LastError();
    }
    {
        CPdfTarget target(tmp.File("nothing.pdf"), PaperSize::A4(), 600, PaperMargins{110, 0, 110, 0});
        EXPECT_FALSE(target.StartDocument("x"));
        EXPECT_EQ(target.LastError(), "The paper leaves no printable area");
    }
    {
        // It replaces an earlier file; a title that is not UTF-8 does not fail it.
        CPdfTarget target(tmp.Write("order.pdf", "earlier"), PaperSize::A4());
        EXPECT_EQ(target.StartPage(), nullptr) << "no document yet";
        EXPECT_FALSE(target.EndPage());
        ASSERT_TRUE(target.StartDocument("Sleevit - caf\xe9.jpg"));
        CDrawingSurface* page = target.StartPage();
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(page->GetDeviceCaps().horzRes, 4960);
        EXPECT_EQ(target.StartPage(), nullptr) << "a page is open";
        ASSERT_TRUE(target.EndPage());
        ASSERT_TRUE(target.StartPage() != nullptr && target.EndPage());
        ASSERT_TRUE(target.EndDocument());
        EXPECT_EQ(target.PageCount(), 2);
        const std::string pdf = ReadBytes(tmp.File("order.pdf"));
        EXPECT_EQ(pdf.rfind("%PDF-", 0), 0u);
        EXPECT_NE(pdf.find("/Count 2"), std::string::npos);
        // The page is A4 in points.
        EXPECT_NE(pdf.find("/MediaBox [ 0 0 595.275591 841.889764 ]"), std::string::npos);
    }
    {
        const std::string path = tmp.File("aborted.pdf");
        CPdfTarget target(path, PaperSize::A4());
        ASSERT_TRUE(target.StartDocument("aborted"));
        ASSERT_NE(target.StartPage(), nullptr);
        target.AbortDocument();
        EXPECT_FALSE(std::filesystem::exists(path));
    }
}

// A picture cairo cannot take (wider than 32767 pixels) fails the page with a reason and
// leaves an earlier file as it was.
TEST(PdfDocument, APictureCairoCannotTakeFailsThePageAndKeepsTheEarlierFile)
{
    ScratchFolder tmp;
    const std::string pdf = tmp.Write("doc.pdf", "earlier");
    PixelBlock pixels;
    std::string error;
    ASSERT_TRUE(pixels.Create(32768, 2, 24, error)) << error;
    CPdfDocument document;
    ASSERT_TRUE(document.Open(pdf, PaperSize::A4(), CapsForPaper(PaperSize::A4(), 300), "Sleevit - wide.png"))
        << document.LastError();
    CPdfSurface* page = document.BeginPage();
    ASSERT_NE(page, nullptr);
    page->StretchDib(100, 100, 600, 300, pixels, 0, 0, 32768, 2);
    EXPECT_FALSE(document.EndPage());
    EXPECT_NE(document.LastError().find("picture"), std::string::npos) << document.LastError();
    document.Abort();
    EXPECT_EQ(ReadBytes(pdf), "earlier");
}

TEST(PdfPictures, TakesOnlyJpegFramesEveryPdfReaderDecodes)
{
    const std::string folder = kData + "jpeg-frames/";
    int cases = 0;
    for (const std::string& line : ReadDataLines(folder + "expected.txt")) {
        const std::string file = line.substr(0, line.find(' '));
        const JpegFrame f = ReadJpegFrame(ReadBytes(folder + file));
        EXPECT_EQ(file + (f.ok ? " yes " + std::to_string(f.width) + " " + std::to_string(f.height) + " " +
                                     std::to_string(f.components)
                               : " no"),
                  line);
        ++cases;
    }
    EXPECT_GE(cases, 13);
}
