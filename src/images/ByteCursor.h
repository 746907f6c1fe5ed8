#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// The little-endian reader of every decoder: a cursor over a span of bytes (a file
// header, a metafile record, a row of pixels). Every read first checks that the bytes
// are there; a read past the end returns 0 and marks the cursor as failed, so a parser
// can read all its fields and test Ok() once.
class CByteCursor {
public:
    CByteCursor(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool Ok() const { return ok_; }
    std::size_t Size() const { return size_; }
    std::size_t Tell() const { return pos_; }
    std::size_t Remaining() const { return size_ - pos_; }
    const std::uint8_t* Data() const { return data_; }

    bool Has(std::size_t n) const { return n <= size_ - pos_; }

    bool Skip(std::size_t n)
    {
        if (!Has(n))
            return Fail();
        pos_ += n;
        return true;
    }

    bool Seek(std::size_t pos)
    {
        if (pos > size_)
            return Fail();
        pos_ = pos;
        return true;
    }

    std::uint8_t U8()
    {
        if (!Has(1))
            return Failed<std::uint8_t>();
        return data_[pos_++];
    }

    std::uint16_t U16()
    {
        if (!Has(2))
            return Failed<std::uint16_t>();
        const std::uint16_t v = static_cast<std::uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
        pos_ += 2;
        return v;
    }

    std::int16_t S16() { return static_cast<std::int16_t>(U16()); }

    std::uint32_t U32()
    {
        if (!Has(4))
            return Failed<std::uint32_t>();
        const std::uint32_t v = std::uint32_t{data_[pos_]} | (std::uint32_t{data_[pos_ + 1]} << 8) |
                                (std::uint32_t{data_[pos_ + 2]} << 16) |
                                (std::uint32_t{data_[pos_ + 3]} << 24);
        pos_ += 4;
        return v;
    }

    std::int32_t S32() { return static_cast<std::int32_t>(U32()); }

    float F32()
    {
        const std::uint32_t bits = U32();
        float f;
        static_assert(sizeof f == sizeof bits);
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }

    // A sub-reader over the next n bytes (empty and failed when they are not there).
    CByteCursor Sub(std::size_t n)
    {
        if (!Has(n)) {
            Fail();
            CByteCursor empty(data_, 0);
            empty.ok_ = false;
            return empty;
        }
        CByteCursor sub(data_ + pos_, n);
        pos_ += n;
        return sub;
    }

private:
    template <class T> T Failed()
    {
        ok_ = false;
        return T{};
    }

    bool Fail()
    {
        ok_ = false;
        return false;
    }

    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};
