#pragma once

#include <cstddef>
#include <cstdint>

#include "images/ByteCursor.h"
#include "images/MetafileDevice.h"

// Plays the records of an enhanced (32-bit) metafile onto a playing context.
//
// Every record is a 32-bit type, a 32-bit size in bytes (the 8 bytes of type and size
// included) and its parameters. A record shorter than 8 bytes or reaching past the data
// makes the file malformed; so does data that ends before the end record. Offsets
// inside a record (to embedded pictures) are checked against the record; a record
// whose counts or offsets do not fit it is skipped.
//
// Drawn: lines, rectangles, ellipses, arcs, polygons, curves (as short lines), paths,
// embedded pictures, clip rectangles, text (in the system font that best matches the
// file's font; 16-bit characters as UTF-16, 8-bit ones in the font's character set).
// Comments (and the richer records some
// writers put in them) are skipped; the plain records that follow them draw the
// picture.
class CEmfPlayer {
public:
    // The fields of the header record the decoder needs.
    struct Header {
        std::int32_t bounds[4] = {0, 0, 0, 0}; // left, top, right, bottom: device pixels, inclusive
        std::int32_t frame[4] = {0, 0, 0, 0};  // the same in hundredths of a millimetre
        std::uint32_t handles = 0;             // size of the object table
        std::int32_t devicePixels[2] = {0, 0}; // the reference device
        std::int32_t deviceMillimetres[2] = {0, 0};
        std::uint32_t size = 0; // bytes of the header record
    };
    // Whether the data starts with an enhanced metafile's header record.
    static bool HasSignature(const std::uint8_t* data, std::size_t size);
    // Reads the header record; false when it does not fit the data.
    static bool ReadHeader(const std::uint8_t* data, std::size_t size, Header& header);

    CEmfPlayer(CMetafileDevice& device, std::uint32_t objectSlots) : device_(device), objects_(objectSlots) {}

    // Plays the records that follow the header record.
    bool Play(const std::uint8_t* records, std::size_t size);
    // Walks the records without drawing: false when they are malformed.
    static bool Check(const std::uint8_t* records, std::size_t size);

private:
    void Record(std::uint32_t type, CByteCursor& r);
    void SelectObject(std::uint32_t index);
    void Poly(std::uint32_t type, CByteCursor& r);
    void PolyPoly(std::uint32_t type, CByteCursor& r);
    void ExtCreatePen(CByteCursor& r);
    void PatternBrush(CByteCursor& r);
    void BitBlt(std::uint32_t type, CByteCursor& r);
    void StretchDiBits(std::uint32_t type, CByteCursor& r);
    void ExtSelectClipRgn(CByteCursor& r);
    void CreateFont(CByteCursor& r);
    // Reads a text (reference point, characters, options, rectangle, advances) at r's
    // position; offsets count from the start of record. False when it does not fit.
    bool ReadText(const CByteCursor& record, CByteCursor& r, bool wide, MfText& text) const;
    void ExtTextOut(std::uint32_t type, CByteCursor& r);
    void PolyTextOut(std::uint32_t type, CByteCursor& r);
    void SmallTextOut(CByteCursor& r);
    // The picture at the given offsets of the record; false when they do not fit it.
    static bool ReadPicture(const CByteCursor& r, std::uint32_t offBmi, std::uint32_t cbBmi,
                            std::uint32_t offBits, std::uint32_t cbBits, std::uint32_t usage,
                            PixelBlock& pixels, bool* topDown);

    CMetafileDevice& device_;
    CMetafileObjects objects_;
};
