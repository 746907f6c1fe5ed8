#pragma once

#include <string>
#include <vector>

// The key catalogue of the user interface's translatable texts, in its fixed order,
// with the English text of each key: the fall-back of every language. A key's position
// in the catalogue is its index into every language's list of texts.

inline constexpr int kLanguageKeyCount = 128;

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
};

// Other keys the core and the shell name.
enum TextKey : int {
    kTextSlogan = 1000,             // the caption after "Sleevit 1.14 - "
    kTextNoImage = 2006,            // the status line of a side without an image
    kTextAbout = 3029,              // the About entry; with the label clean-up, the about box caption
    kTextBatchCount = 6001,         // %d = the number of images of a batch job
    kTextLoadFailed = 8200,         // followed by the file's name and the reason
    kTextLoadedInPart = 8201,       // followed by the file's name and what was wrong
    kTextMoreCatalogueLines = 8202, // %s = how many more bad catalogue lines were not shown
    kTextUserCatalogueSaved = 8203, // %s = where the user's catalogue copy was saved
    kTextCannotPrintSide = 8204,    // a side without a picture or a format
};

// Shown when Sleevit.dat cannot be opened; fixed, never translated.
inline constexpr const char* kNoConfigurationFileText =
    "No configuration file found. Please Reinstall Sleevit.";
