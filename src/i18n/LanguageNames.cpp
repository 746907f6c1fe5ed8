#include "i18n/LanguageNames.h"

const std::array<LanguageName, kLanguageCount> kLanguageNames = {{
    {0, "English", "English.lng", 32773, 3009, "English"},
    {1, "Dutch", "Dutch.lng", 32771, 3010, "Dutch"},
    {2, "Spanish", "Spanish.lng", 32776, 3013, "Spanish"},
    {3, "Finnish", "Finnish.lng", 32783, 3016, "Finnish"},
    {4, "Swedish", "Swedish.lng", 32782, 3015, "Swedish"},
    {5, "French", "French.lng", 32775, 3012, "French"},
    {6, "German", "German.lng", 32774, 3011, "German"},
    {7, "Italian", "Italian.lng", 32788, 3014, "Italian"},
    {8, "Danish", "Danish.lng", 32785, 3018, "Danish"},
    {9, "Mestreechs", "Mestreechs.lng", 32791, 3038, "Mestreechs (a Dutch dialect)"},
    {10, "Russian", "Russian.lng", 32792, 3032, "Russian"},
    {11, "Portuguese", "Portuguese.lng", 32786, 3019, "Portuguese"},
    {12, "Estonian", "Estonian.lng", 32800, 3039, "Estonian"},
    {13, "Polish", "Polish.lng", 32787, 3020, "Polish"},
    {14, "Brazilian", "Brazilian.lng", 32801, 3040, "Brazilian Portuguese"},
    {15, "Norwegian", "Norwegian.lng", 32784, 3017, "Norwegian"},
    {16, "Greek", "Greek.lng", 32798, 3034, "Greek"},
    {17, "Turkish", "Turkish.lng", 32799, 3035, "Turkish"},
    {18, "Czech", "Czech.lng", 32802, 3041, "Czech"},
    {19, "Romanian", "Romanian.lng", 32797, 3036, "Romanian"},
    {20, "Hungarian", "Hungarian.lng", 32796, 3037, "Hungarian"},
    {21, "Latvian", "Latvian.lng", 32807, 3043, "Latvian"},
    {22, "Chinese", "Chinese.lng", 32793, 3033, "Chinese"},
    {23, "Japanese", "Japanese.lng", 32818, 3050, "Japanese"},
    {24, "Catalan", "Catalan.lng", 32821, 3051, "Catalan"},
    {25, "Translation", "Translation.lng", kNoLanguageCommand, kNoLanguageCommand, ""},
}};

const LanguageName* LanguageByCommand(int commandId)
{
    if (commandId == kNoLanguageCommand)
        return nullptr;
    for (const LanguageName& language : kLanguageNames)
        if (language.commandId == commandId)
            return &language;
    return nullptr;
}
