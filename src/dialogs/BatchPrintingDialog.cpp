#include "dialogs/BatchPrintingDialog.h"

#include <QComboBox>

#include "app/DialogTextSource.h"
#include "formats/FormatCatalogue.h"

std::string FormatCountLine(const std::string& text, int count)
{
    std::string line = text;
    const std::size_t at = line.find("%d");
    if (at != std::string::npos)
        line.replace(at, 2, std::to_string(count));
    return line;
}

CBatchPrintingDialog::CBatchPrintingDialog(const FormatCatalogue& catalogue, QWidget* parent)
    : CTemplateDialog(kTemplateId, parent), catalogue_(catalogue)
{
}

void CBatchPrintingDialog::DoDataExchange(bool save)
{
    ExchangeText(save, kIdCountLine, countLine_);
    if (save) {
        option_ = Form().Checked(kIdForceFormat) ? kOptionForceFormat : kOptionAutoDetect;
    } else {
        Form().SetChecked(kIdAutoDetect, option_ == kOptionAutoDetect);
        Form().SetChecked(kIdForceFormat, option_ == kOptionForceFormat);
    }
    ExchangeIndex(save, kIdFormatList, format_);
}

void CBatchPrintingDialog::OnInitDialog()
{
    // With no format preset the list is offered at once; with one, detection is.
    option_ = format_ == -1 ? kOptionForceFormat : kOptionAutoDetect;
    TranslateDialog(*this, kTextPairs, kCaptionKey);
    countLine_ = FormatCountLine(DialogText(kCountLineKey, kCountLineEnglish), imageCount_);

    if (auto* list = Form().ItemAs<QComboBox>(kIdFormatList)) {
        list->clear();
        for (int i = 0; i < catalogue_.GetCount(); ++i)
            list->addItem(QString::fromStdString(catalogue_.GetName(i)));
    }
    UpdateData(false);
    EnableFormatList();
}

void CBatchPrintingDialog::OnCommand(int id, Notification what)
{
    if ((id == kIdAutoDetect || id == kIdForceFormat) && what == Notification::Clicked) {
        UpdateData(true);
        EnableFormatList();
        return;
    }
    CTemplateDialog::OnCommand(id, what);
}

void CBatchPrintingDialog::OnOK()
{
    UpdateData(true);
    if (option_ == kOptionAutoDetect)
        format_ = -1;
    accept();
}

void CBatchPrintingDialog::EnableFormatList()
{
    Form().Enable(kIdFormatList, option_ == kOptionForceFormat);
}
