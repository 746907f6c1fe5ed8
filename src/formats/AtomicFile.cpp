#include "formats/AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

static bool WriteAll(int fd, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool WriteFileAtomically(const std::string& path, const std::string& bytes)
{
    if (path.empty())
        return false;
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));

    // A file that exists but may not be written stays as it is, as it would if it
    // were opened for writing.
    struct stat old {};
    const bool exists = ::stat(path.c_str(), &old) == 0;
    if (exists && ::access(path.c_str(), W_OK) != 0)
        return false;

    std::string pattern = path + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0)
        return false;
    // Keep the old file's permissions; a new file gets the usual ones.
    if (exists)
        ::fchmod(fd, old.st_mode & 07777);
    else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
    const bool written = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || std::rename(name.data(), path.c_str()) != 0) {
        ::unlink(name.data());
        return false;
    }
    // Make the rename itself durable.
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

namespace {

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
}

// The file a path names once symbolic links are followed (the path itself when it is no
// link); a link whose target is missing gives that target, which is then created. False
// for a loop of links.
bool FollowLinks(std::string path, std::string& resolved)
{
    for (int depth = 0; depth < 40; ++depth) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            resolved = path;
            return true;
        }
        std::vector<char> buffer(std::size_t(st.st_size > 0 ? st.st_size : 255) + 1);
        const ssize_t n = ::readlink(path.c_str(), buffer.data(), buffer.size());
        if (n < 0 || std::size_t(n) >= buffer.size())
            return false;
        const std::string link(buffer.data(), std::size_t(n));
        path = link[0] == '/' ? link : FolderOf(path) + "/" + link;
    }
    return false;
}

} // namespace

CAtomicOutput::~CAtomicOutput()
{
    Discard();
}

bool CAtomicOutput::Open(const std::string& path)
{
    Discard();
    failed_ = false;
    direct_ = false;
    error_.clear();
    if (path.empty()) {
        error_ = std::strerror(ENOENT);
        return false;
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        error_ = std::strerror(EISDIR);
        return false;
    }
    if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        // A device or a pipe (also behind a link, such as /dev/stdout) takes the bytes
        // as they come; there is nothing to replace.
        direct_ = true;
        target_ = path;
        file_ = std::fopen(path.c_str(), "wb");
        if (file_ == nullptr)
            error_ = std::strerror(errno);
        return file_ != nullptr;
    }
    if (!FollowLinks(path, target_)) {
        error_ = std::strerror(ELOOP);
        return false;
    }
    const bool exists = ::stat(target_.c_str(), &st) == 0;
    // A file that may not be written stays as it is, as it would if it were opened.
    if (exists && ::access(target_.c_str(), W_OK) != 0) {
        error_ = std::strerror(errno);
        return false;
    }
    std::string pattern = target_ + ".XXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        error_ = std::strerror(errno);
        return false;
    }
    if (exists) {
        ::fchmod(fd, st.st_mode & 07777);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
    file_ = ::fdopen(fd, "wb");
    if (file_ == nullptr) {
        error_ = std::strerror(errno);
        ::close(fd);
        ::unlink(pattern.c_str());
        return false;
    }
    temp_ = pattern;
    return true;
}

bool CAtomicOutput::Commit()
{
    if (file_ == nullptr) {
        if (error_.empty())
            error_ = "No file is open";
        return false;
    }
    int err = 0;
    if (std::fflush(file_) != 0 || std::ferror(file_))
        err = errno != 0 ? errno : EIO;
    else if (!direct_ && ::fsync(::fileno(file_)) != 0)
        err = errno;
    if (std::fclose(file_) != 0 && err == 0)
        err = errno;
    file_ = nullptr;
    if (err == 0 && !failed_ && !direct_ && std::rename(temp_.c_str(), target_.c_str()) != 0)
        err = errno;
    if (err != 0 || failed_) {
        error_ = err != 0 ? std::strerror(err) : "a write failed";
        Discard();
        return false;
    }
    if (!direct_) {
        // Make the rename itself durable.
        const int dir = ::open(FolderOf(target_).c_str(), O_RDONLY | O_DIRECTORY);
        if (dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
    }
    temp_.clear();
    return true;
}

void CAtomicOutput::Discard()
{
    if (file_ != nullptr)
        std::fclose(file_);
    file_ = nullptr;
    if (!temp_.empty())
        ::unlink(temp_.c_str());
    temp_.clear();
}
