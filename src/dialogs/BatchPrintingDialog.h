#pragma once

#include <array>
#include <string>

#include "app/DialogTexts.h"
#include "app/TemplateDialog.h"

class FormatCatalogue;

// Asks before a batch job: says how many pictures will print and lets the user choose
// between detecting every file's format and forcing one format for all of them.
class CBatchPrintingDialog final : public CTemplateDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 12346;
    static constexpr int kIdCountLine = -1;
    static constexpr int kIdAutoDetect = 1073;
    static constexpr int kIdForceFormat = 1013;
    static constexpr int kIdFormatList = 1004;

    static constexpr int kOptionAutoDetect = 0;
    static constexpr int kOptionForceFormat = 1;

    static constexpr std::array<TextPair, 4> kTextPairs{{
        {1073, 6002},
        {1013, 6003},
        {kIdOk, 6004},
        {kIdCancel, 6005},
    }};
    static constexpr int kCaptionKey = 6000;
    static constexpr int kCountLineKey = 6001;
    static constexpr const char* kCountLineEnglish = "Starting batch job. Printing %d images...";

    // The format list shows the catalogue's names in catalogue order.
    CBatchPrintingDialog(const FormatCatalogue& catalogue, QWidget* parent = nullptr);

    void SetImageCount(int count) { imageCount_ = count; }
    // The format the list starts on; -1 for none.
    void SetFormat(int position) { format_ = position; }
    // After OK: the forced format's position, or -1 for detecting every file's format
    // (also when "Force format:" was chosen with no format selected).
    int GetFormat() const { return format_; }

protected:
    void DoDataExchange(bool save) override;
    void OnInitDialog() override;
    void OnCommand(int id, Notification what) override;
    void OnOK() override;

private:
    void EnableFormatList();

    const FormatCatalogue& catalogue_;
    std::string countLine_;
    int option_ = kOptionAutoDetect;
    int format_ = -1;
    int imageCount_ = 0;
};

// The count line: the first "%d" of the text replaced by the number. The text comes
// from a language file, so it is never used as a printf format.
std::string FormatCountLine(const std::string& text, int count);
