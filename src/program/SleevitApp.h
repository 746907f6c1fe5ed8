#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/AppOptions.h"
#include "app/SleevitDoc.h"
#include "i18n/LanguageTable.h"

class AppSettings;
class CMainFrame;
class CTheView;

// The program's run: start-up in its fixed order (application values, splash, the
// document, the main window and the view's first initialisation), and the values
// written back when the run ends.
class CSleevitApp {
public:
    CSleevitApp(AppSettings& settings, std::string programFolder);
    ~CSleevitApp();

    // Application start; false ends the program at once.
    bool InitInstance(bool showWindow = true);
    // Application exit, after the event loop ended.
    void ExitInstance();

    AppOptions& Options() { return options_; }
    AppSettings& Settings() { return settings_; }
    CSleevitDoc& Document() { return *document_; }
    LanguageTable& Language() { return language_; }
    CMainFrame* MainFrame() const { return frame_.get(); }
    CTheView* View() const;
    const std::string& ProgramFolder() const { return programFolder_; }

    // Replaces the splash screen (tests); unset, the real one shows for three seconds.
    std::function<void()> showSplash;

private:
    AppSettings& settings_;
    std::string programFolder_;
    AppOptions options_;
    LanguageTable language_;
    std::unique_ptr<CSleevitDoc> document_;
    std::unique_ptr<CMainFrame> frame_;
};
