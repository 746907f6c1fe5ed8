#include "program/SleevitApp.h"

#include "app/AppSettings.h"
#include "app/WindowTexts.h"
#include "dialogs/SplashScreen.h"
#include "program/MainFrame.h"
#include "view/TheView.h"

CSleevitApp::CSleevitApp(AppSettings& settings, std::string programFolder)
    : settings_(settings), programFolder_(std::move(programFolder))
{
}

CSleevitApp::~CSleevitApp()
{
    InstallDialogLanguage(nullptr);
}

CTheView* CSleevitApp::View() const
{
    return frame_ ? frame_->View() : nullptr;
}

bool CSleevitApp::InitInstance(bool showWindow)
{
    options_.nrCoversPrinted = settings_.ReadInt(Setting::NrCoversPrinted);
    const int donation = settings_.ReadInt(Setting::ShowPayPalDialog);
    options_.firstStartOfVersion = donation == 2;
    options_.showDonationDialog = donation > 0;
    options_.showSplash = settings_.ReadInt(Setting::ShowSplash);
    if (options_.showSplash != 0) {
        if (showSplash) {
            showSplash();
        } else {
            CSplashScreen::Show(CSplashScreen::kStartUpDuration);
        }
    }

    document_ = std::make_unique<CSleevitDoc>();
    frame_ = std::make_unique<CMainFrame>(settings_, options_);
    InstallDialogLanguage(&language_);
    auto* view = new CTheView(*document_, options_, settings_, language_, programFolder_);
    if (!frame_->Create(view)) {
        return false;
    }
    view->OnInitialUpdate(frame_.get(), frame_->Menu());
    if (showWindow) {
        frame_->show();
    }
    return true;
}

void CSleevitApp::ExitInstance()
{
    settings_.WriteInt(Setting::ShowSplash, options_.showSplash != 0 ? 1 : 0);
    settings_.WriteInt(Setting::NrCoversPrinted, options_.nrCoversPrinted);
    settings_.WriteInt(Setting::ShowPayPalDialog, options_.showDonationDialog ? 1 : 0);
    settings_.Sync();
}
