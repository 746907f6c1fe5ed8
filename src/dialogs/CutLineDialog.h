#pragma once

#include <array>
#include <string>

#include "app/DialogTexts.h"
#include "app/TemplateDialog.h"
#include "dialogs/FormatEditValues.h"

// The format editor's dialog for one cut line or one rectangle. A line runs between two
// points or along a whole edge of the cover; a rectangle is its top-left corner and its
// size. Numbers are typed in the editor's unit and kept in millimetres; OK stays
// disabled until every number is a length (and a rectangle has a size).
class CCutLineDialog final : public CTemplateDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 165;
    static constexpr int kIdPoints = 1001;
    static constexpr int kIdFromCaption = 1002;
    static constexpr int kIdX1 = 1003;
    static constexpr int kIdY1 = 1004;
    static constexpr int kIdToCaption = 1005;
    static constexpr int kIdX2 = 1006;
    static constexpr int kIdY2 = 1007;
    static constexpr int kIdEdge = 1008;
    static constexpr int kIdEdgeList = 1009;
    static constexpr int kIdDashed = 1010;
    static constexpr int kIdUnit = 1011;

    static constexpr int kLineCaptionKey = 8040;
    static constexpr int kRectCaptionKey = 8041;
    static constexpr std::array<TextPair, 7> kLineTextPairs{{
        {kIdPoints, 8042},
        {kIdFromCaption, 8043},
        {kIdToCaption, 8044},
        {kIdEdge, 8045},
        {kIdDashed, 8048},
        {kIdOk, 8049},
        {kIdCancel, 8050},
    }};
    // A rectangle's corner and size captions (8046, 8047) replace the template's texts.
    static constexpr std::array<TextPair, 3> kRectTextPairs{{
        {kIdDashed, 8048},
        {kIdOk, 8049},
        {kIdCancel, 8050},
    }};
    // Said when a format already holds as many lines or rectangles as it can.
    static constexpr int kFullKey = 8051;
    static constexpr const char* kFullEnglish = "A format holds at most ten lines and ten rectangles.";

    CCutLineDialog(QWidget* parent, bool rectangle, LengthUnit unit);

    // The entry the dialog starts with (a new line starts solid between two points at 0).
    void SetEntry(const CutLine& entry) { entry_ = entry; }
    // After OK: the entry in millimetres.
    const CutLine& Entry() const { return entry_; }

protected:
    void DoDataExchange(bool save) override;
    void OnInitDialog() override;
    void OnCommand(int id, Notification what) override;
    void OnOK() override;

private:
    // Enables the fields of the chosen kind of line and OK when the numbers are lengths.
    void EnableControls();
    bool Complete() const;

    bool rectangle_;
    LengthUnit unit_;
    CutLine entry_;
    std::array<std::string, 4> values_;
    int alongEdge_ = 0;
    int edge_ = 0;
    int dashed_ = 0;
};

// Whether a typed text is a length: a number of zero or more, nothing else but spaces.
bool IsTypedLength(const std::string& text);
