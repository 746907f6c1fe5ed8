// What the command line does to the files it is told to write: an earlier file is
// replaced whole or not at all, a symbolic link stays a link, a device is never removed.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include "RunProgram.h"
#include "ScratchFolder.h"

namespace fs = std::filesystem;

namespace {

const std::string kCli = SLEEVIT_CLI;
const std::string kCatalogue = std::string(SLEEVIT_SOURCE_DIR) + "/data/Sleevit.dat";
constexpr const char* kOld = "an earlier file\n";

class OutputSafety : public ::testing::Test {
protected:
    void SetUp() override
    {
        scratch.Write("bad.jpg", "not a picture at all");
        fs::copy_file(SLEEVIT_SOURCE_DIR "/tests/cli/data/Album front.png", folder / "page.png");
    }

    // The four ways to write a file, each told to write target.
    std::vector<std::string> Commands(const fs::path& target, bool failing) const
    {
        const std::string c = " --catalogue '" + kCatalogue + "'";
        const std::string t = "'" + target.string() + "'";
        const std::string in = failing ? (folder / "bad.jpg").string() : (folder / "page.png").string();
        return {kCli + " print" + c + " --left '" + in + "' --left-format 'CD Front' --to " + t,
                kCli + " print" + c + " --left '" + in + "' --left-format 'CD Front' --png " + t +
                    " --dpi 36",
                kCli + " decode '" + in + "' " + t, kCli + " batch" + c + " '" + in + "' --to " + t};
    }

    // Files in the folder other than the pictures read and those named.
    std::vector<std::string> Strays(std::vector<std::string> known) const
    {
        known.insert(known.end(), {"bad.jpg", "page.png"});
        std::vector<std::string> found;
        for (const auto& e : fs::directory_iterator(folder))
            if (std::find(known.begin(), known.end(), e.path().filename().string()) == known.end())
                found.push_back(e.path().filename().string());
        return found;
    }

    ScratchFolder scratch;
    const fs::path folder = scratch.Path();
};

// A target is a plain file, a link to one, or a device that takes no bytes (where root
// may make one): every job on the device fails, and the device must survive that.
TEST_F(OutputSafety, AnEarlierFileIsReplacedWholeOrKeptALinkStaysALinkAndADeviceStays)
{
    const fs::path file = folder / "out";
    const fs::path link = folder / "link";
    const fs::path device = folder / "full";
    const bool withDevice = ::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 7)) == 0;
    for (const bool failing : {true, false}) {
        for (const fs::path& target : {file, link, device}) {
            for (const std::string& command : Commands(target, failing)) {
                if (target == device && !withDevice)
                    continue;
                scratch.Write("out", kOld);
                fs::remove(link);
                fs::create_symlink("out", link);
                const ProgramResult r = RunProgram(command);
                EXPECT_EQ(r.status != 0, failing || target == device) << command << "\n" << r.err;
                EXPECT_EQ(ReadBytes(file) == kOld, failing || target == device) << command;
                EXPECT_TRUE(fs::is_symlink(link)) << command;
                struct stat st {};
                EXPECT_TRUE(!withDevice || (::lstat(device.c_str(), &st) == 0 && S_ISCHR(st.st_mode)))
                    << command << " removed the device";
                EXPECT_EQ(Strays({"out", "link", "full"}), std::vector<std::string>{}) << command;
            }
        }
    }
}

// Runs a command with the size of the files it writes limited to limit bytes; when
// kill is true, passing the limit ends the program on the spot (as a crash would), else
// the write that passes it fails.
int RunWithFileLimit(const std::string& command, rlim_t limit, bool kill)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        const rlimit l{limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &l);
        std::signal(SIGXFSZ, kill ? SIG_DFL : SIG_IGN);
        ::freopen("/dev/null", "w", stderr);
        ::execl("/bin/sh", "sh", "-c", ("exec " + command).c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return status;
}

// Failures injected at random points while each kind of output is written: afterwards
// the earlier file is either untouched or replaced by a complete new one.
TEST_F(OutputSafety, InterruptedWritesNeverTearTheEarlierFile)
{
    std::mt19937 random(20261207);
    for (const std::string& command : Commands(folder / "out", false)) {
        fs::remove(folder / "out");
        ASSERT_EQ(RunWithFileLimit(command, RLIM_INFINITY, false), 0) << command;
        const std::string whole = ReadBytes(folder / "out");
        ASSERT_GT(whole.size(), 100u);
        std::uniform_int_distribution<rlim_t> cut(0, whole.size() + 16);
        int replaced = 0;
        for (int round = 0; round < 12; ++round) {
            const rlim_t limit = cut(random);
            const bool kill = round % 2 == 1;
            scratch.Write("out", kOld);
            const int status = RunWithFileLimit(command, limit, kill);
            const std::string now = ReadBytes(folder / "out");
            const bool ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
            // The PDF carries its creation time, so only a file's length is compared.
            EXPECT_EQ(now == kOld ? whole.size() : now.size(), whole.size())
                << command << " torn at " << limit;
            EXPECT_EQ(ok, now != kOld)
                << command << ": success and a replaced file go together, at " << limit;
            replaced += now != kOld;
            if (!kill) {
                EXPECT_EQ(Strays({"out"}), std::vector<std::string>{}) << limit;
            }
            for (const std::string& stray : Strays({"out"}))
                fs::remove(folder / stray); // a killed program leaves its unfinished file
        }
        EXPECT_LT(replaced, 12) << command << ": no round failed; the limits did not bite";
    }
}

} // namespace
