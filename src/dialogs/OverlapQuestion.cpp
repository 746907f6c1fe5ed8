#include "dialogs/OverlapQuestion.h"

#include <QMessageBox>
#include <QPushButton>

#include "app/DialogTextSource.h"
#include "app/TemplateForm.h"

OverlapAnswer AskAboutOverlap(QWidget* parent)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Sleevit"),
                    ToQt(DialogText(kOverlapQuestionKey, kOverlapQuestionEnglish)), QMessageBox::NoButton,
                    parent);
    box.setObjectName(QStringLiteral("overlapQuestion"));
    QPushButton* twoPages = box.addButton(ToQt(DialogText(kOverlapTwoPagesKey, kOverlapTwoPagesEnglish)),
                                          QMessageBox::AcceptRole);
    twoPages->setObjectName(QStringLiteral("twoPages"));
    QPushButton* anyway = box.addButton(ToQt(DialogText(kOverlapPrintAnywayKey, kOverlapPrintAnywayEnglish)),
                                        QMessageBox::DestructiveRole);
    anyway->setObjectName(QStringLiteral("printAnyway"));
    QPushButton* cancel =
        box.addButton(ToQt(DialogText(kOverlapCancelKey, kOverlapCancelEnglish)), QMessageBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancel"));
    box.setDefaultButton(twoPages);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == twoPages)
        return OverlapAnswer::TwoPages;
    if (box.clickedButton() == anyway)
        return OverlapAnswer::PrintAnyway;
    return OverlapAnswer::Cancel;
}
