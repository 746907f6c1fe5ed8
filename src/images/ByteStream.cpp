#include "images/ByteStream.h"

#include <algorithm>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool CByteStream::ReadRest(std::vector<std::uint8_t>& out, std::uint64_t maxBytes)
{
    const std::uint64_t rest = Remaining();
    if (rest > maxBytes)
        return false;
    out.resize(static_cast<std::size_t>(rest));
    return out.empty() || ReadExact(out.data(), out.size());
}

CFileStream::~CFileStream()
{
    Close();
}

bool CFileStream::Open(const std::string& path)
{
    Close();
    // Opened without blocking, so that a named pipe given a picture's name cannot hang
    // the program waiting for a writer; a folder opens on Linux but cannot be read. Only
    // regular files count as opened.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return false;
    }
    file_ = fdopen(fd, "rb");
    if (file_ == nullptr) {
        ::close(fd);
        return false;
    }
    if (std::fseek(file_, 0, SEEK_END) != 0) {
        Close();
        return false;
    }
    const long end = std::ftell(file_);
    if (end < 0 || std::fseek(file_, 0, SEEK_SET) != 0) {
        Close();
        return false;
    }
    size_ = static_cast<std::uint64_t>(end);
    pos_ = 0;
    return true;
}

void CFileStream::Close()
{
    if (file_ != nullptr)
        std::fclose(file_);
    file_ = nullptr;
    size_ = 0;
    pos_ = 0;
}

std::size_t CFileStream::Read(void* dst, std::size_t n)
{
    if (file_ == nullptr || n == 0)
        return 0;
    const std::size_t got = std::fread(dst, 1, n, file_);
    pos_ += got;
    return got;
}

bool CFileStream::Seek(std::uint64_t pos)
{
    if (file_ == nullptr || pos > size_)
        return false;
    if (std::fseek(file_, static_cast<long>(pos), SEEK_SET) != 0)
        return false;
    pos_ = pos;
    return true;
}

std::size_t CMemoryStream::Read(void* dst, std::size_t n)
{
    const std::size_t got = std::min(n, size_ - pos_);
    if (got > 0)
        std::memcpy(dst, data_ + pos_, got);
    pos_ += got;
    return got;
}

bool CMemoryStream::Seek(std::uint64_t pos)
{
    if (pos > size_)
        return false;
    pos_ = static_cast<std::size_t>(pos);
    return true;
}
