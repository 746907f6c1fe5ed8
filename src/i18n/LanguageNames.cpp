#include "i18n/LanguageNames.h"

#include "i18n/MenuCommands.h"

const std::array<LanguageName, kLanguageCount> kLanguageNames = {{
    {0, "English", "English.lng"},      {1, "Dutch", "Dutch.lng"},
    {2, "Spanish", "Spanish.lng"},      {3, "Finnish", "Finnish.lng"},
    {4, "Swedish", "Swedish.lng"},      {5, "French", "French.lng"},
    {6, "German", "German.lng"},        {7, "Italian", "Italian.lng"},
    {8, "Danish", "Danish.lng"},        {9, "Mestreechs", "Mestreechs.lng"},
    {10, "Russian", "Russian.lng"},     {11, "Portuguese", "Portuguese.lng"},
    {12, "Estonian", "Estonian.lng"},   {13, "Polish", "Polish.lng"},
    {14, "Brazilian", "Brazilian.lng"}, {15, "Norwegian", "Norwegian.lng"},
    {16, "Greek", "Greek.lng"},         {17, "Turkish", "Turkish.lng"},
    {18, "Czech", "Czech.lng"},         {19, "Romanian", "Romanian.lng"},
    {20, "Hungarian", "Hungarian.lng"}, {21, "Latvian", "Latvian.lng"},
    {22, "Chinese", "Chinese.lng"},     {23, "Japanese", "Japanese.lng"},
    {24, "Catalan", "Catalan.lng"},     {25, "Translation", "Translation.lng"},
}};

const LanguageName* LanguageByCommand(int commandId)
{
    const MenuRow* row = MenuRowOfCommand(commandId);
    if (!row || row->language < 0)
        return nullptr;
    return &kLanguageNames[static_cast<std::size_t>(row->language)];
}
