#pragma once

// A private CUPS server for one test suite (tests/e2e/cupsd-fixture.sh): its queues
// hand every job to a capture backend that keeps the job's name, copies, options and
// data in files. Needs root (cupsd runs its backends from a root-owned folder) and an
// installed cupsd.

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <thread>

#include <cups/cups.h>

#include "ScratchFolder.h"

// What the capture backend kept of one job.
struct CapturedJob {
    bool arrived = false;
    std::string title;
    std::string copies;
    std::string options;
    std::string data;
};

class TestCupsServer {
public:
    // Starts the server in a new folder /tmp/<prefix>-XXXXXX and points libcups at it;
    // with ownTempFolder, temporary job files go to <folder>/tmp as well. SkipReason()
    // says why this machine cannot run one, Error() why it did not start.
    void Start(const std::string& prefix, bool ownTempFolder = false)
    {
        namespace fs = std::filesystem;
        if (geteuid() != 0) {
            skipReason_ = "needs root: cupsd runs its backends from a root-owned folder";
            return;
        }
        if (!Installed("cupsd") || !Installed("lpadmin")) {
            skipReason_ = "cupsd is not installed (packages cups, cups-bsd)";
            return;
        }
        std::string pattern = "/tmp/" + prefix + "-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) {
            error_ = "cannot make a temporary folder";
            return;
        }
        dir_ = pattern;
        // The fixture's watcher stops cupsd if this process dies before Stop.
        const std::string cmd = "sh '" + Fixture() + "' start '" + dir_ + "' " + std::to_string(getpid()) +
                                " 2>'" + dir_ + "/fixture.err'";
        // On a fresh machine the very first cupsd now and then exits at once; the fixture
        // cleans up after a failed start, so another try starts from scratch.
        bool started = false;
        for (int attempt = 0; attempt < 3 && !started; ++attempt) {
            started = std::system(cmd.c_str()) == 0;
        }
        if (!started) {
            error_ = "the private cupsd did not start: " + ReadBytes(dir_ + "/fixture.err");
            return;
        }
        if (const char* old = std::getenv("CUPS_SERVER")) {
            hadServer_ = true;
            oldServer_ = old;
        }
        setenv("CUPS_SERVER", (dir_ + "/cups.sock").c_str(), 1);
        cupsSetServer(nullptr); // libcups reads the variable again
        if (ownTempFolder) {
            setenv("TMPDIR", (dir_ + "/tmp").c_str(), 1);
            fs::create_directories(dir_ + "/tmp");
            ownTempFolder_ = true;
        }
        running_ = true;
    }

    // Stops the server, removes its folder and puts libcups back; true when the server
    // stopped cleanly (or never ran).
    bool Stop()
    {
        bool stopped = true;
        if (!dir_.empty()) {
            const std::string cmd = "sh '" + Fixture() + "' stop '" + dir_ + "' >/dev/null 2>&1";
            stopped = std::system(cmd.c_str()) == 0;
            std::error_code ec;
            std::filesystem::remove_all(dir_, ec);
            dir_.clear();
        }
        if (running_) {
            if (hadServer_) {
                setenv("CUPS_SERVER", oldServer_.c_str(), 1);
            } else {
                unsetenv("CUPS_SERVER");
            }
            if (ownTempFolder_) {
                unsetenv("TMPDIR");
            }
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
        for (const auto& e : std::filesystem::directory_iterator(dir_ + "/capture-" + queue, ec)) {
            if (e.path().extension() == ".done") {
                done.insert(e.path().stem().string());
            }
        }
        return done;
    }

    // Waits up to 20 seconds for the first finished job of a queue that accept takes.
    template <class Accept> CapturedJob WaitForJob(const std::string& queue, Accept accept) const
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < deadline) {
            for (const std::string& stem : DoneJobs(queue)) {
                if (accept(stem)) {
                    return ReadJob(queue, stem);
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return CapturedJob{};
    }

private:
    static std::string Fixture() { return std::string(SLEEVIT_SOURCE_DIR) + "/tests/e2e/cupsd-fixture.sh"; }
    static bool Installed(const char* program)
    {
        return std::system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
    }
    static std::string Trimmed(std::string s)
    {
        while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) {
            s.pop_back();
        }
        return s;
    }
    CapturedJob ReadJob(const std::string& queue, const std::string& stem) const
    {
        const std::string base = dir_ + "/capture-" + queue + "/" + stem;
        return CapturedJob{true, Trimmed(ReadBytes(base + ".title")), Trimmed(ReadBytes(base + ".copies")),
                           Trimmed(ReadBytes(base + ".options")), ReadBytes(base + ".data")};
    }

    std::string dir_;
    std::string skipReason_;
    std::string error_;
    std::string oldServer_;
    bool hadServer_ = false;
    bool ownTempFolder_ = false;
    bool running_ = false;
};
