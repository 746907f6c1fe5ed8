#pragma once

// Qt's own windows (the file, print and page setup dialogs, the buttons of message
// boxes) in the program's language, from the Qt translations the system installs.

// Replaces the installed Qt translation with the one of a language (by its index).
// Returns false when the language has none installed: Qt's windows are then in English.
bool ApplyQtTranslation(int languageIndex);
