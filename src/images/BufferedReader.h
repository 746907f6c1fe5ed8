#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "images/ByteStream.h"

// Reads a stream byte by byte through a small buffer, so that decoders that take
// their input a few bytes at a time (run-length and LZW data) need not call the
// stream for every byte. Every read reports how much was really there; nothing is
// ever read past the end of the stream.
class CBufferedReader {
public:
    explicit CBufferedReader(CByteStream& in) : in_(in) {}
    CBufferedReader(const CBufferedReader&) = delete;
    CBufferedReader& operator=(const CBufferedReader&) = delete;

    // One byte, or false at the end of the stream.
    bool Byte(std::uint8_t& v)
    {
        if (pos_ == end_ && !Fill())
            return false;
        v = buf_[pos_++];
        return true;
    }

    // Up to n bytes into dst; returns how many were copied.
    std::size_t Read(std::uint8_t* dst, std::size_t n)
    {
        std::size_t done = 0;
        while (done < n) {
            if (pos_ == end_ && !Fill())
                break;
            const std::size_t take = std::min(n - done, end_ - pos_);
            std::memcpy(dst + done, buf_ + pos_, take);
            pos_ += take;
            done += take;
        }
        return done;
    }

    bool ReadExact(std::uint8_t* dst, std::size_t n) { return Read(dst, n) == n; }

    // Skips n bytes; false (position then unspecified) when fewer are left.
    bool Skip(std::uint64_t n)
    {
        const std::size_t buffered = end_ - pos_;
        if (n <= buffered) {
            pos_ += static_cast<std::size_t>(n);
            return true;
        }
        // What is not buffered is skipped in the stream itself; Tell() <= Size(), so the
        // sum cannot wrap unless n is near 2^64, which the Remaining() test excludes.
        const std::uint64_t rest = n - buffered;
        pos_ = end_ = 0;
        if (rest > in_.Remaining())
            return false;
        return in_.Seek(in_.Tell() + rest);
    }

    // The position in the stream of the next byte to be read, and a move back to one.
    std::uint64_t Tell() const { return in_.Tell() - (end_ - pos_); }
    bool Seek(std::uint64_t pos)
    {
        pos_ = end_ = 0;
        return in_.Seek(pos);
    }

    // Bytes left: those buffered plus those still in the stream.
    std::uint64_t Remaining() const { return (end_ - pos_) + in_.Remaining(); }

private:
    bool Fill()
    {
        pos_ = 0;
        end_ = in_.Read(buf_, sizeof buf_);
        return end_ > 0;
    }

    CByteStream& in_;
    std::uint8_t buf_[16384];
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
};
