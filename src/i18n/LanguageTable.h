#pragma once

#include <array>
#include <span>
#include <string>
#include <vector>

#include "i18n/LanguageNames.h"
#include "i18n/UserMessages.h"

class CTranslatableWindow;

// A control of a translated window and the key of its text.
struct ControlKey {
    int controlId;
    int key;
};

// The texts of the user interface by key, for the 26 languages. English (index 0) is
// also the list of defaults every other language falls back to. Translations come from
// the language files of one folder, "<Name>.lng", names matched without regard to case.
class LanguageTable final : public CTextSource {
public:
    static constexpr const char* kMissingText = "???";

    // Only English available and current; every list of texts empty.
    LanguageTable() = default;

    // Stores a text as the key's default; a key not in the catalogue is ignored.
    void SetDefault(int key, const std::string& text);
    // Gives every key an empty default.
    void ClearDefaults();
    // The program's own English texts as the defaults.
    void UseBuiltInDefaults();

    // Remembers the folder and marks the languages 1-25 available whose file can be
    // read (an existing regular file nobody holds locked; none is ever created).
    // English stays available.
    void ScanLanguageFiles(const std::string& folder);
    // The folder of the last scan.
    const std::string& LanguageFolder() const { return folder_; }
    // The path of a language's file in that folder: the entry whose name matches
    // without regard to case (the exact spelling preferred), else the name as written.
    // "" for an index outside 0..25.
    std::string LanguageFilePath(int index) const;

    // Replaces a language's texts by its file's; false (texts unchanged) when the file
    // cannot be read.
    bool LoadLanguage(int index);
    // The same from a file's bytes in memory.
    bool LoadLanguageBytes(int index, const std::string& bytes);
    // Loads an available language and makes it current; nothing for another.
    void SelectLanguage(int index);
    // Marks a language available or not, as a scan would (the shell's start-up and tests).
    void SetAvailable(int index, bool available);

    bool IsAvailable(int index) const;
    int CurrentLanguage() const { return current_; }

    // The current text of a key, the default when the current language has none;
    // "???" for a key not in the catalogue. forLabel removes every "&", then one
    // trailing "...", then every trailing ":".
    std::string Text(int key, bool forLabel) const;
    std::string Text(int key) const override { return Text(key, false); }

    // A language's own text of a key, without falling back ("" when it has none).
    const std::string& StoredText(int index, int key) const;

    // Sets a control's text from a key. A key without a default takes the control's
    // current text as its default first. An empty text in the current language leaves
    // the control as it is. A key not in the catalogue does nothing.
    void TranslateWindow(CTranslatableWindow& window, int controlId, int key, bool forLabel);
    // A dialog as it opens: TranslateWindow for each pair in order (no label clean-up),
    // then the caption from its key.
    void TranslateDialog(CTranslatableWindow& window, std::span<const ControlKey> pairs, int captionKey);

private:
    std::string folder_;
    int current_ = kEnglishLanguage;
    // One text per catalogue position; a list never filled counts as all empty.
    std::array<std::vector<std::string>, kLanguageCount> texts_;
    std::array<bool, kLanguageCount> available_{{true}};
};

// The label clean-up of a text: every "&" removed, then one trailing "...", then every
// trailing ":".
std::string LabelText(const std::string& text);
