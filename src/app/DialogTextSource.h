#pragma once

#include <functional>
#include <string>

// Texts by key that dialogs show outside their controls: a file dialog's title and
// filter names, the batch dialog's count line. Until the application hands in its
// language table, every lookup gives the English text the caller passes.
struct DialogTextSource {
    // The current text of a key (its default when the language has none).
    std::function<std::string(int key)> text;
    // Stores a text as a key's English default.
    std::function<void(int key, const std::string& text)> setDefault;
};

// The application calls this once its language table exists; an empty source goes
// back to English.
void SetDialogTextSource(DialogTextSource source);

// Stores english as the key's default, then returns the key's current text; english
// itself when no source is set or the source gives an empty text.
std::string DialogText(int key, const std::string& english);
