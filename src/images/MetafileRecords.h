#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "images/ByteCursor.h"
#include "images/MetafileDevice.h"

// What the players of both metafile formats share in reading their records.

// Calls visit(kind, record) for every record before the end record; visit returns false
// to stop early. The cursor spans the whole record, its head already read (offsets
// inside a record count from its start). False when the records are malformed: a
// record shorter than its head or reaching past the data, or data that ends before the
// end record.
//
// Framing is the format's record head: kHeadBytes, the Kind of a record, the kEnd
// kind, and Head(cursor, kind), which reads the head and returns the record's length in
// bytes (head included).
template <class Framing, class Visit>
bool ForEachMetafileRecord(const std::uint8_t* data, std::size_t size, Visit&& visit)
{
    std::size_t pos = 0;
    // Every record moves pos on by at least its head, so the loop ends with the data.
    while (true) {
        if (size - pos < Framing::kHeadBytes)
            return false; // the data ends before the end record
        CByteCursor head(data + pos, Framing::kHeadBytes);
        typename Framing::Kind kind{};
        const std::uint64_t bytes = Framing::Head(head, kind);
        if (bytes < Framing::kHeadBytes || bytes > size - pos)
            return false;
        if (kind == Framing::kEnd)
            return true;
        CByteCursor record(data + pos, static_cast<std::size_t>(bytes));
        record.Skip(Framing::kHeadBytes);
        if (!visit(kind, record))
            return true;
        pos += static_cast<std::size_t>(bytes);
    }
}

// Plays every record with play(kind, record) until the end record or until the canvas's
// work budget is spent. False when the records are malformed.
template <class Framing, class Play>
bool PlayMetafileRecords(const std::uint8_t* data, std::size_t size, CMetafileDevice& device, Play&& play)
{
    return ForEachMetafileRecord<Framing>(data, size, [&](typename Framing::Kind kind, CByteCursor& record) {
        play(kind, record);
        return !device.Canvas().Exhausted();
    });
}

// A colour reference as the 0x00BBGGRR colour it names (the flags byte dropped).
inline std::uint32_t MetafileColour(std::uint32_t colorRef)
{
    return colorRef & 0xFFFFFF;
}

// The objects of the pen and brush records both formats share: a style (unknown
// styles draw solid), a width (its sign dropped) or hatch (unknown ones horizontal) and
// a colour reference.
MfObject MetafilePen(std::uint32_t style, double width, std::uint32_t colorRef);
MfObject MetafileBrush(std::uint32_t style, std::uint32_t colorRef, std::uint32_t hatch);

// The top row, in the picture's rows from the top, of a source rectangle a record gives
// for a bitmap: a bottom-up bitmap's is measured from its bottom-left corner. Worked
// out in 64 bits and clamped back into an int.
int SourceTop(const PixelBlock& pixels, bool topDown, std::int64_t ySrc, std::int64_t height);

// count points at the cursor, each two 16-bit (small) or 32-bit coordinates, into
// points. False (points then empty or partial) when the record does not hold them or
// they are more than CMetafileDevice::kMaxRecordPoints: checked before anything is
// reserved.
bool ReadMetafilePoints(CByteCursor& r, std::size_t count, bool small, std::vector<DPoint>& points);

// The logical font at the cursor: its fields of 16 bits (wide false) or 32 bits, then the
// face name of up to 32 bytes in the Western set (wide false) or 32 UTF-16 units, often
// cut short with the record. False when the fields are not all there.
bool ReadMetafileFont(CByteCursor& r, bool wide, MfFont& font);

// The characters of a text record: count bytes in the font's character set, or count
// 16-bit units (wide), at most CMetafileDevice::kMaxTextChars of them. advances, when
// given with one entry a byte or unit, ends with at most one a character: those of a
// character of two added up.
std::u32string ReadMetafileChars(const std::uint8_t* bytes, std::size_t count, bool wide, int charset,
                                 std::vector<double>* advances = nullptr);
