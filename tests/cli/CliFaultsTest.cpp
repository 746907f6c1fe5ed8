// Faults the command line must report plainly beyond data/commands.txt: a print server
// that never answers, 8-bit file names, a catalogue too large to read.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "RunProgram.h"
#include "ScratchFolder.h"
#include "SilentServer.h"

namespace fs = std::filesystem;

namespace {

const std::string kCli = SLEEVIT_CLI;
const std::string kCatalogue = std::string(SLEEVIT_SOURCE_DIR) + "/data/Sleevit.dat";

const std::string kPicture = SLEEVIT_SOURCE_DIR "/tests/cli/data/Album front.png";

TEST(CliFaults, APrintServerThatNeverAnswersIsGivenUp)
{
    SilentServer silent;
    ASSERT_GT(silent.Port(), 0);
    const std::string server = "CUPS_SERVER=127.0.0.1:" + std::to_string(silent.Port());
    // The time limit is the test's: 124 from timeout(1) means the tool hung.
    for (const std::string queue : {"", "some-queue"}) {
        const ProgramResult r = RunProgram(server + " timeout 40 " + kCli + " print --catalogue '" +
                                           kCatalogue + "' --left '" + kPicture + "' --printer " + queue);
        EXPECT_EQ(r.status, 1) << r.err;
        EXPECT_NE(r.err.find("does not answer"), std::string::npos) << "have: " << r.err;
    }
}

// A picture whose file name is not UTF-8 prints; a catalogue too large to read is refused by name.
TEST(CliFaults, An8BitFileNamePrintsAndACatalogueTooLargeSaysSo)
{
    ScratchFolder folder;
    const std::string latin = folder.File("caf\xe9.png");
    fs::copy_file(kPicture, latin);
    const std::string pdf = folder.File("out.pdf");
    ProgramResult r = RunProgram(kCli + " print --catalogue '" + kCatalogue + "' --left '" + latin +
                                 "' --no-companion --to " + pdf);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_GT(fs::file_size(pdf), 100u);

    const std::string big = folder.Write("big.dat", "");
    fs::resize_file(big, (std::uintmax_t{64} << 20) + 1); // sparse: costs no disk
    r = RunProgram(kCli + " formats " + big);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("larger than 64 MB"), std::string::npos) << "have: " << r.err;
}

} // namespace
