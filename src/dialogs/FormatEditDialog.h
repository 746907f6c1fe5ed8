#pragma once

#include <array>
#include <memory>
#include <string>

#include "app/DialogTexts.h"
#include "app/TemplateDialog.h"
#include "dialogs/FormatEditValues.h"

class CPaper;
class CRasterImage;
class FormatCatalogue;
class QButtonGroup;
class QListWidget;

// The controls of the format editor's template.
namespace FormatEditIds {
constexpr int kList = 1047;
constexpr int kRemove = 1067;
constexpr int kAdd = 3;
constexpr int kCopy = 4;
constexpr int kMoveUp = 8;
constexpr int kMoveDown = 9;
constexpr int kNameCaption = 1070;
constexpr int kName = 1041;
constexpr int kTypeCaption = 1071;
constexpr int kType = 1005;
constexpr int kLabel = 1053;
constexpr int kHoleCaption = 1068;
constexpr int kHole = 1054;
constexpr int kHoleSpin = 1091;
constexpr int kRemap = 1056;
constexpr int kRemapList = 1062;
constexpr int kSpine = 1064;
constexpr int kSpineCaption = 1069;
constexpr int kSpineValue = 1057;
constexpr int kSpineSpin = 1092;
constexpr int kAutodetect = 1055;
constexpr int kCutLinesCaption = 1072;
constexpr int kCutLines = 1065;
constexpr int kAddLine = 5;
constexpr int kAddRect = 11;
constexpr int kEditLine = 6;
constexpr int kDeleteLine = 7;
constexpr int kLeftPreview = 1027;
constexpr int kRightPreview = 1030;
constexpr int kLeftGroup = 1083;
constexpr int kLeftAutomatic = 1013;
constexpr int kLeftManual = 1014;
constexpr int kLeftX = 1042;
constexpr int kLeftY = 1043;
constexpr int kLeftXSpin = 1094;
constexpr int kLeftYSpin = 1095;
constexpr int kRightGroup = 1084;
constexpr int kRightAutomatic = 1020;
constexpr int kRightManual = 1021;
constexpr int kRightX = 1049;
constexpr int kRightY = 1050;
constexpr int kRightXSpin = 1096;
constexpr int kRightYSpin = 1097;
constexpr int kSizeGroup = 1085;
constexpr int kWidthCaption = 1077;
constexpr int kWidth = 1044;
constexpr int kWidthSpin = 1089;
constexpr int kHeightCaption = 1078;
constexpr int kHeight = 1048;
constexpr int kHeightSpin = 1090;
constexpr int kPaperGroup = 1074;
constexpr int kPaperWidthCaption = 1079;
constexpr int kPaperWidth = 1051;
constexpr int kPaperWidthSpin = 1093;
constexpr int kPaperHeightCaption = 1080;
constexpr int kPaperHeight = 1052;
constexpr int kPaperHeightSpin = 1060;
constexpr int kUnitGroup = 1086;
constexpr int kInches = 1045;
constexpr int kMillimetres = 1046;
} // namespace FormatEditIds

// The modal editor of the cover format catalogue. Every change goes into the catalogue
// at once and shows in two previews; OK writes the catalogue file, Cancel (Escape, the
// close box) puts back the catalogue as it was when the dialog opened. Lengths are shown
// and typed in millimetres or inches and always stored in millimetres.
class CFormatEditDialog : public CTemplateDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 164;
    static constexpr int kCaptionKey = 7000;
    static const std::array<TextPair, 35> kTextPairs;

    // catalogueReadPath is the file the catalogue was read from; OK writes next to it
    // (or to the user's own copy when it cannot be written). startIndex is the format
    // selected when the dialog opens.
    CFormatEditDialog(QWidget* parent, FormatCatalogue& catalogue, std::string catalogueReadPath,
                      int startIndex);
    ~CFormatEditDialog() override;

    void SetInitialFormat(int index) { initialFormat_ = index; }
    // A picture the previews show in place of the built-in sample (the view's left
    // cover); copied when the dialog opens, so it need not outlive this call's effect.
    void SetSampleImage(const CRasterImage* image) { callerSample_ = image; }

    // The selected row, -1 when none.
    int SelectedFormat() const;
    LengthUnit Unit() const { return unit_; }
    const CRasterImage& SampleImage() const { return *sample_; }
    // Where OK wrote the catalogue (empty until a save succeeded).
    const std::string& SavedPath() const { return savedPath_; }

signals:
    // An up-down arrow hit zero and the default beep sounded.
    void beeped();

protected:
    QWidget* CreateControl(const ControlTemplate& control, QWidget* parent) override;
    void DoDataExchange(bool save) override;
    void OnInitDialog() override;
    void OnCommand(int id, Notification what) override;
    void OnOK() override;
    void OnCancel() override;

private:
    struct Fields {
        std::string name, hole, leftX, leftY, rightX, rightY, width, height, spine, paperWidth, paperHeight;
        int autodetect = 0, label = 0, remap = 0, spineOn = 0;
        int leftManual = 0, rightManual = 0;
    };

    QListWidget* FormatList() const;
    CPaper* Preview(int id) const;
    void FillLists();
    void FillRemapList();
    void SelectRow(int row);
    void Refresh();
    void RepaintPreviews();

    void OnAdd();
    void OnCopy();
    void OnRemove();
    void OnMove(int direction);
    void OnNameChanged();
    void OnPlacementTyped();
    void OnLeftRadio(bool manual);
    void OnRightRadio(bool manual);
    void OnSpin(int id, int delta);
    void OnCheck(int id);
    void OnTypedValue(int id);
    // The cut-line list's buttons: a new line or rectangle, the selected entry changed
    // or removed; the list and the previews follow at once.
    int SelectedCutLine() const;
    void EnableCutLineButtons();
    void OnAddCutLine(bool rectangle);
    void OnEditCutLine();
    void OnDeleteCutLine();

    FormatCatalogue& catalogue_;
    std::string readPath_;
    std::string savedPath_;
    int initialFormat_;
    LengthUnit unit_ = LengthUnit::Millimetres;
    bool refreshing_ = false;
    bool backupTaken_ = false;
    Fields fields_;
    const CRasterImage* callerSample_ = nullptr;
    std::unique_ptr<CRasterImage> sample_;
    QButtonGroup* leftGroup_ = nullptr;
    QButtonGroup* rightGroup_ = nullptr;
    QButtonGroup* unitGroup_ = nullptr;
};
