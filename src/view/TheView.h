#pragma once

#include <QWidget>

#include <array>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "app/CommandTable.h"
#include "app/QtMessages.h"
#include "app/TemplateForm.h"
#include "i18n/MenuCommands.h"
#include "images/CoverDetection.h"
#include "layout/Placement.h"
#include "skins/Skin.h"

class AppSettings;
class CMainMenu;
class CPaper;
class CPrintCycle;
class CRasterImage;
class CSkinManager;
class CSleevitDoc;
class LanguageTable;
class QComboBox;
class QMainWindow;
struct AppOptions;
struct PrintJobRequest;

// Control ids of the main form.
enum ViewControl {
    kLeftSelector = 1004,
    kLeftPaper = 1015,
    kLeftStatus = 1026,
    kPrintLeftButton = 1005,
    kRightSelector = 1010,
    kRightPaper = 1020,
    kRightStatus = 1027,
    kPrintRightButton = 1035,
    kPrintBothButton = 1006,
    kSinglePageBox = 1034,
    kSinglePageLabel = 1021,
    kCutLinesBox = 1036,
    kCutLinesLabel = 1022,
};

// What the view keeps per side.
struct SideState {
    CRasterImage* image = nullptr; // owned by the document
    int formatIndex = -1;
    std::string fileName;
    std::string labelText = "no image selected...";
    CPaper* paper = nullptr;
};

// The program's working surface: the fixed form with both sides' format lists, papers
// and status lines, the two printing check boxes and the print buttons. It owns the
// per-side state, answers every command of the program and keeps papers and buttons in
// step with the state.
class CTheView : public QWidget {
    Q_OBJECT
public:
    CTheView(CSleevitDoc& document, AppOptions& options, AppSettings& settings, LanguageTable& language,
             std::string programFolder, QWidget* parent = nullptr);
    ~CTheView() override;

    // First initialisation, once, with the main window still hidden.
    void OnInitialUpdate(QMainWindow* frame, CMainMenu* menu);
    // Writes the settings the view owns; runs when the main window closes.
    void OnViewDestroy();

    CCommandTable& Commands() { return commands_; }
    CTemplateForm& Form() { return form_; }
    SideState& Left() { return sides_[0]; }
    SideState& Right() { return sides_[1]; }
    SideState& SideOf(Side side) { return sides_[side == Side::Left ? 0 : 1]; }
    int PrintOnSinglePage() const { return printOnSinglePage_; }
    int DrawCutAndFoldLines() const { return drawCutAndFoldLines_; }
    PrintSelection Selection() const { return selection_; }
    CPrintCycle& PrintCycle() { return *printCycle_; }
    CQtMessages& Messages() { return messages_; }
    const std::vector<std::string>& BatchFiles() const { return batchFiles_; }

    // Keeps papers, selectors and buttons in step with the side states.
    void RefreshSides();
    // Reads the controls into the fields (save) or writes the fields into the controls.
    void UpdateData(bool save);
    // Loads a cover into a side, with everything a load does; a cover loaded on the left
    // brings its back cover to the right unless withCompanion is false. A picture that
    // cannot be loaded is named in a message and the side keeps what it had.
    void LoadCover(Side side, const std::string& path, bool withCompanion = true);
    // Whether a selection can be printed: each side it prints has a picture and a format.
    bool CanPrint(PrintSelection selection) const;
    // The Load Left command's second half: the load when timer 2 fires.
    void StartPendingLeftLoad(const std::string& path);
    // A file dropped on a paper, and one file of a batch drop.
    void OnLoadDropped(const std::string& path, int side);
    void OnBatchDropped(const std::string& path, int step);
    // Runs the batch job over batchFiles: dialog, printer, pages.
    void RunBatchJob();
    // Pictures named on the command line (or by a file manager): the first on the left
    // with its companion, a second on the right; several with batch mode on go to the
    // batch job instead.
    void OpenFiles(const std::vector<std::string>& paths);
    // Such pictures, opened by the start-up timer in place of the last run's pictures.
    void SetStartFiles(std::vector<std::string> paths) { startFiles_ = std::move(paths); }

    // Languages: the English defaults captured from the menu, the current language's
    // texts on the menu, on the view and its caption, and the refresh after a change.
    void InitDefaults();
    void ApplyMenuTexts();
    void ApplyLanguage();
    void RefreshAfterLanguageChange();
    LanguageTable& Language() { return language_; }
    CSkinManager& Skins() { return *skins_; }

    // A one-shot timer: id 1 reloads the recent covers, id 2 runs a pending Left load.
    void StartTimer(int id, int milliseconds);
    bool TimerRunning(int id) const;

signals:
    // The first tick of the start-up timer has been handled.
    void startupTimerDone();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* CreateControl(const ControlTemplate& control, QWidget* parent);
    void OnControl(int id, Notification what);
    void RegisterCommands();
    void RegisterLanguageCommands();
    void RegisterSkinCommands();
    void BuildSkinMenu();
    void ApplySkinToPapers();
    void OnTimer(int id);
    void OnFormatSelected(Side side);
    void OnNew();
    void OnRotate(Side side);
    void OnLoadCommand(Side side);
    void OnLeftPaperClicked();
    void OnFormatEditor();
    void OnOptions();
    void OnAbout();
    void OnDonate();
    // File > Printer Calibration... and Print Calibration Page...
    void OnCalibration();
    void OnCalibrationPage();
    void ApplyControlColours();
    void FillSelectors();
    std::string ShortenedLabel(const std::string& name, int statusId) const;
    QComboBox* Selector(Side side) const;

    // Printing.
    PrintJobRequest MakeJobRequest(bool preview);
    void RunPrint(PrintSelection selection);
    // Why a side's loaded cover cannot be printed with its format ("" when it can, or
    // when nothing is loaded there).
    std::string PrintFault(int side) const;
    // A print button enabled when enabled is true and none of the sides' faults stand in
    // its way; the fault is its tool tip.
    void EnablePrintButton(int id, bool enabled, std::initializer_list<int> sides);
    void RunPreview();

    CSleevitDoc& document_;
    AppOptions& options_;
    AppSettings& settings_;
    LanguageTable& language_;
    std::string programFolder_;
    CTemplateForm form_;
    CCommandTable commands_;
    CQtMessages messages_;
    QMainWindow* frame_ = nullptr;
    CMainMenu* menu_ = nullptr;
    std::array<SideState, 2> sides_;
    int printOnSinglePage_ = 0;
    int drawCutAndFoldLines_ = 0;
    PrintSelection selection_ = PrintSelection::Both;
    bool printableMessageShown_ = false;
    std::vector<std::string> batchFiles_;
    std::string pendingLeftPath_;
    std::vector<std::string> startFiles_;
    CompanionKeywords keywords_;
    int wantedLanguage_ = 0;
    std::unique_ptr<CRasterImage> logo_;
    std::unique_ptr<CPrintCycle> printCycle_;
    std::array<class QTimer*, 3> timers_{};
    std::unique_ptr<CSkinManager> skins_;
};
