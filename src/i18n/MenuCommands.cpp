#include "i18n/MenuCommands.h"

#include <cstring>

const MenuRow* MenuRowOfCommand(int id)
{
    for (const MenuRow& row : kMainMenu)
        if (row.kind == MenuRow::Kind::Item && row.id == id)
            return &row;
    return nullptr;
}

int LanguageCommand(int language)
{
    for (const MenuRow& row : kMainMenu)
        if (row.language >= 0 && row.language == language)
            return row.id;
    return 0;
}

const char* MenuShortcut(const MenuRow& row)
{
    const char* tab = std::strchr(row.text, '\t');
    return tab ? tab + 1 : "";
}
