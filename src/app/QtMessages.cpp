#include "app/QtMessages.h"

#include <QMessageBox>

#include "app/TemplateForm.h"

namespace {
const QString kTitle = QStringLiteral("Sleevit");
}

void CQtMessages::ShowError(const std::string& text)
{
    QMessageBox::critical(parent_, kTitle, ToQt(text));
}

void CQtMessages::ShowInformation(const std::string& text)
{
    QMessageBox::information(parent_, kTitle, ToQt(text));
}

bool CQtMessages::AskYesNo(const std::string& text)
{
    QMessageBox box(QMessageBox::Information, kTitle, ToQt(text), QMessageBox::Yes | QMessageBox::No,
                    parent_);
    return box.exec() == QMessageBox::Yes;
}
