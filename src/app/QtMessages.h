#pragma once

#include "i18n/UserMessages.h"

class QWidget;

// Messages of the core shown as message boxes over a window: errors with the error
// icon, notices with the information icon, questions with Yes and No.
class CQtMessages final : public CUserMessages {
public:
    explicit CQtMessages(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }

    void ShowError(const std::string& text) override;
    void ShowInformation(const std::string& text) override;
    bool AskYesNo(const std::string& text) override;

private:
    QWidget* parent_;
};
