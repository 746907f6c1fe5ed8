#pragma once

#include <string>

#include "i18n/TranslatableWindow.h"

class CTemplateForm;
class LanguageTable;
class QWidget;

// The texts of a template form's controls and of the window that carries its caption,
// for the language table.
class CFormTexts final : public CTranslatableWindow {
public:
    CFormTexts(CTemplateForm& form, QWidget* captionWindow) : form_(form), captionWindow_(captionWindow) {}

    std::string ControlText(int controlId) const override;
    void SetControlText(int controlId, const std::string& text) override;
    std::string Caption() const override;
    void SetCaption(const std::string& text) override;

private:
    CTemplateForm& form_;
    QWidget* captionWindow_;
};

// Dialogs translate themselves from this table from now on (nullptr: English again).
void InstallDialogLanguage(LanguageTable* table);
