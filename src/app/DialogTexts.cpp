#include "app/DialogTexts.h"

namespace {
DialogTranslator& Translator()
{
    static DialogTranslator translator;
    return translator;
}
} // namespace

void TranslateDialog(CTemplateDialog& dialog, std::span<const TextPair> pairs, int captionKey)
{
    if (Translator()) {
        Translator()(dialog, pairs, captionKey);
    }
}

void SetDialogTranslator(DialogTranslator translator)
{
    Translator() = std::move(translator);
}
