#include "images/BmpDecoder.h"

#include <algorithm>

#include "images/ByteCursor.h"
#include "images/DibReader.h"

namespace {

constexpr char kNotBmp[] = "Not a BMP";
constexpr char kBadHeader[] = "Bad BMP header";
constexpr char kUnsupported[] = "Unsupported BMP";
constexpr char kTruncated[] = "Truncated BMP";
constexpr char kTooLarge[] = "Image too large";

using Holder = CDibReader::Holder;
using Fault = CDibReader::Fault;

// The most header, masks and colour table can take: a 124-byte header, 16 bytes of
// masks and 256 entries of 4 bytes.
constexpr std::size_t kMaxInfoBytes = 124 + 16 + 256 * 4;

const char* Message(Fault fault)
{
    switch (fault) {
    case Fault::kBadHeader:
        return kBadHeader;
    case Fault::kUnsupported:
        return kUnsupported;
    case Fault::kTooLarge:
        return kTooLarge;
    default:
        return kTruncated;
    }
}

bool Failed(Fault fault, std::string& error)
{
    if (fault != Fault::kNoBlock) // the block's own message is already there
        error = Message(fault);
    return false;
}

// The common part of files and icons: header at the stream's position. pixelOffset is
// the absolute position of the rows (files), or 0 when they follow the palette (icons).
bool DecodeDib(CByteStream& in, std::uint64_t pixelOffset, Holder holder, DecodedImage& out,
               CBmpDecoder::IconExtra* extra, std::string& error)
{
    const std::uint64_t headerStart = in.Tell();
    std::uint8_t info[kMaxInfoBytes];
    const std::size_t got = in.Read(info, sizeof info);
    CDibReader::Layout h;
    if (const Fault f = CDibReader::ReadLayout(info, got, holder, CDibReader::kRgbColours, h);
        f != Fault::kNone)
        return Failed(f, error);

    const std::uint64_t paletteStart = headerStart + h.tableOffset;
    if (pixelOffset != 0) {
        if (pixelOffset < paletteStart)
            return Failed(Fault::kBadHeader, error);
        // A palette shorter than its header says ends where the rows begin.
        const std::uint64_t room = (pixelOffset - paletteStart) / h.entrySize;
        h.tableEntries = static_cast<std::uint32_t>(std::min<std::uint64_t>(h.tableEntries, room));
    }
    if (h.BlockBytes() > ImageLimits::kMaxBlockBytes)
        return Failed(Fault::kTooLarge, error); // before the data check: the header alone rules the file out
    const std::uint64_t dataStart =
        pixelOffset != 0 ? pixelOffset : paletteStart + h.TableEnd() - h.tableOffset;
    if (dataStart > in.Size() || !in.Seek(dataStart))
        return Failed(Fault::kTruncated, error);

    CDibReader::Pixels pixels;
    // The table lies inside what was read: at most 256 entries, before the rows.
    const std::size_t tableSize = got - std::min(got, h.tableOffset);
    if (const Fault f = CDibReader::ReadPixels(h, info + std::min(got, h.tableOffset), tableSize,
                                               CDibReader::kRgbColours, in, pixels, error);
        f != Fault::kNone)
        return Failed(f, error);
    if (holder == Holder::kIcon && !h.Rle()) {
        // Step over the last row's padding to where the mask starts (it may be missing).
        in.Seek(std::min(dataStart + h.stride * static_cast<std::uint64_t>(h.height), in.Size()));
    }
    if (extra != nullptr) {
        extra->alphaUsed = pixels.alphaUsed;
        extra->alpha = std::move(pixels.alpha);
    }
    out.pixels = std::move(pixels.block);
    out.partial = pixels.notice != nullptr ? pixels.notice : out.partial;
    out.xDpi = h.xDpi;
    out.yDpi = h.yDpi;
    return true;
}

} // namespace

bool CBmpDecoder::Decode(CByteStream& in, DecodedImage& out, std::string& error)
{
    const std::uint64_t base = in.Tell();
    std::uint8_t fh[14];
    if (!in.ReadExact(fh, sizeof fh) || fh[0] != 'B' || fh[1] != 'M') {
        error = kNotBmp;
        return false;
    }
    // The rows' offset counts from the file header; base <= Size(), so no wrap.
    CByteCursor head(fh + 10, 4);
    const std::uint64_t offset = base + head.U32();
    if (offset < base + sizeof fh + 12) {
        error = kBadHeader;
        return false;
    }
    return DecodeDib(in, offset, Holder::kFile, out, nullptr, error);
}

bool CBmpDecoder::DecodeIconImage(CByteStream& in, DecodedImage& out, IconExtra& extra, std::string& error)
{
    return DecodeDib(in, 0, Holder::kIcon, out, &extra, error);
}
