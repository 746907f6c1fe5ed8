// The view's languages: capturing the English defaults, applying the current language
// to the menu, the form and the caption, and the language commands.
#include <QAction>
#include <QDesktopServices>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QUrl>

#include "app/AppOptions.h"
#include "app/MainMenu.h"
#include "app/QtTranslation.h"
#include "app/WindowTexts.h"
#include "i18n/DefaultTexts.h"
#include "i18n/LanguageTable.h"
#include "i18n/MenuCommands.h"
#include "images/RasterImage.h"
#include "view/TheView.h"

namespace {

// Where "Your Language here? Mail me..." writes to.
const char* const kTranslatorsMail = "mailto:translations@sleevit.org?subject=Sleevit%20translation";

// The form's translated controls and their keys.
constexpr ControlKey kFormTexts[] = {
    {kSinglePageLabel, 2004}, {kCutLinesLabel, 2005},   {kLeftStatus, 2006},
    {kPrintLeftButton, 2007}, {kPrintBothButton, 2008}, {kPrintRightButton, 2009},
};

} // namespace

void CTheView::InitDefaults()
{
    language_.ClearDefaults();
    if (menu_) {
        for (const MenuRow& row : kMainMenu) {
            if (row.key != 0) {
                language_.SetDefault(row.key, row.text);
            }
        }
    }
    for (int key = 4000; key <= 4004; ++key) {
        language_.SetDefault(key, DefaultText(key));
    }
    language_.ScanLanguageFiles(programFolder_ + "/languages");
    for (int key : {1000, 5008, 7000, 6000, 6001, 8020, 8040, 8041}) {
        language_.SetDefault(key, DefaultText(key));
    }
    // The window's own messages from 8000 up have no control to take an English text
    // from: the built-in texts are their defaults.
    for (int i = 0; i < kLanguageKeyCount; ++i) {
        if (LanguageKeyAt(i) >= 8000) {
            language_.SetDefault(LanguageKeyAt(i), DefaultText(LanguageKeyAt(i)));
        }
    }
}

void CTheView::ApplyMenuTexts()
{
    if (!menu_) {
        return;
    }
    menu_->ApplyTexts([this](int key) { return language_.Text(key, false); });
    if (frame_) {
        frame_->menuBar()->update();
    }
}

void CTheView::ApplyLanguage()
{
    ApplyQtTranslation(language_.CurrentLanguage());
    CFormTexts texts(form_, frame_);
    for (const ControlKey& pair : kFormTexts) {
        language_.TranslateWindow(texts, pair.controlId, pair.key, false);
    }
    if (frame_) {
        frame_->setWindowTitle(QStringLiteral("Sleevit 1.14 - ") + ToQt(language_.Text(1000)));
    }
    ApplyMenuTexts();
    auto* left = form_.ItemAs<QLabel>(kLeftStatus);
    auto* right = form_.ItemAs<QLabel>(kRightStatus);
    if (left && right) {
        right->setText(left->text());
    }
}

void CTheView::RefreshAfterLanguageChange()
{
    for (SideState& side : sides_) {
        if (!side.image->IsValid()) {
            side.labelText = language_.Text(2006);
        }
    }
    ApplyLanguage();
    UpdateData(false);
    update();
}

void CTheView::RegisterLanguageCommands()
{
    for (const MenuRow& row : kMainMenu) {
        if (row.language < 0) {
            continue;
        }
        const int index = row.language;
        commands_.On(row.id, [this, index] {
            language_.SelectLanguage(index);
            options_.language = language_.CurrentLanguage();
            RefreshAfterLanguageChange();
        });
        commands_.OnState(row.id, [this, index](CommandState& state) {
            state.enabled = index == kEnglishLanguage || language_.IsAvailable(index);
            state.checked = language_.CurrentLanguage() == index;
        });
    }
    commands_.On(kCmdMailLanguage,
                 [] { QDesktopServices::openUrl(QUrl(QString::fromLatin1(kTranslatorsMail))); });
}
