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

constexpr MenuRow MenuPopup(int key, const char* text)
{
    return {MenuRow::Kind::Popup, 0, key, text};
}
constexpr MenuRow MenuItem(int id, int key, const char* text, int language = -1)
{
    return {MenuRow::Kind::Item, id, key, text, language};
}
inline constexpr MenuRow kMenuSeparator{};
inline constexpr MenuRow kMenuEnd{MenuRow::Kind::End};

// The Language submenu lists the languages in this order, not in their index order.
inline constexpr MenuRow kMainMenu[] = {
    MenuPopup(kMenuFile, "&File"),
    MenuItem(kCmdNew, 3001, "&New\tCtrl+N"),
    MenuItem(kCmdLoadLeft, 3030, "&Load Left Image..."),
    MenuItem(kCmdLoadRight, 3031, "Load &Right Image..."),
    kMenuSeparator,
    MenuItem(kCmdPrintLeft, 3048, "Print Left...\tCtrl+P"),
    MenuItem(kCmdPrintRight, 3049, "Print Right..."),
    MenuItem(kCmdPrintBoth, 3002, "&Print Both..."),
    MenuItem(kCmdPrintPreview, 3003, "Print Pre&view..."),
    MenuItem(kCmdPrintSetup, 3004, "P&rint Setup..."),
    MenuItem(kCmdCalibration, kTextCalibrationMenu, "Printer &Calibration..."),
    MenuItem(kCmdCalibrationPage, kTextCalibrationPageMenu, "Print Calibration &Page..."),
    kMenuSeparator,
    MenuItem(kCmdExit, 3005, "E&xit"),
    kMenuEnd,

    MenuPopup(kMenuOptions, "&Options"),
    MenuItem(kCmdOptions, 3007, "&Options..."),
    MenuPopup(kMenuSkins, "Skins"),
    MenuItem(kCmdSkinDefault, 3046, "Default"),
    MenuItem(kCmdSkinAlternative, 3047, "Alternative"),
    MenuItem(kCmdSkinRandom, 3052, "Random"),
    kMenuSeparator, // the skin folders follow
    kMenuEnd,
    MenuPopup(kMenuLanguage, "Language"),
    MenuItem(32773, 3009, "English", 0),
    MenuItem(32771, 3010, "Dutch", 1),
    MenuItem(32791, 3038, "Mestreechs (a Dutch dialect)", 9),
    MenuItem(32774, 3011, "German", 6),
    MenuItem(32775, 3012, "French", 5),
    MenuItem(32776, 3013, "Spanish", 2),
    MenuItem(32821, 3051, "Catalan", 24),
    MenuItem(32788, 3014, "Italian", 7),
    MenuItem(32782, 3015, "Swedish", 4),
    MenuItem(32783, 3016, "Finnish", 3),
    MenuItem(32784, 3017, "Norwegian", 15),
    MenuItem(32785, 3018, "Danish", 8),
    MenuItem(32786, 3019, "Portuguese", 11),
    MenuItem(32787, 3020, "Polish", 13),
    MenuItem(32792, 3032, "Russian", 10),
    MenuItem(32800, 3039, "Estonian", 12),
    MenuItem(32793, 3033, "Chinese", 22),
    MenuItem(32798, 3034, "Greek", 16),
    MenuItem(32799, 3035, "Turkish", 17),
    MenuItem(32797, 3036, "Romanian", 19),
    MenuItem(32796, 3037, "Hungarian", 20),
    MenuItem(32801, 3040, "Brazilian Portuguese", 14),
    MenuItem(32802, 3041, "Czech", 18),
    MenuItem(32807, 3043, "Latvian", 21),
    MenuItem(32818, 3050, "Japanese", 23),
    kMenuSeparator,
    MenuItem(kCmdMailLanguage, 3021, "Your Language here? Mail me..."),
    kMenuEnd,
    MenuPopup(kMenuRotate, "Rotate"),
    MenuItem(kCmdRotateLeft, 3023, "Left image 90 degrees"),
    MenuItem(kCmdRotateRight, 3024, "Right image 90 degrees"),
    kMenuEnd,
    MenuItem(kCmdFormatEditor, 3044, "Format Editor..."),
    kMenuEnd,

    MenuPopup(kMenuHelp, "&Help"),
    MenuItem(kCmdOnlineHelp, 3027, "Online Help..."),
    MenuItem(kCmdWebsite, 3028, "Sleevit website"),
    MenuItem(kCmdDonate, 3042, "&Donate to Author..."),
    kMenuSeparator,
    MenuItem(kCmdAbout, kTextAbout, "&About Sleevit..."),
    kMenuEnd,
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
