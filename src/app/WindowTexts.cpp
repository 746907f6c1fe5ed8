#include "app/WindowTexts.h"

#include <QWidget>

#include <vector>

#include "app/DialogTextSource.h"
#include "app/DialogTexts.h"
#include "app/TemplateDialog.h"
#include "app/TemplateForm.h"
#include "i18n/LanguageTable.h"

std::string CFormTexts::ControlText(int controlId) const
{
    return form_.Text(controlId);
}

void CFormTexts::SetControlText(int controlId, const std::string& text)
{
    form_.SetText(controlId, text);
}

std::string CFormTexts::Caption() const
{
    return captionWindow_ ? FromQt(captionWindow_->windowTitle()) : std::string();
}

void CFormTexts::SetCaption(const std::string& text)
{
    if (captionWindow_) {
        captionWindow_->setWindowTitle(ToQt(text));
    }
}

void InstallDialogLanguage(LanguageTable* table)
{
    if (!table) {
        SetDialogTranslator({});
        SetDialogTextSource({});
        return;
    }
    SetDialogTranslator([table](CTemplateDialog& dialog, std::span<const TextPair> pairs, int captionKey) {
        std::vector<ControlKey> keys;
        for (const TextPair& pair : pairs) {
            keys.push_back(ControlKey{pair.controlId, pair.key});
        }
        CFormTexts texts(dialog.Form(), &dialog);
        table->TranslateDialog(texts, keys, captionKey);
    });
    SetDialogTextSource(
        DialogTextSource{[table](int key) { return table->Text(key); },
                         [table](int key, const std::string& text) { table->SetDefault(key, text); }});
}
