// A PDF document that cannot be made whole fails with a reason and leaves an earlier
// file as it was; odd titles do not fail it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "layout/PdfDocument.h"
#include "layout/PdfSurface.h"
#include "surfaces/PixelBlock.h"

namespace fs = std::filesystem;

namespace {

std::string Read(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(PdfDocument, APictureCairoCannotTakeFailsThePageAndKeepsTheEarlierFile)
{
    const fs::path pdf =
        fs::temp_directory_path() / ("sleevit-pdfdoc-" + std::to_string(::getpid()) + ".pdf");
    const DeviceCaps caps = CapsForPaper(PaperSize::A4(), 300);
    struct Case {
        std::int32_t width; // wider than cairo takes from 32768 on
        const char* title;
        bool ok;
    };
    const Case cases[] = {{64, "Sleevit - caf\xe9.jpg", true}, {32768, "Sleevit - wide.png", false}};
    for (const Case& c : cases) {
        std::ofstream(pdf, std::ios::binary) << "earlier";
        PixelBlock pixels;
        std::string error;
        ASSERT_TRUE(pixels.Create(c.width, 2, 24, error)) << error;
        CPdfDocument document;
        ASSERT_TRUE(document.Open(pdf.string(), PaperSize::A4(), caps, c.title)) << document.LastError();
        CPdfSurface* page = document.BeginPage();
        ASSERT_NE(page, nullptr);
        page->StretchDib(100, 100, 600, 300, pixels, 0, 0, c.width, 2);
        const bool ended = document.EndPage();
        EXPECT_EQ(ended, c.ok) << document.LastError();
        if (ended) {
            EXPECT_TRUE(document.Close()) << document.LastError();
            EXPECT_EQ(Read(pdf).substr(0, 5), "%PDF-");
        } else {
            EXPECT_NE(document.LastError().find("picture"), std::string::npos) << document.LastError();
            document.Abort();
            EXPECT_EQ(Read(pdf), "earlier");
        }
    }
    fs::remove(pdf);
}

} // namespace
