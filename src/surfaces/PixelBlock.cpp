#include "surfaces/PixelBlock.h"

#include <cstdlib>
#include <cstring>

void PixelBlock::FreeDeleter::operator()(std::uint8_t* p) const
{
    std::free(p);
}

int PixelBlock::RoundBpp(int bpp)
{
    if (bpp <= 1)
        return 1;
    if (bpp <= 4)
        return 4;
    if (bpp <= 8)
        return 8;
    return 24;
}

std::uint64_t PixelBlock::StrideFor(std::int64_t width, int bpp)
{
    // width is at most 32768 and bpp at most 24 here, far from overflowing 64 bits.
    return (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(bpp) + 31) / 32 * 4;
}

static void WriteLe32(std::uint8_t* p, std::uint32_t v)
{
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v >> 16);
    p[3] = static_cast<std::uint8_t>(v >> 24);
}

bool PixelBlock::Create(std::int64_t width, std::int64_t height, int bpp, std::string& error)
{
    if (width < 1 || height < 1 || width > ImageLimits::kMaxSide || height > ImageLimits::kMaxSide) {
        error = "Image too large";
        return false;
    }
    const int bits = RoundBpp(bpp);
    const int colours = bits == 24 ? 0 : 1 << bits;
    const std::uint64_t stride = StrideFor(width, bits);
    // Both sides are at most 32768, so stride * height stays below 2^47.
    const std::uint64_t rows = stride * static_cast<std::uint64_t>(height);
    const std::uint64_t total = kHeaderSize + std::uint64_t(colours) * 4 + rows;
    if (total > ImageLimits::kMaxBlockBytes) {
        error = "Image too large";
        return false;
    }
    auto* mem = static_cast<std::uint8_t*>(std::calloc(1, static_cast<std::size_t>(total)));
    if (mem == nullptr) {
        error = "CRasterImage::Create can't allocate memory";
        return false;
    }
    data_.reset(mem, FreeDeleter{});
    width_ = static_cast<std::int32_t>(width);
    height_ = static_cast<std::int32_t>(height);
    bpp_ = bits;
    paletteSize_ = colours;
    stride_ = static_cast<std::uint32_t>(stride);
    bitsOffset_ = kHeaderSize + std::size_t(colours) * 4;

    // The header of a device-independent bitmap, so the block can be handed on as is.
    std::uint8_t* h = mem;
    WriteLe32(h + 0, 40);
    WriteLe32(h + 4, static_cast<std::uint32_t>(width_));
    WriteLe32(h + 8, static_cast<std::uint32_t>(height_));
    h[12] = 1; // planes
    h[14] = static_cast<std::uint8_t>(bits);
    WriteLe32(h + 20, static_cast<std::uint32_t>(rows));
    WriteLe32(h + 32, static_cast<std::uint32_t>(colours));
    return true;
}

void PixelBlock::Reset()
{
    data_.reset();
    width_ = height_ = 0;
    bpp_ = paletteSize_ = 0;
    stride_ = 0;
    bitsOffset_ = 0;
}

PixelBlock PixelBlock::Clone() const
{
    PixelBlock copy;
    if (!IsValid())
        return copy;
    std::string ignored;
    if (copy.Create(width_, height_, bpp_, ignored))
        std::memcpy(copy.data_.get(), data_.get(), DataSize());
    return copy;
}

PixelBlock PixelBlock::Share() const
{
    PixelBlock view;
    view.data_ = data_;
    view.width_ = width_;
    view.height_ = height_;
    view.bpp_ = bpp_;
    view.paletteSize_ = paletteSize_;
    view.stride_ = stride_;
    view.bitsOffset_ = bitsOffset_;
    return view;
}

std::uint32_t PixelBlock::GetPixel(std::int32_t x, std::int32_t yFromBottom) const
{
    if (!IsValid() || x < 0 || yFromBottom < 0 || x >= width_ || yFromBottom >= height_)
        return 0;
    const std::uint8_t* row = Row(yFromBottom);
    switch (bpp_) {
    case 1:
        return (row[x >> 3] >> (7 - (x & 7))) & 1u;
    case 4:
        return (x & 1) ? (row[x >> 1] & 0x0Fu) : (row[x >> 1] >> 4);
    case 8:
        return row[x];
    default: {
        const std::uint8_t* p = row + std::size_t(x) * 3;
        return (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
    }
    }
}

std::uint32_t PixelBlock::GetColour(std::int32_t x, std::int32_t yFromBottom) const
{
    const std::uint32_t v = GetPixel(x, yFromBottom);
    if (bpp_ == 24)
        return ((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF);
    if (!IsValid() || static_cast<int>(v) >= paletteSize_)
        return 0;
    const RgbQuad q = Palette()[v];
    return (std::uint32_t{q.blue} << 16) | (std::uint32_t{q.green} << 8) | q.red;
}
