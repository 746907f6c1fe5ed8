#pragma once

#include <string>

#include "app/TemplateDialog.h"
#include "i18n/DefaultTexts.h"

class LanguageTable;

// The about box: the program's name and version in the caption, the release notes in a
// read-only box, and links to the maker's mail address and web site.
class CAboutDlg final : public CTemplateDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 100;
    // Control ids.
    static constexpr int kIdReleaseNotes = 1005;
    static constexpr int kIdMailLink = 1007;
    static constexpr int kIdWebLink = 1008;

    // The caption is the About menu entry's text as a label ("&" and "..." removed),
    // in the current language, then the version. No control is translated.
    static constexpr int kCaptionKey = kTextAbout;
    static constexpr const char* kVersionText = "1.14 BETA 1";
    static constexpr const char* kMailAddress = "hello@sleevit.org";
    static constexpr const char* kReleaseNotesFile = "releasenotes.txt";

    CAboutDlg(QWidget* parent, const LanguageTable& language, std::string programFolder);

protected:
    QWidget* CreateControl(const ControlTemplate& control, QWidget* parent) override;
    void OnInitDialog() override;

private:
    const LanguageTable& language_;
    std::string programFolder_;
};

// The about box's caption in the table's current language.
std::string AboutCaption(const LanguageTable& language);
