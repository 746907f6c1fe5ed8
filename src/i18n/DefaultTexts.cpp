#include "i18n/DefaultTexts.h"

namespace {
struct KeyText {
    int key;
    const char* text;
};

const KeyText kDefaults[] = {
    {4000, "Invalid keyword in configuration file : \n%s\nThe line will be ignored..."},
    {4001, "The selected image seems to be a horizontal oriented\nfront + inside cover which is not "
           "(natively) supported\nby Sleevit. The image will be rotated 90 degrees..."},
    {4002, "The selected image seems to be a Playstation back cover.\n Automatically convert it to fit "
           "better in a standard jewel case ?"},
    {4003, "The selected image seems to be a horizontal oriented\nDVD cover which will not fit on a A4 or "
           "Letter\nPage. Shall I rotate the image 90 degrees ?"},
    {4004, "The cover is (partly) positioned outside the printable area of your printer.\nIt will be "
           "corrected automatically. Please check your configuration file..."},
};
}  // namespace

const char* DefaultText(int key)
{
    for (const KeyText& entry : kDefaults)
        if (entry.key == key)
            return entry.text;
    return nullptr;
}
