#pragma once

// A private CUPS server for one test suite (tests/e2e/cupsd-fixture.sh): its queues
// hand every job to a capture backend that keeps the job's name, copies, options and
// data in files. Needs root (cupsd runs its backends from a root-owned folder) and an
// installed cupsd.

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <thread>

#include <cups/cups.h>
#include <gtest/gtest.h>

#include "ScratchFolder.h"

// What the capture backend kept of one job.
struct CapturedJob {
    bool arrived = false;
    std::string title;
    std::string copies;
    std::string options;
    std::string data;

    // Whether the options, separated by spaces, hold one name=value pair.
    bool HasOption(const std::string& pair) const
    {
        return (" " + options + " ").find(" " + pair + " ") != std::string::npos;
    }
};

class TestCupsServer {
public:
    // Starts the server in a new folder /tmp/<prefix>-XXXXXX and points libcups at it;
    // with ownTempFolder, temporary job files go to <folder>/tmp as well. SkipReason()
    // says why this machine cannot run one, Error() why it did not start.
    void Start(const std::string& prefix, bool ownTempFolder = false)
    {
        std::string pattern = "/tmp/" + prefix + "-XXXXXX";
        if (geteuid() != 0)
            skipReason_ = "needs root: cupsd runs its backends from a root-owned folder";
        else if (std::system("command -v cupsd >/dev/null && command -v lpadmin >/dev/null") != 0)
            skipReason_ = "cupsd is not installed (packages cups, cups-bsd)";
        else if (mkdtemp(pattern.data()) == nullptr)
            error_ = "cannot make a temporary folder";
        if (!skipReason_.empty() || !error_.empty())
            return;
        dir_ = pattern;
        // The fixture's watcher stops cupsd if this process dies before Stop.
        const std::string cmd = "sh '" + Fixture() + "' start '" + dir_ + "' " + std::to_string(getpid()) +
                                " 2>'" + dir_ + "/fixture.err'";
        // On a fresh machine the very first cupsd now and then exits at once; the fixture
        // cleans up after a failed start, so another try starts from scratch.
        bool started = false;
        for (int attempt = 0; attempt < 3 && !started; ++attempt)
            started = std::system(cmd.c_str()) == 0;
        if (!started) {
            error_ = "the private cupsd did not start: " + ReadBytes(dir_ + "/fixture.err");
            return;
        }
        if (const char* old = std::getenv("CUPS_SERVER"))
            oldServer_ = old;
        setenv("CUPS_SERVER", (dir_ + "/cups.sock").c_str(), 1);
        cupsSetServer(nullptr); // libcups reads the variable again
        if (ownTempFolder) {
            std::filesystem::create_directories(dir_ + "/tmp");
            setenv("TMPDIR", (dir_ + "/tmp").c_str(), 1);
        }
        ownTempFolder_ = ownTempFolder;
        running_ = true;
    }

    // Stops the server, removes its folder and puts libcups back; true when the server
    // stopped cleanly (or never ran).
    bool Stop()
    {
        bool stopped = true;
        if (!dir_.empty()) {
            stopped =
                std::system(("sh '" + Fixture() + "' stop '" + dir_ + "' >/dev/null 2>&1").c_str()) == 0;
            std::error_code ec;
            std::filesystem::remove_all(dir_, ec);
            dir_.clear();
        }
        if (running_) {
            if (oldServer_)
                setenv("CUPS_SERVER", oldServer_->c_str(), 1);
            else
                unsetenv("CUPS_SERVER");
            if (ownTempFolder_)
                unsetenv("TMPDIR");
            cupsSetServer(nullptr);
        }
        running_ = false;
        return stopped;
    }

    bool Running() const { return running_; }
    const std::string& Dir() const { return dir_; }
    const std::string& SkipReason() const { return skipReason_; }
    const std::string& Error() const { return error_; }

    // The file stems ("job-12") of the jobs a queue's capture backend has finished.
    std::set<std::string> DoneJobs(const std::string& queue) const
    {
        std::set<std::string> done;
        std::error_code ec;
        for (const auto& e : std::filesystem::directory_iterator(dir_ + "/capture-" + queue, ec))
            if (e.path().extension() == ".done")
                done.insert(e.path().stem().string());
        return done;
    }

    // Waits up to 20 seconds for the first finished job of a queue that accept takes.
    template <class Accept> CapturedJob WaitForJob(const std::string& queue, Accept accept) const
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < deadline) {
            for (const std::string& stem : DoneJobs(queue))
                if (accept(stem))
                    return ReadJob(dir_ + "/capture-" + queue + "/" + stem);
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return CapturedJob{};
    }

    // Waits for the first finished job of a queue that is not among before (DoneJobs).
    CapturedJob NewJob(const std::string& queue, const std::set<std::string>& before) const
    {
        return WaitForJob(queue, [&](const std::string& stem) { return before.count(stem) == 0; });
    }

private:
    static std::string Fixture() { return std::string(SLEEVIT_SOURCE_DIR) + "/tests/e2e/cupsd-fixture.sh"; }
    static CapturedJob ReadJob(const std::string& base)
    {
        // The backend writes each text with a line end after it.
        const auto line = [&](const char* extension) {
            std::string s = ReadBytes(base + extension);
            return s.empty() ? s : s.substr(0, s.size() - 1);
        };
        return CapturedJob{true, line(".title"), line(".copies"), line(".options"),
                           ReadBytes(base + ".data")};
    }

    std::string dir_;
    std::string skipReason_;
    std::string error_;
    std::optional<std::string> oldServer_;
    bool ownTempFolder_ = false;
    bool running_ = false;
};

// A test suite with a private server of its own, started once for the suite (temporary
// job files in its folder too); its tests are skipped where no server can run here.
class PrivateCupsdSuite : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server_.Start("sleevit-cups", true); }
    static void TearDownTestSuite() { EXPECT_TRUE(server_.Stop()); }
    void SetUp() override
    {
        if (!server_.SkipReason().empty())
            GTEST_SKIP() << server_.SkipReason();
        ASSERT_TRUE(server_.Running()) << server_.Error();
    }

    static inline TestCupsServer server_;
};
