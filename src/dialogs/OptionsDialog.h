#pragma once

#include <array>
#include <string>

#include "app/DialogTexts.h"
#include "app/TemplateDialog.h"

struct AppOptions;

// The options dialog: ten switches of the process-wide options and the dummy print job
// name, with the companion keywords shown read-only. It edits the options it is given
// and has no Cancel: OK, Escape and the close box all keep what the user set. The
// options reach the settings file when the program stores them at shut-down.
class COptionsDialog final : public CTemplateDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 131;
    // Control ids.
    static constexpr int kIdAutoRotate = 1006;
    static constexpr int kIdAutoDetectFormat = 1010;
    static constexpr int kIdMaskPrintJobName = 1007;
    static constexpr int kIdPrintJobName = 1041;
    static constexpr int kIdReloadOnStartup = 1008;
    static constexpr int kIdAutoload2ndImage = 1009;
    static constexpr int kIdLeftKeywords = 1042;
    static constexpr int kIdRightKeywords = 1043;
    static constexpr int kIdShowSplash = 1038;
    static constexpr int kIdCheckPrintableArea = 1044;
    static constexpr int kIdBatchMode = 1045;
    static constexpr int kIdPrintBorder = 1046;

    // The keywords companion loading pairs, front and back, as the dialog shows them.
    static constexpr const char* kFrontKeywordsText = "front;front + inside;-f";
    static constexpr const char* kBackKeywordsText = "back;back;-b";

    static constexpr std::array<TextPair, 11> kTextPairs{{
        {1006, 5009},
        {1007, 5010},
        {1008, 5011},
        {1009, 5012},
        {1039, 5013},
        {1040, 5014},
        {1038, 5015},
        {1044, 5016},
        {1045, 5017},
        {1046, 5019},
        {1010, 5018},
    }};
    static constexpr int kCaptionKey = 5008;

    COptionsDialog(AppOptions& options, QWidget* parent = nullptr);
    ~COptionsDialog() override;

    void done(int result) override;

protected:
    QWidget* CreateControl(const ControlTemplate& control, QWidget* parent) override;
    void DoDataExchange(bool save) override;
    void OnInitDialog() override;
    void OnCommand(int id, Notification what) override;

private:
    // Reads the controls and copies what they hold into the process-wide options.
    void StoreOptions();

    AppOptions& options_;
    bool initialised_ = false;

    int autoRotate_ = 0;
    int maskPrintJobName_ = 0;
    std::string printJobName_;
    int reloadOnStartup_ = 0;
    int autoload2ndImage_ = 0;
    int showSplash_ = 0;
    int checkPrintableArea_ = 0;
    int batchMode_ = 0;
    int autoDetectFormat_ = 0;
    int printBorder_ = 0;
    std::string frontKeywords_;
    std::string backKeywords_;
};
