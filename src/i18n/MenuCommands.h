#pragma once

#include "i18n/DefaultTexts.h"

// The main window's menu as one table: every command and submenu in menu order, with
// its command id, the key of its text in the language files, its English text and the
// language it selects. The menu bar, the language files' English texts and defaults,
// the keyboard shortcuts and the language commands are all made from it.

// Commands the program answers by name. The language commands are numbered in the
// table only: one handler answers them all.
enum MenuCommandId : int {
    kCmdNew = 57600,
    kCmdLoadLeft = 32794,
    kCmdLoadRight = 32795,
    kCmdPrintLeft = 32816,
    kCmdPrintRight = 32817,
    kCmdPrintBoth = 57607,
    kCmdPrintPreview = 57609,
    kCmdPrintSetup = 57606,
    kCmdCalibration = 32850,
    kCmdCalibrationPage = 32851,
    kCmdExit = 57665,
    kCmdOptions = 32772,
    kCmdSkinDefault = 32809,
    kCmdSkinAlternative = 32810,
    kCmdSkinRandom = 32824,
    kCmdMailLanguage = 32789,
    kCmdRotateLeft = 32778,
    kCmdRotateRight = 32779,
    kCmdFormatEditor = 32805,
    kCmdOnlineHelp = 32780,
    kCmdWebsite = 32781,
    kCmdDonate = 32804,
    kCmdAbout = 57664,
};

// Submenus are named by the key of their text.
enum MenuPopupKey : int {
    kMenuFile = 3000,
    kMenuOptions = 3006,
    kMenuSkins = 3045,
    kMenuLanguage = 3008,
    kMenuRotate = 3022,
    kMenuHelp = 3026,
};

struct MenuRow {
    enum class Kind { Popup, Item, Separator, End }; // End closes the latest Popup
    Kind kind = Kind::Separator;
    int id = 0;            // an Item's command id
    int key = 0;           // the text's key in the language files (Popup, Item)
    const char* text = ""; // English; & before the access key, a tab before the shortcut
    int language = -1;     // the language an Item selects, -1 for none
};

namespace menu_rows {
constexpr MenuRow Popup(int key, const char* text)
{
    return {MenuRow::Kind::Popup, 0, key, text};
}
constexpr MenuRow Item(int id, int key, const char* text, int language = -1)
{
    return {MenuRow::Kind::Item, id, key, text, language};
}
inline constexpr MenuRow kSeparator{};
inline constexpr MenuRow kEnd{MenuRow::Kind::End};
} // namespace menu_rows

// The Language submenu lists the languages in this order, not in their index order.
inline constexpr MenuRow kMainMenu[] = {
    menu_rows::Popup(kMenuFile, "&File"),
    menu_rows::Item(kCmdNew, 3001, "&New\tCtrl+N"),
    menu_rows::Item(kCmdLoadLeft, 3030, "&Load Left Image..."),
    menu_rows::Item(kCmdLoadRight, 3031, "Load &Right Image..."),
    menu_rows::kSeparator,
    menu_rows::Item(kCmdPrintLeft, 3048, "Print Left...\tCtrl+P"),
    menu_rows::Item(kCmdPrintRight, 3049, "Print Right..."),
    menu_rows::Item(kCmdPrintBoth, 3002, "&Print Both..."),
    menu_rows::Item(kCmdPrintPreview, 3003, "Print Pre&view..."),
    menu_rows::Item(kCmdPrintSetup, 3004, "P&rint Setup..."),
    menu_rows::Item(kCmdCalibration, kTextCalibrationMenu, "Printer &Calibration..."),
    menu_rows::Item(kCmdCalibrationPage, kTextCalibrationPageMenu, "Print Calibration &Page..."),
    menu_rows::kSeparator,
    menu_rows::Item(kCmdExit, 3005, "E&xit"),
    menu_rows::kEnd,

    menu_rows::Popup(kMenuOptions, "&Options"),
    menu_rows::Item(kCmdOptions, 3007, "&Options..."),
    menu_rows::Popup(kMenuSkins, "Skins"),
    menu_rows::Item(kCmdSkinDefault, 3046, "Default"),
    menu_rows::Item(kCmdSkinAlternative, 3047, "Alternative"),
    menu_rows::Item(kCmdSkinRandom, 3052, "Random"),
    menu_rows::kSeparator, // the skin folders follow
    menu_rows::kEnd,
    menu_rows::Popup(kMenuLanguage, "Language"),
    menu_rows::Item(32773, 3009, "English", 0),
    menu_rows::Item(32771, 3010, "Dutch", 1),
    menu_rows::Item(32791, 3038, "Mestreechs (a Dutch dialect)", 9),
    menu_rows::Item(32774, 3011, "German", 6),
    menu_rows::Item(32775, 3012, "French", 5),
    menu_rows::Item(32776, 3013, "Spanish", 2),
    menu_rows::Item(32821, 3051, "Catalan", 24),
    menu_rows::Item(32788, 3014, "Italian", 7),
    menu_rows::Item(32782, 3015, "Swedish", 4),
    menu_rows::Item(32783, 3016, "Finnish", 3),
    menu_rows::Item(32784, 3017, "Norwegian", 15),
    menu_rows::Item(32785, 3018, "Danish", 8),
    menu_rows::Item(32786, 3019, "Portuguese", 11),
    menu_rows::Item(32787, 3020, "Polish", 13),
    menu_rows::Item(32792, 3032, "Russian", 10),
    menu_rows::Item(32800, 3039, "Estonian", 12),
    menu_rows::Item(32793, 3033, "Chinese", 22),
    menu_rows::Item(32798, 3034, "Greek", 16),
    menu_rows::Item(32799, 3035, "Turkish", 17),
    menu_rows::Item(32797, 3036, "Romanian", 19),
    menu_rows::Item(32796, 3037, "Hungarian", 20),
    menu_rows::Item(32801, 3040, "Brazilian Portuguese", 14),
    menu_rows::Item(32802, 3041, "Czech", 18),
    menu_rows::Item(32807, 3043, "Latvian", 21),
    menu_rows::Item(32818, 3050, "Japanese", 23),
    menu_rows::kSeparator,
    menu_rows::Item(kCmdMailLanguage, 3021, "Your Language here? Mail me..."),
    menu_rows::kEnd,
    menu_rows::Popup(kMenuRotate, "Rotate"),
    menu_rows::Item(kCmdRotateLeft, 3023, "Left image 90 degrees"),
    menu_rows::Item(kCmdRotateRight, 3024, "Right image 90 degrees"),
    menu_rows::kEnd,
    menu_rows::Item(kCmdFormatEditor, 3044, "Format Editor..."),
    menu_rows::kEnd,

    menu_rows::Popup(kMenuHelp, "&Help"),
    menu_rows::Item(kCmdOnlineHelp, 3027, "Online Help..."),
    menu_rows::Item(kCmdWebsite, 3028, "Sleevit website"),
    menu_rows::Item(kCmdDonate, 3042, "&Donate to Author..."),
    menu_rows::kSeparator,
    menu_rows::Item(kCmdAbout, kTextAbout, "&About Sleevit..."),
    menu_rows::kEnd,
};

// How many rows carry a translatable text.
constexpr int MenuTextCount()
{
    int count = 0;
    for (const MenuRow& row : kMainMenu) {
        count += row.key != 0 ? 1 : 0;
    }
    return count;
}

// The row of a command; nullptr when the menu has none.
const MenuRow* MenuRowOfCommand(int id);
// The command that selects a language; 0 for a language without one (Translation).
int LanguageCommand(int language);
// The keyboard shortcut of a row: the name after the tab of its English text ("" for none).
const char* MenuShortcut(const MenuRow& row);
