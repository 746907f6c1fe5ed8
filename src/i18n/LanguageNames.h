#pragma once

#include <array>

// The 26 languages of the user interface. The index is the one of the "Language"
// setting, the language commands and the language table; it is not the order of the
// Language menu, and Translation has no menu entry. The name is also the stem of the
// language file's name.
struct LanguageName {
    int index;
    const char* name;
    const char* fileName;
};

inline constexpr int kLanguageCount = 26;
inline constexpr int kEnglishLanguage = 0;
inline constexpr int kTranslationLanguage = 25;

extern const std::array<LanguageName, kLanguageCount> kLanguageNames;

// The language a menu command selects (the menu table says which); nullptr for a
// command that selects none.
const LanguageName* LanguageByCommand(int commandId);
