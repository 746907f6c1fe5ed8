#include "dialogs/DonateDialog.h"

#include "app/AppOptions.h"
#include "dialogs/HyperLink.h"

CDonateDialog::CDonateDialog(QWidget* parent, AppOptions& options)
    : CTemplateDialog(kTemplateId, parent), options_(options)
{
}

QWidget* CDonateDialog::CreateControl(const ControlTemplate& control, QWidget* parent)
{
    if (control.kind != ControlKind::Link)
        return nullptr;
    auto* link = new CHyperLink(parent);
    link->setText(StaticDisplayText(control.text));
    return link;
}

void CDonateDialog::DoDataExchange(bool save)
{
    ExchangeCheck(save, kIdShowAtStartUp, showAtStartUp_);
}

void CDonateDialog::OnInitDialog()
{
    showAtStartUp_ = options_.showDonationDialog ? 1 : 0;
    TranslateDialog(*this, kTextPairs, kCaptionKey);
    CTemplateDialog::OnInitDialog();
    if (auto* link = Form().ItemAs<CHyperLink>(kIdDonateLink)) {
        link->setFont(
            FixedPointFont({QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")}, 9, true));
        link->SetTarget(FromQt(link->text()));
    }
}

void CDonateDialog::StoreOption()
{
    UpdateData(true);
    options_.showDonationDialog = showAtStartUp_ != 0;
}

void CDonateDialog::OnOK()
{
    StoreOption();
    accept();
}

void CDonateDialog::OnCancel()
{
    StoreOption();
    CTemplateDialog::OnCancel();
}
