#pragma once

#include <QFileDialog>
#include <QPointer>

#include <array>
#include <string>
#include <vector>

#include "app/DialogTexts.h"
#include "app/TemplateDialog.h"
#include "dialogs/Preview.h"

class AppSettings;
class CExtendedFileDialog;

// The panel the image open dialog shows below the file list: the picture's resolution,
// colour depth and file size, its preview, and the box that switches the preview. It
// is a template dialog living inside the file dialog as an ordinary child widget.
class CPreviewPanel final : public CTemplateDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 104;
    static constexpr int kIdResolution = 1036;
    static constexpr int kIdColourDepth = 1038;
    static constexpr int kIdFileSize = 1037;
    static constexpr int kIdPreview = 1027;
    static constexpr int kIdShowPreview = 1028;

    static constexpr std::array<TextPair, 5> kTextPairs{{
        {1002, 5001},
        {1003, 5002},
        {1004, 5003},
        {1005, 5004},
        {1028, 5005},
    }};
    static constexpr int kCaptionKey = 5000;

    CPreviewPanel(CExtendedFileDialog& owner, int showPreview);

    CPreview* Preview() const { return preview_; }

protected:
    QWidget* CreateControl(const ControlTemplate& control, QWidget* parent) override;
    void OnInitDialog() override;
    void OnCommand(int id, Notification what) override;
    // Escape pressed inside the panel cancels the whole file dialog.
    void OnCancel() override;

private:
    CExtendedFileDialog& owner_;
    int showPreview_;
    QPointer<CPreview> preview_;
};

// The image open dialog: the toolkit's own file dialog (never the desktop's, so the
// panel can be attached) with the preview panel below it. It opens in the folder of the
// last cover loaded and remembers whether the preview was switched on.
class CExtendedFileDialog final : public QFileDialog {
    Q_OBJECT
public:
    static constexpr int kTitleKey = 5000;
    static constexpr int kSupportedFilterKey = 5006;
    static constexpr int kAllFilesFilterKey = 5007;
    static constexpr const char* kTitleEnglish = "Select the image you want to use for the cover";
    static constexpr const char* kSupportedFilterEnglish = "All Supported Graphic Formats";
    static constexpr const char* kAllFilesFilterEnglish = "All Files";

    // allowMultiSelect lets the user pick several files (the left paper in batch mode).
    CExtendedFileDialog(bool allowMultiSelect, AppSettings& settings, QWidget* parent = nullptr);
    ~CExtendedFileDialog() override;

    int DoModal() { return exec(); }
    // The files chosen with OK, in the order the dialog gives them.
    std::vector<std::string> ChosenPaths() const;

    // Called when the current file of the list changes: fills the panel for it while
    // the preview is switched on.
    void OnSelectionChange(const QString& path);
    // Fills the three values and the preview for the current file.
    void UpdatePanel();

    CPreviewPanel& Panel() { return *panel_; }
    CPreview* Preview() const { return panel_->Preview(); }
    const QString& CurrentPath() const { return currentPath_; }

private:
    AppSettings& settings_;
    CPreviewPanel* panel_ = nullptr;
    QString currentPath_;
};

// The filter list of the image open dialog in the toolkit's form: each entry's shown
// name followed by its patterns in parentheses (which the dialog hides).
QStringList ImageFileFilters(const std::string& supportedName, const std::string& allFilesName);

// The three value texts of the panel for a file of fileBytes bytes showing a picture of
// width x height at bitsPerPixel; sizes count whole kilobytes of 1024 bytes, rounded down.
struct PanelValues {
    std::string resolution = ":";
    std::string colourDepth = ":";
    std::string fileSize = ":";
};
PanelValues DescribePicture(int width, int height, int bitsPerPixel, unsigned long long fileBytes);

// Asks for picture files to load as covers, starting in the folder of the last cover
// loaded; several files only when allowMultiple. An empty result means cancelled.
std::vector<std::string> ChooseImageFiles(QWidget* parent, bool allowMultiple, AppSettings& settings);
