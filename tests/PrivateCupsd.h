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

struct TestCupsServer {
    // Starts the server in a new folder /tmp/sleevit-cups-XXXXXX, points libcups at it
    // and sends temporary job files to its tmp folder. skipReason says why this machine
    // cannot run one, error why it did not start.
    void Start()
    {
        std::string pattern = "/tmp/sleevit-cups-XXXXXX";
        if (geteuid() != 0)
            skipReason = "needs root: cupsd runs its backends from a root-owned folder";
        else if (std::system("command -v cupsd >/dev/null && command -v lpadmin >/dev/null") != 0)
            skipReason = "cupsd is not installed (packages cups, cups-bsd)";
        else if (mkdtemp(pattern.data()) == nullptr)
            error = "cannot make a temporary folder";
        if (!skipReason.empty() || !error.empty())
            return;
        dir = pattern;
        // The fixture's watcher stops cupsd if this process dies before Stop.
        const std::string cmd = "sh '" + Fixture() + "' start '" + dir + "' " + std::to_string(getpid()) +
                                " 2>'" + dir + "/fixture.err'";
        // On a fresh machine the very first cupsd now and then exits at once; the fixture
        // cleans up after a failed start, so another try starts from scratch.
        bool started = false;
        for (int attempt = 0; attempt < 3 && !started; ++attempt)
            started = std::system(cmd.c_str()) == 0;
        if (!started) {
            error = "the private cupsd did not start: " + ReadBytes(dir + "/fixture.err");
            return;
        }
        if (const char* old = std::getenv("CUPS_SERVER"))
            oldServer = old;
        setenv("CUPS_SERVER", (dir + "/cups.sock").c_str(), 1);
        cupsSetServer(nullptr); // libcups reads the variable again
        std::filesystem::create_directories(dir + "/tmp");
        setenv("TMPDIR", (dir + "/tmp").c_str(), 1);
        running = true;
    }

    // Stops the server, removes its folder and puts libcups back; true when the server
    // stopped cleanly (or never ran).
    bool Stop()
    {
        bool stopped = true;
        if (!dir.empty()) {
            stopped = std::system(("sh '" + Fixture() + "' stop '" + dir + "' >/dev/null 2>&1").c_str()) == 0;
            std::error_code ec;
            std::filesystem::remove_all(dir, ec);
            dir.clear();
        }
        if (running) {
            if (oldServer)
                setenv("CUPS_SERVER", oldServer->c_str(), 1);
            else
                unsetenv("CUPS_SERVER");
            unsetenv("TMPDIR");
            cupsSetServer(nullptr);
        }
        running = false;
        return stopped;
    }

    // The file stems ("job-12") of the jobs a queue's capture backend has finished.
    std::set<std::string> DoneJobs(const std::string& queue) const
    {
        std::set<std::string> done;
        std::error_code ec;
        for (const auto& e : std::filesystem::directory_iterator(dir + "/capture-" + queue, ec))
            if (e.path().extension() == ".done")
                done.insert(e.path().stem().string());
        return done;
    }

    // Waits up to 20 seconds for the first finished job of a queue that is not among
    // before (DoneJobs).
    CapturedJob NewJob(const std::string& queue, const std::set<std::string>& before) const
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < deadline) {
            for (const std::string& stem : DoneJobs(queue)) {
                if (before.count(stem) != 0)
                    continue;
                // The backend writes each text with a line end after it.
                const std::string base = dir + "/capture-" + queue + "/" + stem;
                const auto line = [&](const char* extension) {
                    std::string s = ReadBytes(base + extension);
                    return s.substr(0, s.empty() ? 0 : s.size() - 1);
                };
                return {true, line(".title"), line(".copies"), line(".options"), ReadBytes(base + ".data")};
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return {};
    }

    static std::string Fixture() { return std::string(SLEEVIT_SOURCE_DIR) + "/tests/e2e/cupsd-fixture.sh"; }

    std::string dir;
    std::string skipReason;
    std::string error;
    std::optional<std::string> oldServer;
    bool running = false;
};

// A test suite with a private server of its own, started once for the suite; its tests
// are skipped where no server can run here.
class PrivateCupsdSuite : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server_.Start(); }
    static void TearDownTestSuite() { EXPECT_TRUE(server_.Stop()); }
    void SetUp() override
    {
        if (!server_.skipReason.empty())
            GTEST_SKIP() << server_.skipReason;
        ASSERT_TRUE(server_.running) << server_.error;
    }

    static inline TestCupsServer server_;
};
