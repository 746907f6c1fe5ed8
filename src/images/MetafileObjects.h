#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

// The drawing objects a metafile creates, selects and deletes, and the table that
// holds them while the metafile plays. Colours are 0x00BBGGRR throughout.

enum MfPenStyle : int {
    kPenSolid = 0,
    kPenDash = 1,
    kPenDot = 2,
    kPenDashDot = 3,
    kPenDashDotDot = 4,
    kPenNull = 5,
    kPenInsideFrame = 6,
};

enum MfBrushStyle : int {
    kBrushSolid = 0,
    kBrushNull = 1,
    kBrushHatched = 2,
    kBrushPattern = 3, // a picture pattern, shown in its average colour
};

struct MfPen {
    int style = kPenSolid;
    double width = 0;      // logical units; 0 is one device pixel at any scale
    bool cosmetic = false; // one device pixel whatever the width says
    std::uint32_t colour = 0;
};

struct MfBrush {
    int style = kBrushSolid;
    std::uint32_t colour = 0xFFFFFF;
    int hatch = 0; // 0 horizontal, 1 vertical, 2 down diagonal, 3 up diagonal, 4 cross, 5 diagonal cross
};

// A logical font: what the text records ask for; the system font that best matches it
// draws the text.
struct MfFont {
    // Logical units: negative is the character height (the em), positive the cell
    // height (ascent plus descent), 0 a default size.
    double height = 0;
    double width = 0;   // average character width, logical units; 0 is the font's own
    int escapement = 0; // angle of the baseline, tenths of a degree anticlockwise
    int weight = 400;   // 100 thin .. 400 normal .. 700 bold .. 900 black; 0 normal
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    int charset = 0;  // of 8-bit text: 0 Western, 2 symbol, 161 Greek, 204 Cyrillic, ...
    std::string face; // family name, UTF-8
};

struct MfObject {
    enum Kind { kEmpty, kPen, kBrush, kFont, kOther };
    Kind kind = kEmpty;
    MfPen pen;
    MfBrush brush;
    MfFont font;
};

// A table of objects with a fixed number of slots, given by the file's header. Slot
// numbers outside it are refused, never grown into; memory grows only with the
// objects really created, so a header promising many slots costs nothing.
class CMetafileObjects {
public:
    explicit CMetafileObjects(std::uint32_t slots) : slots_(slots) {}

    std::uint32_t Slots() const { return slots_; }

    // Puts the object into the lowest free slot (the rule of the older format) and
    // returns its number, or -1 when every slot is taken. The free slots are those
    // never used (from nextUnused_ on) and those deleted (in the heap, all below
    // nextUnused_), so the lowest is the heap's least or else nextUnused_.
    std::int64_t AddToFreeSlot(const MfObject& object)
    {
        std::uint32_t index;
        if (!freed_.empty()) {
            std::pop_heap(freed_.begin(), freed_.end(), std::greater<>());
            index = freed_.back();
            freed_.pop_back();
        } else if (nextUnused_ < slots_) {
            index = nextUnused_++;
        } else {
            return -1;
        }
        objects_[index] = object;
        return index;
    }

    // Puts the object into the slot the file names (the rule of the enhanced format).
    bool Put(std::uint32_t index, const MfObject& object)
    {
        if (index >= slots_)
            return false;
        objects_[index] = object;
        return true;
    }

    const MfObject* Get(std::uint32_t index) const
    {
        const auto it = objects_.find(index);
        return it == objects_.end() ? nullptr : &it->second;
    }

    void Delete(std::uint32_t index)
    {
        if (objects_.erase(index) == 0)
            return;
        if (index < nextUnused_) {
            freed_.push_back(index);
            std::push_heap(freed_.begin(), freed_.end(), std::greater<>());
        }
    }

private:
    std::uint32_t slots_;
    std::uint32_t nextUnused_ = 0;
    std::vector<std::uint32_t> freed_; // a min-heap
    std::unordered_map<std::uint32_t, MfObject> objects_;
};
