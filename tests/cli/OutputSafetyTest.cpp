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

    // Files in the folder other than those named.
    std::vector<std::string> Strays(std::initializer_list<std::string> known) const
    {
        std::vector<std::string> found;
        for (const auto& e : fs::directory_iterator(folder)) {
            const std::string name = e.path().filename().string();
            if (std::find(known.begin(), known.end(), name) == known.end())
                found.push_back(name);
        }
        return found;
    }

    ScratchFolder scratch;
    const fs::path folder = scratch.Path();
};

TEST_F(OutputSafety, FailedJobsLeaveFilesAndLinksAsTheyWere)
{
    const fs::path file = folder / "out";
    const fs::path link = folder / "link";
    for (const bool viaLink : {false, true}) {
        for (const std::string& command : Commands(viaLink ? link : file, true)) {
            scratch.Write("out", kOld);
            fs::remove(link);
            fs::create_symlink("out", link);
            const ProgramResult r = RunProgram(command);
            EXPECT_NE(r.status, 0) << command;
            EXPECT_EQ(ReadBytes(file), kOld) << command;
            EXPECT_TRUE(fs::is_symlink(link)) << command;
            EXPECT_EQ(Strays({"out", "link", "bad.jpg", "page.png"}), std::vector<std::string>{}) << command;
        }
    }
}

TEST_F(OutputSafety, ALinkIsWrittenThroughAndStaysALink)
{
    const fs::path file = folder / "out";
    const fs::path link = folder / "link";
    for (const std::string& command : Commands(link, false)) {
        scratch.Write("out", kOld);
        fs::remove(link);
        fs::create_symlink("out", link);
        const ProgramResult r = RunProgram(command);
        EXPECT_EQ(r.status, 0) << command << "\n" << r.err;
        EXPECT_TRUE(fs::is_symlink(link)) << command;
        EXPECT_NE(ReadBytes(file), kOld) << command;
    }
}

TEST_F(OutputSafety, ADeviceIsWrittenInPlaceAndNeverRemoved)
{
    // A device that takes no bytes: every job fails on it, and it must survive that.
    const fs::path device = folder / "full";
    if (::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 7)) != 0)
        GTEST_SKIP() << "making a device node needs root";
    for (const bool failing : {false, true}) {
        for (const std::string& command : Commands(device, failing)) {
            const ProgramResult r = RunProgram(command);
            EXPECT_NE(r.status, 0) << command;
            struct stat st {};
            ASSERT_EQ(::lstat(device.c_str(), &st), 0) << command << " removed the device";
            EXPECT_TRUE(S_ISCHR(st.st_mode)) << command;
        }
    }
}

// Runs a command with the size of the files it writes limited to limit bytes; when
// kill is true, passing the limit ends the program on the spot (as a crash would), else
// the write that passes it fails.
int RunWithFileLimit(const std::vector<std::string>& args, rlim_t limit, bool kill)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        const rlimit l{limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &l);
        std::signal(SIGXFSZ, kill ? SIG_DFL : SIG_IGN);
        ::freopen("/dev/null", "w", stderr);
        std::vector<char*> argv;
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
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
    const std::string out = (folder / "out").string();
    const std::string page = (folder / "page.png").string();
    const std::vector<std::vector<std::string>> jobs = {
        {kCli, "print", "--catalogue", kCatalogue, "--left", page, "--left-format", "CD Front", "--to", out},
        {kCli, "print", "--catalogue", kCatalogue, "--left", page, "--left-format", "CD Front", "--png", out,
         "--dpi", "36"},
        {kCli, "decode", page, out},
    };
    std::mt19937 random(20261207);
    for (const auto& job : jobs) {
        fs::remove(out);
        ASSERT_EQ(RunWithFileLimit(job, RLIM_INFINITY, false), 0) << job[1] << " " << job.back();
        const std::string whole = ReadBytes(out);
        ASSERT_GT(whole.size(), 100u);
        std::uniform_int_distribution<rlim_t> cut(0, whole.size() + 16);
        int replaced = 0;
        for (int round = 0; round < 12; ++round) {
            const rlim_t limit = cut(random);
            const bool kill = round % 2 == 1;
            scratch.Write("out", kOld);
            const int status = RunWithFileLimit(job, limit, kill);
            const std::string now = ReadBytes(out);
            const bool ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
            if (now == kOld) {
                EXPECT_FALSE(ok) << "reported success at limit " << limit;
            } else {
                // The PDF carries its creation time, so only its length is compared.
                EXPECT_EQ(now.size(), whole.size()) << job[1] << " torn at limit " << limit;
                EXPECT_TRUE(ok) << "a replaced file, yet a failure at limit " << limit;
                ++replaced;
            }
            if (!kill) {
                EXPECT_EQ(Strays({"out", "bad.jpg", "page.png"}), std::vector<std::string>{}) << limit;
            }
            for (const auto& e : fs::directory_iterator(folder))
                if (e.path().filename().string().rfind("out.", 0) == 0)
                    fs::remove(e.path());
        }
        EXPECT_LT(replaced, 12) << "no round failed; the limits did not bite";
    }
}

} // namespace
