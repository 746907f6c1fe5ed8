#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// Limits every decoder checks a header against before it allocates anything.
struct ImageLimits {
    static constexpr std::int32_t kMaxSide = 32768;
    static constexpr std::uint64_t kMaxBlockBytes = std::uint64_t{1} << 30; // 1 GiB
    // How much of a block may stand for parts of a picture that its data never reaches
    // (a file cut short, a header claiming more than the file holds). Beyond this a
    // decoder keeps only the part the data fills, so a lying header costs little memory.
    static constexpr std::uint64_t kMaxUnfilledBytes = std::uint64_t{32} << 20; // 32 MiB
};

// One palette entry, in the byte order of a device-independent bitmap.
struct RgbQuad {
    std::uint8_t blue = 0;
    std::uint8_t green = 0;
    std::uint8_t red = 0;
    std::uint8_t reserved = 0;
};

// A device-independent bitmap in one allocation: a 40-byte header, the palette (2, 16
// or 256 entries for 1, 4 and 8 bits per pixel, none for 24), then the rows from the
// bottom row up, each padded to a multiple of 4 bytes.
class PixelBlock {
public:
    static constexpr std::size_t kHeaderSize = 40;

    PixelBlock() = default;
    PixelBlock(PixelBlock&&) noexcept = default;
    PixelBlock& operator=(PixelBlock&&) noexcept = default;
    PixelBlock(const PixelBlock&) = delete;
    PixelBlock& operator=(const PixelBlock&) = delete;

    // Rounds bpp up to 1, 4, 8 or 24 and allocates the block, pixels and palette
    // cleared to zero. Fails with "Image too large" for a side outside 1..32768 or a
    // block above 1 GiB, and with "CRasterImage::Create can't allocate memory" when
    // memory cannot be had; the block is then left as it was.
    bool Create(std::int64_t width, std::int64_t height, int bpp, std::string& error);
    void Reset();
    PixelBlock Clone() const;
    // Another handle on the same memory, which stays valid as long as the handle lives
    // even when this block goes: for a reader (a PDF page writing the picture later)
    // that may outlast the picture's owner. Meant for reading only.
    PixelBlock Share() const;

    bool IsValid() const { return data_ != nullptr; }
    std::int32_t Width() const { return width_; }
    std::int32_t Height() const { return height_; }
    int Bpp() const { return bpp_; }
    std::uint32_t Stride() const { return stride_; }
    int PaletteSize() const { return paletteSize_; }

    RgbQuad* Palette() { return reinterpret_cast<RgbQuad*>(data_.get() + kHeaderSize); }
    const RgbQuad* Palette() const { return reinterpret_cast<const RgbQuad*>(data_.get() + kHeaderSize); }

    // Pixel rows; row 0 is the bottom row, as stored.
    std::uint8_t* Bits() { return data_.get() + bitsOffset_; }
    const std::uint8_t* Bits() const { return data_.get() + bitsOffset_; }
    std::uint8_t* Row(std::int32_t fromBottom)
    {
        return Bits() + std::size_t{stride_} * static_cast<std::size_t>(fromBottom);
    }
    const std::uint8_t* Row(std::int32_t fromBottom) const
    {
        return Bits() + std::size_t{stride_} * static_cast<std::size_t>(fromBottom);
    }
    // The same rows counted from the top, which is how most files store them.
    std::uint8_t* TopRow(std::int32_t fromTop) { return Row(height_ - 1 - fromTop); }
    const std::uint8_t* TopRow(std::int32_t fromTop) const { return Row(height_ - 1 - fromTop); }

    std::size_t BitsSize() const { return std::size_t{stride_} * static_cast<std::size_t>(height_); }
    // The whole block: header, palette and rows.
    const std::uint8_t* Data() const { return data_.get(); }
    std::size_t DataSize() const { return bitsOffset_ + BitsSize(); }

    // Palette index (1, 4, 8 bits) or 0x00RRGGBB value (24 bits) of a pixel, with y
    // counted from the bottom. Coordinates outside the picture give 0.
    std::uint32_t GetPixel(std::int32_t x, std::int32_t yFromBottom) const;
    // Colour of a pixel as 0x00BBGGRR, y counted from the bottom.
    std::uint32_t GetColour(std::int32_t x, std::int32_t yFromBottom) const;

    static int RoundBpp(int bpp);
    static std::uint64_t StrideFor(std::int64_t width, int bpp);

private:
    struct FreeDeleter {
        void operator()(std::uint8_t* p) const;
    };
    std::shared_ptr<std::uint8_t> data_;
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    int bpp_ = 0;
    int paletteSize_ = 0;
    std::uint32_t stride_ = 0;
    std::size_t bitsOffset_ = 0;
};
