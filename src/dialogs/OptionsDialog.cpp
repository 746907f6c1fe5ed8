#include "dialogs/OptionsDialog.h"

#include <QFrame>

#include "app/AppOptions.h"

COptionsDialog::COptionsDialog(AppOptions& options, QWidget* parent)
    : CTemplateDialog(kTemplateId, parent), options_(options)
{
}

COptionsDialog::~COptionsDialog()
{
    // A dialog destroyed while it was still open keeps its values as well.
    if (initialised_ && isVisible())
        StoreOptions();
}

QWidget* COptionsDialog::CreateControl(const ControlTemplate& control, QWidget* parent)
{
    if (control.kind != ControlKind::Custom)
        return nullptr;
    // The decorative lines: one pixel of frame colour across their rectangle.
    auto* line = new QFrame(parent);
    line->setFrameShape(control.HasFlag("VLINE") ? QFrame::VLine : QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setLineWidth(1);
    line->setFocusPolicy(Qt::NoFocus);
    return line;
}

void COptionsDialog::DoDataExchange(bool save)
{
    ExchangeCheck(save, kIdAutoRotate, autoRotate_);
    ExchangeCheck(save, kIdAutoDetectFormat, autoDetectFormat_);
    ExchangeCheck(save, kIdMaskPrintJobName, maskPrintJobName_);
    ExchangeText(save, kIdPrintJobName, printJobName_);
    ExchangeCheck(save, kIdReloadOnStartup, reloadOnStartup_);
    ExchangeCheck(save, kIdAutoload2ndImage, autoload2ndImage_);
    ExchangeText(save, kIdLeftKeywords, frontKeywords_);
    ExchangeText(save, kIdRightKeywords, backKeywords_);
    ExchangeCheck(save, kIdShowSplash, showSplash_);
    ExchangeCheck(save, kIdCheckPrintableArea, checkPrintableArea_);
    ExchangeCheck(save, kIdBatchMode, batchMode_);
    ExchangeCheck(save, kIdPrintBorder, printBorder_);
}

void COptionsDialog::OnInitDialog()
{
    TranslateDialog(*this, kTextPairs, kCaptionKey);

    frontKeywords_ = kFrontKeywordsText;
    backKeywords_ = kBackKeywordsText;
    printJobName_ = options_.printJobName;
    autoRotate_ = options_.autoRotate;
    maskPrintJobName_ = options_.maskPrintJobName;
    autoload2ndImage_ = options_.autoload2ndImage;
    reloadOnStartup_ = options_.reloadOnStartup;
    showSplash_ = options_.showSplash;
    checkPrintableArea_ = options_.checkPrintableArea;
    batchMode_ = options_.batchMode;
    autoDetectFormat_ = options_.autoDetectFormat;
    printBorder_ = options_.printBorder;

    Form().Enable(kIdPrintJobName, maskPrintJobName_ != 0);
    UpdateData(false);
    if (QWidget* first = Form().Item(kIdAutoRotate))
        first->setFocus();
    initialised_ = true;
}

void COptionsDialog::OnCommand(int id, Notification what)
{
    if (id == kIdMaskPrintJobName && what == Notification::Clicked) {
        UpdateData(true);
        Form().Enable(kIdPrintJobName, maskPrintJobName_ != 0);
        return;
    }
    CTemplateDialog::OnCommand(id, what);
}

// OK, Escape and the close box all end here: each keeps what the user set.
void COptionsDialog::done(int result)
{
    if (initialised_)
        StoreOptions();
    CTemplateDialog::done(result);
}

void COptionsDialog::StoreOptions()
{
    UpdateData(true);
    options_.autoRotate = autoRotate_;
    options_.maskPrintJobName = maskPrintJobName_;
    options_.printJobName = printJobName_;
    options_.reloadOnStartup = reloadOnStartup_;
    options_.autoload2ndImage = autoload2ndImage_;
    options_.showSplash = showSplash_;
    options_.checkPrintableArea = checkPrintableArea_;
    options_.batchMode = batchMode_;
    options_.autoDetectFormat = autoDetectFormat_;
    options_.printBorder = printBorder_;
}
