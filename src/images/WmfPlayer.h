#pragma once

#include <cstddef>
#include <cstdint>

#include "images/ByteCursor.h"
#include "images/MetafileDevice.h"

// Plays the records of a metafile in the older 16-bit format onto a playing context.
//
// Every record is a 32-bit size in 16-bit words (the 6 bytes of size and function
// included), a 16-bit function and its parameters. A record shorter than 3 words or
// reaching past the data makes the file malformed; so does data that ends before the
// end record. Parameters a record lacks make that record be skipped.
//
// The picture frame takes the place of the viewport: the window that the records set
// is stretched over the whole picture, so records that move the viewport are read but
// change nothing. Text is drawn in the system font that best matches the file's font,
// its 8-bit characters read in that font's character set. Regions and palettes take
// their object slots and are otherwise ignored, as are records the player does not
// know.
class CWmfPlayer {
public:
    // objectSlots: the size of the object table, from the header.
    CWmfPlayer(CMetafileDevice& device, std::uint32_t objectSlots) : device_(device), objects_(objectSlots) {}

    // Plays the records that follow the header.
    bool Play(const std::uint8_t* records, std::size_t size);

    // Walks the records without drawing: false when they are malformed. Otherwise
    // windowFound tells whether a window extent was set (origin and extent then hold
    // the first ones set) and count holds the number of records.
    struct Scan {
        bool windowFound = false;
        DPoint windowOrg;
        DPoint windowExt;
        std::size_t count = 0;
    };
    static bool ScanRecords(const std::uint8_t* records, std::size_t size, Scan& scan);

private:
    void Record(std::uint16_t function, CByteCursor& r, std::size_t words);
    void CreateObject(const MfObject& object);
    void SelectObject(std::uint32_t index);
    void Bitmap(std::uint16_t function, CByteCursor& r, std::size_t words);
    void CreateFont(CByteCursor& r);
    void Text(std::uint16_t function, CByteCursor& r);

    CMetafileDevice& device_;
    CMetafileObjects objects_;
};
