#pragma once

#include <optional>
#include <string>
#include <vector>

// A menu bar described as data (resources/menus/<id>.menu):
//
//   POPUP "<text>"            opens a submenu, closed by END
//   ITEM <id> "<text>"        a command; a tab in the text precedes its shortcut's name
//   SEPARATOR
//   END
//   ACCEL <id> "<key>"        a keyboard shortcut for a command, e.g. "Ctrl+N"
struct MenuEntry {
    enum class Kind { Item, Separator, Popup };
    Kind kind = Kind::Item;
    int id = 0;
    std::string text;
    std::vector<MenuEntry> children; // of a popup
};

struct Accelerator {
    int id = 0;
    std::string key;
};

struct MenuResource {
    std::vector<MenuEntry> bar; // the popups of the menu bar, left to right
    std::vector<Accelerator> accelerators;
};

std::optional<MenuResource> ParseMenuResource(const std::string& text, std::string& error);
std::optional<MenuResource> LoadMenuResource(int menuId);
