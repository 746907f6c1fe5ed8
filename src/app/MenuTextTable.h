#pragma once

#include <array>
#include <vector>

// One translatable entry of the main menu: its text's key and its position path
// (separators counted): {p0} a menu of the bar, {p0, p1} its entry, {p0, p1, p2} an
// entry of a submenu.
struct MenuTextRow {
    int key;
    std::vector<int> path;
};

// The 52 translatable entries of the main menu, in the order they are captured and
// written. They must agree with resources/menus/128.menu.
const std::vector<MenuTextRow>& MenuTextTable();
