#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "RunProgram.h"
#include "images/RasterImage.h"

namespace fs = std::filesystem;

namespace {

const std::string kCli = SLEEVIT_CLI;

struct Box {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
};

// The bounding box of the pixels close to a colour (0x00BBGGRR) in a decoded page.
Box Find(const CRasterImage& page, std::uint32_t colour)
{
    Box b;
    const PixelBlock& p = page.Pixels();
    auto near = [](std::uint32_t a, std::uint32_t c) {
        for (int shift = 0; shift < 24; shift += 8) {
            const int d = int((a >> shift) & 0xFF) - int((c >> shift) & 0xFF);
            if (d > 40 || d < -40)
                return false;
        }
        return true;
    };
    for (int y = 0; y < p.Height(); ++y)
        for (int x = 0; x < p.Width(); ++x)
            if (near(p.GetColour(x, p.Height() - 1 - y), colour)) {
                b.left = std::min(b.left, x), b.top = std::min(b.top, y);
                b.right = std::max(b.right, x), b.bottom = std::max(b.bottom, y);
            }
    return b;
}

class PrintCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() / ("sleevit-print-" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string Bmp(const std::string& name, int w, int h, std::uint8_t r, std::uint8_t g, std::uint8_t b)
    {
        const int stride = (w * 3 + 3) / 4 * 4;
        std::vector<unsigned char> d(54 + std::size_t(stride) * h, 0);
        auto put32 = [&](std::size_t at, std::uint32_t v) {
            for (int i = 0; i < 4; ++i)
                d[at + i] = static_cast<unsigned char>(v >> (8 * i));
        };
        d[0] = 'B', d[1] = 'M';
        put32(2, static_cast<std::uint32_t>(d.size()));
        put32(10, 54);
        put32(14, 40);
        put32(18, static_cast<std::uint32_t>(w));
        put32(22, static_cast<std::uint32_t>(h));
        d[26] = 1, d[28] = 24;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                unsigned char* p = &d[54 + std::size_t(y) * stride + std::size_t(x) * 3];
                p[0] = b, p[1] = g, p[2] = r;
            }
        const std::string path = (folder / name).string();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(d.data()), std::streamsize(d.size()));
        return path;
    }
    fs::path folder;
};

TEST_F(PrintCommand, TwoCoversToPdfLandWherePlacementPutsThem)
{
    if (std::system("command -v pdftoppm >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "pdftoppm is not installed";
    const std::string catalogue = (folder / "Sleevit.dat").string();
    std::ofstream(catalogue, std::ios::binary)
        << "[Front]\r\nSIZE = (120, 120)\r\nTYPE = CD_FRONT\r\nAUTODETECT = YES\r\n"
           "[Back]\r\nSIZE = (151, 118)\r\nTYPE = CUSTOM\r\nAUTODETECT = YES\r\nLINE = (6.5, 0)(6.5, 118), "
           "DASHED\r\n";
    const std::string front = Bmp("Album front.bmp", 120, 120, 255, 0, 0);
    Bmp("Album back.bmp", 151, 118, 0, 0, 255);
    const std::string pdf = (folder / "out.pdf").string();
    const ProgramResult r = RunProgram(kCli + " print --catalogue '" + catalogue + "' --left '" + front +
                                       "' --to '" + pdf + "' --dpi 300");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("Album back.bmp"), std::string::npos) << "the back cover was not found: " << r.err;
    ASSERT_EQ(
        std::system(("pdftoppm -r 300 -png '" + pdf + "' '" + (folder / "page").string() + "'").c_str()), 0);

    CRasterImage page1, page2;
    ASSERT_TRUE(page1.Load((folder / "page-1.png").string(), kImagePng)) << page1.GetLastError();
    ASSERT_TRUE(page2.Load((folder / "page-2.png").string(), kImagePng)) << page2.GetLastError();
    EXPECT_FALSE(fs::exists(folder / "page-3.png"));
    // A4 at 300 dpi: 2480 x 3507 pixels, middle line at row 1753. The front: 1417 pixels
    // square, centred across, its bottom edge on the middle line.
    const Box red = Find(page1, 0x0000FF);
    EXPECT_NEAR(red.left, 531, 1);
    EXPECT_NEAR(red.top, 1753 - 1417, 1);
    EXPECT_NEAR(red.right, 531 + 1417 - 1, 1);
    EXPECT_NEAR(red.bottom, 1753 - 1, 1);
    // The back inlay: 1783 x 1393 pixels centred in the lower half.
    const Box blue = Find(page2, 0xFF0000);
    EXPECT_NEAR(blue.left, (2480 - 1783) / 2, 1);
    EXPECT_NEAR(blue.top, 1753 + (1753 - 1393) / 2, 1);
    EXPECT_NEAR(blue.right - blue.left + 1, 1783, 2);
    // The dashed fold 6.5 mm (76 pixels) in from the cover's left edge crosses the
    // picture; the border covers the cover's first column, so blue starts one later.
    int dark = 0;
    const int foldX = blue.left - 1 + 76;
    for (int y = blue.top + 10; y < blue.top + 70; ++y)
        dark += (page2.Pixels().GetColour(foldX, page2.GetHeight() - 1 - y) & 0x808080) == 0 ? 1 : 0;
    EXPECT_GE(dark, 20);
    EXPECT_LE(dark, 40);
}

TEST_F(PrintCommand, ClearErrors)
{
    const std::string front = Bmp("front.bmp", 10, 10, 255, 0, 0);
    ProgramResult r =
        RunProgram(kCli + " print --left '" + front + "' --left-format 'No Such Format' --to /tmp/x.pdf");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("no cover format named 'No Such Format'"), std::string::npos) << r.err;
    r = RunProgram(kCli + " print --left /nonexistent.jpg --to /tmp/x.pdf");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("cannot read /nonexistent.jpg"), std::string::npos) << r.err;
    r = RunProgram(kCli + " print --left '" + front + "'");
    EXPECT_NE(r.status, 0);
    r = RunProgram(kCli + " print --left '" + front + "' --to '" + (folder / "no" / "x.pdf").string() + "'");
    EXPECT_NE(r.status, 0);
}

TEST_F(PrintCommand, PngPagesAndTheSample)
{
    const std::string png = (folder / "sample.png").string();
    const ProgramResult r = RunProgram(kCli + " print --sample --png '" + png + "' --dpi 50");
    ASSERT_EQ(r.status, 0) << r.err;
    CRasterImage page;
    ASSERT_TRUE(page.Load(png, kImagePng)) << page.GetLastError();
    EXPECT_EQ(page.GetWidth(), 413); // A4 at 50 dpi
    EXPECT_EQ(page.GetHeight(), 584);
}

TEST_F(PrintCommand, BatchOnePagePerFile)
{
    if (std::system("command -v pdfinfo >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "pdfinfo is not installed";
    const std::string a = Bmp("a.bmp", 100, 100, 255, 0, 0);
    const std::string b = Bmp("b.bmp", 151, 118, 0, 255, 0);
    const std::string c = Bmp("c.JPEG", 10, 10, 0, 0, 255); // a bitmap under a JPEG name still loads
    const std::string pdf = (folder / "batch.pdf").string();
    ProgramResult r = RunProgram(kCli + " batch '" + a + "' '" + b + "' '" + c + "' '" +
                                 (folder / "cover.tif").string() + "' --to '" + pdf + "'");
    EXPECT_EQ(r.status, 3) << r.err; // one file skipped
    EXPECT_NE(r.err.find("skipped " + (folder / "cover.tif").string()), std::string::npos) << r.err;
    r = RunProgram("pdfinfo '" + pdf + "' | grep '^Pages:'");
    EXPECT_EQ(std::atoi(r.out.substr(r.out.find(':') + 1).c_str()), 3) << r.out;
}

TEST_F(PrintCommand, APictureLoadedInPartIsNamedInAWarningByEveryCommand)
{
    const std::string cut = SLEEVIT_SOURCE_DIR "/tests/images/damaged/cut_after_2_rows.gif";
    const std::string pdf = (folder / "out.pdf").string();
    const std::string warning =
        "warning: " + cut + " is loaded only in part: The GIF data ends after 2 of 4 rows";
    for (const std::string& args :
         {"info '" + cut + "'", "decode '" + cut + "' '" + (folder / "out.ppm").string() + "'",
          "print --left '" + cut + "' --no-companion --to '" + pdf + "'",
          "batch '" + cut + "' --to '" + pdf + "'"}) {
        const ProgramResult r = RunProgram(kCli + " " + args);
        EXPECT_EQ(r.status, 0) << args << ": " << r.err;
        EXPECT_NE(r.err.find(warning), std::string::npos) << args << ": " << r.err;
    }
}

} // namespace
