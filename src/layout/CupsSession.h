#pragma once

#include <string>
#include <utility>
#include <vector>

#include <cups/cups.h>

// One connection to the CUPS server (the one CUPS_SERVER names, else libcups' default)
// and, once opened, one of its queues with its capabilities. Everything is released
// with the object.
class CCupsSession {
public:
    CCupsSession() = default;
    ~CCupsSession();
    CCupsSession(const CCupsSession&) = delete;
    CCupsSession& operator=(const CCupsSession&) = delete;

    // Connects to the server; false with "Cannot reach the print server ..." otherwise.
    // Each answer the server owes is awaited a few seconds, then given up.
    bool Connect();
    // How long the server may stay silent from now on (longer while a job is sent).
    void SetAnswerTimeout(double seconds);
    // Connects and looks the queue up; false with a text naming the queue when the
    // server does not know it.
    bool Open(const std::string& printer);
    // Reads the queue's capabilities (after Open).
    bool LoadInfo();
    // The queue's own texts for its choices (the strings file the server makes from the
    // queue's driver), read through this connection; empty when there are none.
    std::vector<std::pair<std::string, std::string>> FetchStrings();

    // After a job was accepted (after Open): "" when the queue prints, else a sentence
    // with the job's id and what holds it, such as a paused queue or a failed backend.
    std::string DescribeJobState(int jobId);

    http_t* Http() const { return http_; }
    cups_dest_t* Dest() const { return dest_; }
    cups_dinfo_t* Info() const { return info_; }
    const std::string& LastError() const { return error_; }
    // Whether the last Connect failed because the server took the connection and then
    // stayed silent (rather than refusing it).
    bool ServerSilent() const { return silent_; }

private:
    http_t* http_ = nullptr;
    cups_dest_t* dest_ = nullptr;
    cups_dinfo_t* info_ = nullptr;
    std::string error_;
    bool silent_ = false;
};
