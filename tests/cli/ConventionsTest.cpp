#include <gtest/gtest.h>

#include <string>

#include "RunProgram.h"
#include "ScratchFolder.h"
#include "layout/LocalePaper.h"

namespace {

const std::string kCli = SLEEVIT_CLI;

// Without --paper the sheet is the locale's; a locale that is not installed is judged
// by its territory.
TEST(CliConventions, ThePaperFollowsTheLocale)
{
    if (std::system("command -v pdfinfo >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "pdfinfo is not installed";
    ScratchFolder folder;
    const std::string pdf = folder.File("locale.pdf");
    struct Case {
        const char* environment;
        const char* size;
    };
    for (const Case c :
         {Case{"LC_ALL= LC_PAPER=en_US.UTF-8", "612 x 792"}, Case{"LC_ALL=fr_CA.UTF-8", "612 x 792"},
          Case{"LC_ALL= LC_PAPER=de_DE.UTF-8 LANG=en_US.UTF-8", "595.2"}, Case{"LC_ALL=C", "595.2"}}) {
        ProgramResult r = RunProgram(std::string("env ") + c.environment + " " + kCli +
                                     " print --sample --dpi 72 -o " + pdf);
        ASSERT_EQ(r.status, 0) << c.environment << ": " << r.err;
        r = RunProgram("pdfinfo " + pdf + " | grep '^Page size:'");
        EXPECT_NE(r.out.find(c.size), std::string::npos) << c.environment << ": " << r.out;
    }
    // --paper wins over the locale.
    ProgramResult r =
        RunProgram("env LC_ALL=en_US.UTF-8 " + kCli + " print --sample --dpi 72 --paper a4 -o " + pdf);
    r = RunProgram("pdfinfo " + pdf + " | grep '^Page size:'");
    EXPECT_NE(r.out.find("595.2"), std::string::npos) << r.out;

    EXPECT_EQ(PaperOfLocaleName("en_CA").widthMm, PaperSize::Letter().widthMm);
    EXPECT_EQ(PaperOfLocaleName("en_GB.UTF-8@euro").widthMm, PaperSize::A4().widthMm);
    EXPECT_EQ(PaperOfLocaleName("es").widthMm, PaperSize::A4().widthMm);
}

} // namespace
