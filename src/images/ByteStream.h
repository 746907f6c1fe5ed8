#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// The source a decoder reads from: a file or a block of memory. Reads never go past
// the end; a short read returns what was there.
class CByteStream {
public:
    virtual ~CByteStream() = default;

    // Copies up to n bytes to dst and returns how many were copied.
    virtual std::size_t Read(void* dst, std::size_t n) = 0;
    // Moves to an absolute position; false (and no move) when it lies past the end.
    virtual bool Seek(std::uint64_t pos) = 0;
    virtual std::uint64_t Tell() const = 0;
    virtual std::uint64_t Size() const = 0;

    std::uint64_t Remaining() const { return Size() - Tell(); }
    bool Rewind() { return Seek(0); }
    // Exactly n bytes or false (the position is then unspecified).
    bool ReadExact(void* dst, std::size_t n) { return Read(dst, n) == n; }
    // The rest of the stream from the current position into out; false when it holds
    // more than maxBytes (nothing is then read).
    bool ReadRest(std::vector<std::uint8_t>& out, std::uint64_t maxBytes);
};

class CFileStream final : public CByteStream {
public:
    CFileStream() = default;
    ~CFileStream() override;
    CFileStream(const CFileStream&) = delete;
    CFileStream& operator=(const CFileStream&) = delete;

    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const { return file_ != nullptr; }

    std::size_t Read(void* dst, std::size_t n) override;
    bool Seek(std::uint64_t pos) override;
    std::uint64_t Tell() const override { return pos_; }
    std::uint64_t Size() const override { return size_; }

private:
    std::FILE* file_ = nullptr;
    std::uint64_t size_ = 0;
    std::uint64_t pos_ = 0;
};

// A read-only view of memory that outlives the stream.
class CMemoryStream final : public CByteStream {
public:
    CMemoryStream(const void* data, std::size_t size)
        : data_(static_cast<const std::uint8_t*>(data)), size_(size)
    {
    }

    std::size_t Read(void* dst, std::size_t n) override;
    bool Seek(std::uint64_t pos) override;
    std::uint64_t Tell() const override { return pos_; }
    std::uint64_t Size() const override { return size_; }

    // The bytes not yet read, for decoders that parse in place.
    const std::uint8_t* Current() const { return data_ + pos_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};
