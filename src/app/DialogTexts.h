#pragma once

#include <functional>
#include <span>

class CTemplateDialog;

// One translated control of a dialog: its id and the key of its text.
struct TextPair {
    int controlId;
    int key;
};

// Gives a dialog its texts in the current language as it opens: each pair's control in
// table order, then the caption from captionKey. Until a language is wired in, dialogs
// keep the English texts of their templates.
void TranslateDialog(CTemplateDialog& dialog, std::span<const TextPair> pairs, int captionKey);

// What TranslateDialog runs; the application sets it once its language table exists.
using DialogTranslator = std::function<void(CTemplateDialog&, std::span<const TextPair>, int)>;
void SetDialogTranslator(DialogTranslator translator);
