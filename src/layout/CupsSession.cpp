#include "layout/CupsSession.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "layout/CupsPrinters.h"

namespace {

// Waiting longer than this for the server counts as not reaching it.
constexpr int kConnectMillis = 5000;
// How long a question to the server (lists, a queue's capabilities) may go unanswered.
constexpr double kAnswerSeconds = 5.0;

// Called by libcups when the server has been silent for the connection's time limit:
// 0 gives up, so that a server that accepts connections but never answers cannot hold
// the program for ever.
int GiveUp(http_t* /*http*/, void* /*data*/)
{
    return 0;
}
constexpr std::size_t kMaxStringsBytes = std::size_t{4} << 20;

} // namespace

CCupsSession::~CCupsSession()
{
    if (info_ != nullptr)
        cupsFreeDestInfo(info_);
    if (dest_ != nullptr)
        cupsFreeDests(1, dest_);
    if (http_ != nullptr)
        httpClose(http_);
}

bool CCupsSession::Connect()
{
    if (http_ != nullptr)
        return true;
    const char* server = cupsServer();
    http_ = httpConnect2(server, ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, kConnectMillis, nullptr);
    if (http_ == nullptr) {
        error_ = std::string("Cannot reach the print server ") + (server != nullptr ? server : "");
        return false;
    }
    SetAnswerTimeout(kAnswerSeconds);
    // One short question first: libcups answers some of its own failures by asking
    // again on connections of its own, which wait far longer, so a server that does not
    // answer is found out here.
    ipp_t* request = ippNewRequest(IPP_OP_CUPS_GET_DEFAULT);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr,
                 "printer-name");
    ipp_t* response = cupsDoRequest(http_, request, "/"); // frees request
    const ipp_status_t status = cupsLastError();
    ippDelete(response);
    if (response == nullptr &&
        (status == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE || status == IPP_STATUS_ERROR_INTERNAL)) {
        char seconds[16];
        std::snprintf(seconds, sizeof seconds, "%g", kAnswerSeconds);
        error_ = std::string("The print server ") + (server != nullptr ? server : "") +
                 " does not answer (waited " + seconds + " seconds)";
        silent_ = true;
        httpClose(http_);
        http_ = nullptr;
        return false;
    }
    return true;
}

void CCupsSession::SetAnswerTimeout(double seconds)
{
    if (http_ != nullptr)
        httpSetTimeout(http_, seconds, GiveUp, nullptr);
}

bool CCupsSession::Open(const std::string& printer)
{
    if (!Connect())
        return false;
    if (printer.empty()) {
        error_ = "No printer queue given";
        return false;
    }
    dest_ = cupsGetNamedDest(http_, printer.c_str(), nullptr);
    if (dest_ == nullptr) {
        const ipp_status_t status = cupsLastError();
        if (status == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE || status == IPP_STATUS_ERROR_INTERNAL)
            error_ = std::string("Cannot reach the print server ") + cupsServer();
        else
            error_ = "Unknown printer queue \"" + printer + "\"";
        return false;
    }
    return true;
}

bool CCupsSession::LoadInfo()
{
    if (dest_ == nullptr)
        return false;
    if (info_ == nullptr)
        info_ = cupsCopyDestInfo(http_, dest_);
    if (info_ == nullptr) {
        error_ = std::string("Cannot read the printer's capabilities: ") + cupsLastErrorString();
        return false;
    }
    return true;
}

std::vector<std::pair<std::string, std::string>> CCupsSession::FetchStrings()
{
    std::vector<std::pair<std::string, std::string>> none;
    if (dest_ == nullptr)
        return none;
    const char* uri = cupsGetOption("printer-uri-supported", dest_->num_options, dest_->options);
    if (uri == nullptr)
        return none;
    ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr,
                 "printer-strings-uri");
    ipp_t* response = cupsDoRequest(http_, request, "/"); // frees request
    std::string resource;
    if (ipp_attribute_t* a = ippFindAttribute(response, "printer-strings-uri", IPP_TAG_URI)) {
        char scheme[32], user[256], host[256], path[1024];
        int port = 0;
        const char* stringsUri = ippGetString(a, 0, nullptr);
        // Only the server's own texts are read, through the connection already open.
        if (stringsUri != nullptr &&
            httpSeparateURI(HTTP_URI_CODING_ALL, stringsUri, scheme, sizeof scheme, user, sizeof user, host,
                            sizeof host, &port, path, sizeof path) >= HTTP_URI_STATUS_OK &&
            std::strncmp(path, "/strings/", 9) == 0)
            resource = path;
    }
    ippDelete(response);
    if (resource.empty())
        return none;

    const char* tmpdir = std::getenv("TMPDIR");
    std::string pattern =
        std::string(tmpdir != nullptr && *tmpdir ? tmpdir : "/tmp") + "/sleevit-strings-XXXXXX";
    const int fd = mkstemp(pattern.data());
    if (fd < 0)
        return none;
    unlink(pattern.c_str()); // the open descriptor is all that is needed
    std::string text;
    if (cupsGetFd(http_, resource.c_str(), fd) == HTTP_STATUS_OK && lseek(fd, 0, SEEK_SET) == 0) {
        char buf[8192];
        ssize_t got = 0;
        // Bounded: at most kMaxStringsBytes are kept.
        while ((got = read(fd, buf, sizeof buf)) > 0 && text.size() < kMaxStringsBytes)
            text.append(buf, std::size_t(got));
    }
    close(fd);
    if (text.size() > kMaxStringsBytes)
        text.resize(kMaxStringsBytes);
    return ParseCupsStrings(text);
}

std::string CCupsSession::DescribeJobState(int jobId)
{
    if (dest_ == nullptr || http_ == nullptr)
        return std::string();
    const char* uri = cupsGetOption("printer-uri-supported", dest_->num_options, dest_->options);
    if (uri == nullptr)
        return std::string();
    auto text = [](ipp_t* response, const char* name) {
        ipp_attribute_t* a = ippFindAttribute(response, name, IPP_TAG_ZERO);
        const char* v = a != nullptr ? ippGetString(a, 0, nullptr) : nullptr;
        return std::string(v != nullptr ? v : "");
    };
    auto number = [](ipp_t* response, const char* name) {
        ipp_attribute_t* a = ippFindAttribute(response, name, IPP_TAG_ENUM);
        return a != nullptr ? ippGetInteger(a, 0) : 0;
    };
    const std::string queue = dest_->name != nullptr ? dest_->name : "";
    const std::string job = "Job " + std::to_string(jobId) + " on " + queue;

    ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
    ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", jobId);
    ipp_t* response = cupsDoRequest(http_, request, "/"); // frees request
    const int jobState = number(response, "job-state");
    const std::string jobMessage = text(response, "job-printer-state-message");
    ippDelete(response);
    if (jobState == IPP_JSTATE_ABORTED || jobState == IPP_JSTATE_CANCELED || jobState == IPP_JSTATE_STOPPED) {
        const char* state = jobState == IPP_JSTATE_ABORTED    ? "was aborted"
                            : jobState == IPP_JSTATE_CANCELED ? "was cancelled"
                                                              : "is stopped";
        return job + " " + state + (jobMessage.empty() ? std::string() : ": " + jobMessage);
    }

    request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
    response = cupsDoRequest(http_, request, "/");
    const int printerState = number(response, "printer-state");
    const std::string printerMessage = text(response, "printer-state-message");
    ippDelete(response);
    if (printerState == IPP_PSTATE_STOPPED)
        return job + " waits: the queue is paused" +
               (printerMessage.empty() ? std::string() : " (" + printerMessage + ")");
    return std::string();
}
