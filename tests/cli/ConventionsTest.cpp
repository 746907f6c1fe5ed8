#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <unistd.h>

#include "RunProgram.h"
#include "layout/LocalePaper.h"

namespace fs = std::filesystem;

namespace {

const std::string kCli = SLEEVIT_CLI;

TEST(CliConventions, HelpAndVersionGoToStdoutWithStatusZero)
{
    struct Case {
        const char* args;
        const char* want;
    };
    for (const Case c :
         {Case{"--help", "  print [options]"}, Case{"-h", "help COMMAND"},
          Case{"help print", "--to, -o OUT.pdf"}, Case{"batch --help", "usage: sleevit-cli batch"},
          Case{"help formats", "usage: sleevit-cli formats [FILE]"},
          Case{"--version", "sleevit-cli 1.14\nlibjpeg "}}) {
        const ProgramResult r = RunProgram(kCli + " " + c.args);
        EXPECT_EQ(r.status, 0) << c.args;
        EXPECT_EQ(r.err, "") << c.args;
        EXPECT_NE(r.out.find(c.want), std::string::npos) << c.args << ":\n" << r.out;
    }
    const ProgramResult version = RunProgram(kCli + " --version");
    for (const char* library : {"\nlibpng 1.", "\nzlib 1.", "\ncairo 1.", "\ncups 2."})
        EXPECT_NE(version.out.find(library), std::string::npos) << version.out;
}

TEST(CliConventions, UsageErrorsAreStatusTwoFailuresOne)
{
    struct Case {
        const char* args;
        int status;
        const char* err;
    };
    for (const Case c :
         {Case{"help nosuch", 2, "unknown command 'nosuch'"}, Case{"nosuch", 2, "usage:"},
          Case{"print -o", 2, "-o needs a value"}, Case{"print -o /tmp/never.pdf", 2, "nothing to print"},
          Case{"print --sample", 2, "exactly one of"}, Case{"batch -o /tmp/never.pdf", 2, "no files given"},
          Case{"print --left /nonexistent.jpg -o /tmp/never.pdf", 1, "cannot read /nonexistent.jpg"}}) {
        const ProgramResult r = RunProgram(kCli + " " + c.args);
        EXPECT_EQ(r.status, c.status) << c.args;
        EXPECT_EQ(r.out, "") << c.args;
        EXPECT_NE(r.err.find(c.err), std::string::npos) << c.args << ":\n" << r.err;
    }
    EXPECT_FALSE(fs::exists("/tmp/never.pdf"));
}

// Without --paper the sheet is the locale's; a locale that is not installed is judged
// by its territory.
TEST(CliConventions, ThePaperFollowsTheLocale)
{
    if (std::system("command -v pdfinfo >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "pdfinfo is not installed";
    const std::string pdf =
        fs::temp_directory_path() / ("sleevit-locale-" + std::to_string(::getpid()) + ".pdf");
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
    fs::remove(pdf);

    EXPECT_EQ(PaperOfLocaleName("en_CA").widthMm, PaperSize::Letter().widthMm);
    EXPECT_EQ(PaperOfLocaleName("en_GB.UTF-8@euro").widthMm, PaperSize::A4().widthMm);
    EXPECT_EQ(PaperOfLocaleName("es").widthMm, PaperSize::A4().widthMm);
}

} // namespace
