// Faults the command line must report plainly: formats that cannot make a cover, a
// print server that never answers, 8-bit file names, pictures any decoder reads in a
// batch, a catalogue too large to read.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "RunProgram.h"
#include "SilentServer.h"

namespace fs = std::filesystem;

namespace {

const std::string kCli = SLEEVIT_CLI;
const std::string kCatalogue = std::string(SLEEVIT_SOURCE_DIR) + "/data/Sleevit.dat";

void Write(const fs::path& p, const std::string& text)
{
    std::ofstream(p, std::ios::binary) << text;
}

class CliFaults : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() / ("sleevit-faults-" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        picture = (folder / "front.png").string();
        const ProgramResult r = RunProgram(kCli + " print --catalogue '" + kCatalogue + "' --sample --png '" +
                                           picture + "' --dpi 36");
        ASSERT_EQ(r.status, 0) << r.err;
    }
    void TearDown() override { fs::remove_all(folder); }
    std::string Q(const fs::path& p) const { return "'" + p.string() + "'"; }

    fs::path folder;
    std::string picture;
};

TEST_F(CliFaults, FormatsThatCannotMakeACoverAreRefusedByName)
{
    struct Case {
        const char* sections; // catalogue text
        const char* said;     // part of the message
    };
    const Case cases[] = {
        {"[Zero]\nSIZE = (0 , 0)\nTYPE = CD_FRONT\n", "\"Zero\" cannot be printed"},
        {"[Negative]\nSIZE = (-120 , 120)\n", "\"Negative\" cannot be printed"},
        {"[NaN]\nSIZE = (nan , 120)\n", "\"NaN\" cannot be printed"},
        {"[Infinite]\nSIZE = (120 , inf)\n", "\"Infinite\" cannot be printed"},
        {"[Tiny]\nSIZE = (0.0001 , 0.0001)\n", "\"Tiny\" cannot be printed"},
        {"[PS]\nTYPE = PLAYSTATION\n", "\"PS\" cannot be printed"},
        {"", "the format catalogue is empty"},
    };
    const fs::path catalogue = folder / "bad.dat";
    const fs::path pdf = folder / "out.pdf";
    for (const Case& c : cases) {
        Write(catalogue, c.sections);
        const ProgramResult r = RunProgram(kCli + " print --catalogue " + Q(catalogue) + " --left '" +
                                           picture + "' --no-companion --to " + Q(pdf));
        EXPECT_EQ(r.status, 1) << c.sections;
        EXPECT_NE(r.err.find(c.said), std::string::npos) << "have: " << r.err;
        EXPECT_FALSE(fs::exists(pdf)) << c.sections;
    }
}

TEST_F(CliFaults, APrintServerThatNeverAnswersIsGivenUp)
{
    SilentServer silent;
    ASSERT_GT(silent.Port(), 0);
    const std::string server = "CUPS_SERVER=127.0.0.1:" + std::to_string(silent.Port());
    // The time limit is the test's: 124 from timeout(1) means the tool hung.
    for (const std::string queue : {"", "some-queue"}) {
        const ProgramResult r = RunProgram(server + " timeout 40 " + kCli + " print --catalogue '" +
                                           kCatalogue + "' --left '" + picture + "' --printer " + queue);
        EXPECT_EQ(r.status, 1) << r.err;
        EXPECT_NE(r.err.find("does not answer"), std::string::npos) << "have: " << r.err;
    }
}

TEST_F(CliFaults, An8BitFileNamePrints)
{
    const fs::path latin = folder / "caf\xe9.png";
    fs::copy_file(picture, latin);
    const fs::path pdf = folder / "out.pdf";
    const ProgramResult r = RunProgram(kCli + " print --catalogue '" + kCatalogue + "' --left " + Q(latin) +
                                       " --no-companion --to " + Q(pdf));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_GT(fs::file_size(pdf), 100u);
}

TEST_F(CliFaults, BatchTakesAnyPictureAndSaysWhyOthersAreSkipped)
{
    // A 2 x 2 uncompressed true-colour TGA, which no extension list of the batch names.
    std::string tga(18, '\0');
    tga[2] = 2;
    tga[12] = 2;
    tga[14] = 2;
    tga[16] = 24;
    tga += std::string(12, '\x40');
    Write(folder / "cover.tga", tga);
    Write(folder / "notes.txt", "just words");
    const ProgramResult r =
        RunProgram(kCli + " batch --catalogue '" + kCatalogue + "' " + Q(folder / "cover.tga") + " " +
                   Q(folder / "notes.txt") + " --format 'CD Front' --to " + Q(folder / "all.pdf"));
    EXPECT_EQ(r.status, 3) << r.err;
    EXPECT_NE(r.err.find("1 page"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("skipped " + (folder / "cover.tga").string()), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("skipped " + (folder / "notes.txt").string() + ": "), std::string::npos) << r.err;
}

TEST_F(CliFaults, ACatalogueTooLargeSaysSo)
{
    const fs::path big = folder / "big.dat";
    std::ofstream(big).close();
    fs::resize_file(big, (std::uintmax_t{64} << 20) + 1); // sparse: costs no disk
    const ProgramResult r = RunProgram(kCli + " formats " + Q(big));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("larger than 64 MB"), std::string::npos) << "have: " << r.err;
}

} // namespace
