#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "RunProgram.h"

namespace fs = std::filesystem;

namespace {

const std::string kCli = SLEEVIT_CLI;

TEST(FormatsCommand, ListsTheShippedCatalogue)
{
    const ProgramResult r = RunProgram(kCli + " formats " + SLEEVIT_SOURCE_DIR "/data/Sleevit.dat");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find("  0  CD Front "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("CD_FRONT"), std::string::npos);
    EXPECT_NE(r.out.find("120.0 x 120.0"), std::string::npos);
    EXPECT_NE(r.out.find("CD_TRAY"), std::string::npos);
    // Without a file name it finds the catalogue beside the program.
    const ProgramResult beside = RunProgram(kCli + " formats");
    EXPECT_EQ(beside.status, 0) << beside.err;
    EXPECT_EQ(beside.out.substr(beside.out.find('\n')), r.out.substr(r.out.find('\n')));
}

TEST(FormatsCommand, ReportsBadLinesAndListsTheRest)
{
    const std::string path =
        fs::temp_directory_path() / ("sleevit-bad-" + std::to_string(::getpid()) + ".dat");
    {
        std::ofstream out(path, std::ios::binary);
        out << "[Good]\r\nSIZE = (120, 118)\r\nFOO = 1\r\n[Also good]\r\nBAR = (1, 2)\r\nAUTODETECT = "
               "YES\r\n";
    }
    const ProgramResult r = RunProgram(kCli + " formats " + path);
    std::remove(path.c_str());
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.err.find("Invalid keyword in configuration file : \nFOO = 1\nThe line will be ignored..."),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("BAR = (1, 2)"), std::string::npos);
    EXPECT_NE(r.out.find("Good"), std::string::npos);
    EXPECT_NE(r.out.find("Also good"), std::string::npos);
    EXPECT_NE(r.out.find("2 formats"), std::string::npos);
}

TEST(FormatsCommand, AMissingFileFails)
{
    const ProgramResult r = RunProgram(kCli + " formats /nonexistent/Sleevit.dat");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("No configuration file found. Please Reinstall Sleevit."), std::string::npos)
        << r.err;
    EXPECT_EQ(r.out, "");
}

} // namespace
