#include "i18n/DefaultTexts.h"

#include <algorithm>
#include <array>
#include <iterator>

#include "i18n/MenuCommands.h"

namespace {
struct KeyText {
    int key;
    const char* text;
};

// The texts besides the menu's (those are in the menu table). The catalogue is both in
// key order: 1000; 2004-2009; 3000-3052; 4000-4004; 5000-5019; 6000-6005; 7000-7031;
// 8000-8051; 8100-8112; 8200-8205; 8300-8305. The texts are used as they stand
// (translators and saved language files refer to them), odd spacing included.
constexpr KeyText kOwnTexts[] = {
    {1000, "Print your own CD and DVD covers"},

    {2004, "Print on a Single Page"},
    {2005, "Draw Cut / Fold lines"},
    {2006, "no image selected"},
    {2007, "Print Left"},
    {2008, "Print Both"},
    {2009, "Print Right"},

    {3025, ""}, // kept for old language files; no entry of the menu shows it

    {4000, "Invalid keyword in configuration file : \n%s\nThe line will be ignored..."},
    {4001, "The selected image seems to be a horizontal oriented\nfront + inside cover which is not "
           "(natively) supported\nby Sleevit. The image will be rotated 90 degrees..."},
    {4002, "The selected image seems to be a Playstation back cover.\n Automatically convert it to fit "
           "better in a standard jewel case ?"},
    {4003, "The selected image seems to be a horizontal oriented\nDVD cover which will not fit on a A4 or "
           "Letter\nPage. Shall I rotate the image 90 degrees ?"},
    {4004, "The cover is (partly) positioned outside the printable area of your printer.\nIt will be "
           "corrected automatically. Please check your configuration file..."},

    {5000, "Select the image you want to use for the cover"},
    {5001, "Image Information / Preview"},
    {5002, "Resolution"},
    {5003, "ColorDepth"},
    {5004, "FileSize"},
    {5005, "Show preview"},
    {5006, "All Supported Graphic Formats"},
    {5007, "All Files"},
    {5008, "Options"},
    {5009, "Automatically correct orientation when loading covers."},
    {5010, "Dummy print job name (for printing at the office ;-)"},
    {5011, "Reload previous covers on startup."},
    {5012, "Try to load matching cover (if possible, based on keywords in the file name)."},
    {5013, "Left:"},
    {5014, "Right:"},
    {5015, "Show Splash screen."},
    {5016, "Correct if a cover is positioned outside the printable area."},
    {5017, "Enable Batch Mode"},
    {5018, "Automatically detect format of loaded images."},
    {5019, "Draw a border around the covers"},

    {6000, "Batch Printing"},
    {6001, "Starting batch job. Printing %d images..."},
    {6002, "Auto detect the format of every single file."},
    {6003, "Force format:"},
    {6004, "Print"},
    {6005, "Cancel"},

    {7000, "Format Editor"},
    {7001, "Remove"},
    {7002, "Add"},
    {7003, "Copy"},
    {7004, "Move up"},
    {7005, "Move down"},
    {7006, "Name:"},
    {7007, "Internal type:"},
    {7008, "Label"},
    {7009, "Hole Size:"},
    {7010, "Remap"},
    {7011, "Alternative Spine width"},
    {7012, "Value:"},
    {7013, "Autodetect"},
    {7014, "Cut markers / fold lines:"},
    {7015, "Add line"},
    {7016, "Add rectangle"},
    {7017, "Edit"},
    {7018, "Delete"},
    {7019, "Left position"},
    {7020, "Right position"},
    {7021, "Automatic"},
    {7022, "Manual"},
    {7023, "Size (applies to both positions)"},
    {7024, "Width:"},
    {7025, "Height:"},
    {7026, "Paper (Tray) size"},
    {7027, "Dimensions"},
    {7028, "Inches"},
    {7029, "Millimeters"},
    {7030, "Ok"},
    {7031, "Cancel"},

    // The printing windows, the donation dialog, the single-page overlap question and
    // the format editor's cut line dialog.
    {8000, "Printing"},
    {8001, "Cancel"},
    {8002, "Page %d"},
    {8003, "Could not start print job."},
    {8004, "Print Preview"},
    {8005, "&Print..."},
    {8006, "&Next Page"},
    {8007, "Pre&v Page"},
    {8008, "&Two Page"},
    {8009, "&One Page"},
    {8010, "Zoom &In"},
    {8011, "Zoom &Out"},
    {8012, "&Close"},
    {8020, "Donate to Sleevit"},
    {8021, "Sleevit is free: you may use it, copy it and give it away without paying anything."},
    {8022,
     "If it saves you time, a donation of any size helps keep its development going: new cover formats, "
     "languages and fixes."},
    {8023, "Show this at start-up"},
    {8024, "OK"},
    {8030, "The two covers overlap on a single page. Print them on two pages instead?"},
    {8031, "Two Pages"},
    {8032, "Print Anyway"},
    {8033, "Cancel"},
    {8040, "Cut Line"},
    {8041, "Cut Rectangle"},
    {8042, "Between two points"},
    {8043, "From:"},
    {8044, "To:"},
    {8045, "Along an edge:"},
    {8046, "Left, top:"},
    {8047, "Width, height:"},
    {8048, "Dashed"},
    {8049, "OK"},
    {8050, "Cancel"},
    {8051, "A format holds at most ten lines and ten rectangles."},
    {8100, "The printer %s has no disc tray. Nothing was printed."},
    {8101, "The printer %s has no disc tray, only a media type for discs: the disc is printed "
           "on an ordinary sheet, and where it lands on the disc is up to the printer."},
    {8104, "Printer Calibration"},
    {8105, "Printer:"},
    {8106, "Sheets: move right (mm)"},
    {8107, "Sheets: move down (mm)"},
    {8108, "Discs: move right (mm)"},
    {8109, "Discs: move down (mm)"},
    {8110, "Print the calibration page, measure with a ruler how far the centre cross lies from "
           "the middle of the sheet (or of the disc), and enter the opposite here."},
    {8111, "Disc tray: %s"},
    {8112, "The calibration cannot be saved in %s."},
    {8200, "This picture could not be loaded; the side keeps what it had:"},
    {8201, "This picture could be loaded only in part; what is missing stays blank:"},
    {8202, "%s more lines of the catalogue were ignored as well."},
    {8203, "The program's catalogue cannot be changed, so your cover formats were saved in\n%s\nSleevit "
           "reads them from there from now on."},
    {8204, "Load a picture and choose its cover format before printing this side."},
    {8205, "The print server %s does not answer. Its printers cannot be used until Sleevit is "
           "started again; printing to a PDF file still works."},
    {8300, "There is no cover format to print with: the format catalogue is empty."},
    {8301, "There is no cover format number %s in the catalogue."},
    {8302, "The cover format \"%s\" cannot be printed: its size must be between 1 mm and 5 m."},
    {8303, "The cover format \"%s\" cannot be printed: a PlayStation format without a size of its own "
           "takes the second format's, and the catalogue has no second format."},
    {8304, "The cover format \"%s\" cannot be printed: its position or hole size is not a usable "
           "number."},
    {8305, "The format catalogue %s is larger than 64 MB and was not read."},
};

static_assert(std::size(kOwnTexts) + MenuTextCount() == kLanguageKeyCount,
              "kLanguageKeyCount counts the menu's texts and the others");

constexpr std::array<KeyText, kLanguageKeyCount> MergeCatalogue()
{
    std::array<KeyText, kLanguageKeyCount> all{};
    std::size_t n = 0;
    for (const KeyText& own : kOwnTexts)
        all[n++] = own;
    for (const MenuRow& row : kMainMenu)
        if (row.key != 0)
            all[n++] = KeyText{row.key, row.text};
    std::sort(all.begin(), all.end(), [](const KeyText& a, const KeyText& b) { return a.key < b.key; });
    return all;
}

constexpr std::array<KeyText, kLanguageKeyCount> kCatalogue = MergeCatalogue();

static_assert(std::adjacent_find(kCatalogue.begin(), kCatalogue.end(),
                                 [](const KeyText& a, const KeyText& b) { return a.key == b.key; }) ==
                  kCatalogue.end(),
              "every key has one text");
} // namespace

int LanguageKeyAt(int index)
{
    if (index < 0 || index >= kLanguageKeyCount)
        return -1;
    return kCatalogue[static_cast<std::size_t>(index)].key;
}

int LanguageKeyIndex(int key)
{
    for (std::size_t i = 0; i < kCatalogue.size(); ++i)
        if (kCatalogue[i].key == key)
            return static_cast<int>(i);
    return -1;
}

const char* DefaultText(int key)
{
    const int index = LanguageKeyIndex(key);
    return index < 0 ? nullptr : kCatalogue[static_cast<std::size_t>(index)].text;
}

std::vector<std::string> AllDefaultTexts()
{
    std::vector<std::string> texts;
    texts.reserve(kCatalogue.size());
    for (const KeyText& entry : kCatalogue)
        texts.emplace_back(entry.text);
    return texts;
}
