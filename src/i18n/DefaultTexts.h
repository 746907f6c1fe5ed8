#pragma once

#include <string>
#include <vector>

// The key catalogue of the user interface's translatable texts, in its fixed order,
// with the English text of each key: the fall-back of every language. A key's position
// in the catalogue is its index into every language's list of texts.

inline constexpr int kLanguageKeyCount = 182;

// The key at a catalogue position (0 .. kLanguageKeyCount - 1).
int LanguageKeyAt(int index);
// The catalogue position of a key, -1 for a key that is not in the catalogue.
int LanguageKeyIndex(int key);

// The English text of a key; nullptr for a key that is not in the catalogue. A key in
// the catalogue that has no text of its own (3025) gives "".
const char* DefaultText(int key);
// Every English text, by catalogue position.
std::vector<std::string> AllDefaultTexts();

// Message keys used by the core.
enum MessageKey : int {
    kMsgInvalidKeyword = 4000, // a line of Sleevit.dat with an unknown key; %s = the line
    kMsgSidewaysFrontInside = 4001,
    kMsgPlaystationBack = 4002,
    kMsgSidewaysDvd = 4003,
    kMsgOutsidePrintableArea = 4004,
    kMsgNoDiscTray = 8100,          // %s = the printer
    kMsgDiscMediaTypeOnly = 8101,   // %s = the printer
    kMsgCalibrationNotSaved = 8112, // %s = the settings file
    // Formats that cannot make a cover; %s = the format's name (its position for 8301).
    kMsgCatalogueEmpty = 8300,
    kMsgNoSuchFormat = 8301,
    kMsgUnusableSize = 8302,
    kMsgNothingToBorrow = 8303,
    kMsgUnusablePosition = 8304,
    kMsgCatalogueTooLarge = 8305, // %s = the file
};

// Other keys the core and the shell name.
enum TextKey : int {
    kTextSlogan = 1000,     // the caption after "Sleevit 1.14 - "
    kTextNoImage = 2006,    // the status line of a side without an image
    kTextAbout = 3029,      // the About entry; with the label clean-up, the about box caption
    kTextBatchCount = 6001, // %d = the number of images of a batch job
    kTextCalibrationMenu = 8102,
    kTextCalibrationPageMenu = 8103,
    kTextCalibrationTitle = 8104,
    kTextCalibrationPrinter = 8105,
    kTextCalibrationSheetX = 8106,
    kTextCalibrationSheetY = 8107,
    kTextCalibrationDiscX = 8108,
    kTextCalibrationDiscY = 8109,
    kTextCalibrationHelp = 8110,
    kTextDiscTrayNamed = 8111,      // %s = the printer's name for its disc tray
    kTextLoadFailed = 8200,         // followed by the file's name and the reason
    kTextLoadedInPart = 8201,       // followed by the file's name and what was wrong
    kTextMoreCatalogueLines = 8202, // %s = how many more bad catalogue lines were not shown
    kTextUserCatalogueSaved = 8203, // %s = where the user's catalogue copy was saved
    kTextCannotPrintSide = 8204,    // a side without a picture or a format
    kTextSilentPrintServer = 8205,  // %s = the print server
};

// Shown when Sleevit.dat cannot be opened; fixed, never translated.
inline constexpr const char* kNoConfigurationFileText =
    "No configuration file found. Please Reinstall Sleevit.";
