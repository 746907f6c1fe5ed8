#include "dialogs/AboutDlg.h"

#include <QPlainTextEdit>
#include <QScrollBar>

#include "dialogs/HyperLink.h"
#include "i18n/LanguageTable.h"
#include "textfiles/TextFile.h"

CAboutDlg::CAboutDlg(QWidget* parent, const LanguageTable& language, std::string programFolder)
    : CTemplateDialog(kTemplateId, parent), language_(language), programFolder_(std::move(programFolder))
{
}

std::string AboutCaption(const LanguageTable& language)
{
    return language.Text(CAboutDlg::kCaptionKey, true) + " " + CAboutDlg::kVersionText;
}

QWidget* CAboutDlg::CreateControl(const ControlTemplate& control, QWidget* parent)
{
    if (control.kind != ControlKind::Link)
        return nullptr;
    auto* link = new CHyperLink(parent);
    link->setText(StaticDisplayText(control.text));
    return link;
}

void CAboutDlg::OnInitDialog()
{
    CTemplateDialog::OnInitDialog();

    // The form gives every control the template's font; the links and the notes get
    // their own here.
    const QFont linkFont =
        FixedPointFont({QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")}, 9, true);
    if (auto* mail = Form().ItemAs<CHyperLink>(kIdMailLink)) {
        mail->setFont(linkFont);
        mail->SetTarget(std::string("mailto:") + kMailAddress);
    }
    if (auto* web = Form().ItemAs<CHyperLink>(kIdWebLink)) {
        web->setFont(linkFont);
        web->SetTarget(FromQt(web->text()));
    }

    setWindowTitle(ToQt(AboutCaption(language_)));

    if (auto* notes = Form().ItemAs<QPlainTextEdit>(kIdReleaseNotes)) {
        QFont mono = FixedPointFont({QStringLiteral("Liberation Mono"), QStringLiteral("DejaVu Sans Mono")},
                                    10, false);
        mono.setStyleHint(QFont::Monospace);
        mono.setFixedPitch(true);
        notes->setFont(mono);
        notes->setReadOnly(true);
        // Lines wrap at the box's width, so only the vertical bar is ever needed.
        notes->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        notes->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        notes->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        // A missing or unreadable file leaves the box empty, without a message.
        std::string text;
        if (!ReadTextFile(programFolder_ + "/" + kReleaseNotesFile, text))
            text.clear();
        // Every line of the text ends in CR LF; the box breaks lines at LF alone.
        QString shown = ToQt(text);
        shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        if (shown.endsWith(QLatin1Char('\n')))
            shown.chop(1);
        notes->setPlainText(shown);
        notes->verticalScrollBar()->setValue(0);
    }
}
