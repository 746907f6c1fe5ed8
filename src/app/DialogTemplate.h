#pragma once

#include <optional>
#include <string>
#include <vector>

// A dialog or form described as data: its size in dialog units, its font and its
// controls, each with an id, a kind, a text and a rectangle in dialog units. Templates
// live in resources/dialogs/<id>.dlg, one per dialog, in this line format:
//
//   DIALOG <id> <width> <height>
//   FONT <points> <weight> <italic 0/1> "<face>"
//   CAPTION "<text>"
//   CONTROL <id> <kind> <x> <y> <width> <height> "<text>" [FLAG ...]
//
// Texts are in double quotes with \" \\ \t \n escapes; '#' starts a comment line.

enum class ControlKind {
    PushButton,    // PUSHBUTTON
    DefPushButton, // DEFPUSHBUTTON: the button Enter presses
    CheckBox,      // CHECKBOX
    Radio,         // RADIO
    LeftText,      // LTEXT
    CenterText,    // CTEXT
    RightText,     // RTEXT
    Edit,          // EDIT
    DropList,      // DROPLIST: a drop-down list without an edit field
    ListBox,       // LISTBOX
    ListView,      // LISTVIEW: rows of columns
    GroupBox,      // GROUPBOX
    Spin,          // SPIN: up-down arrows
    Paper,         // PAPER: a paper control showing a cover
    Link,          // LINK: a clickable address
    Custom         // CUSTOM: a widget the dialog makes itself
};

struct ControlTemplate {
    int id = 0;
    ControlKind kind = ControlKind::LeftText;
    int x = 0, y = 0, width = 0, height = 0; // dialog units
    std::string text;
    std::vector<std::string> flags; // READONLY, DISABLED, NOTIFY, MULTILINE, VSCROLL, ...

    bool HasFlag(const std::string& flag) const;
};

struct TemplateFont {
    int pointSize = 8;
    int weight = 400;
    bool italic = false;
    std::string face = "Tahoma";
};

struct DialogTemplate {
    int id = 0;
    int width = 0, height = 0; // dialog units
    TemplateFont font;
    std::string caption;
    std::vector<ControlTemplate> controls;

    const ControlTemplate* Find(int controlId) const;
};

// Parses a template's text; nullopt with error set to "line N: ..." on a bad line.
std::optional<DialogTemplate> ParseDialogTemplate(const std::string& text, std::string& error);

// The template with this id from the program's resources; nullopt when it is missing or
// broken (a build error, reported on stderr).
std::optional<DialogTemplate> LoadDialogTemplate(int templateId);
