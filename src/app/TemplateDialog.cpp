#include "app/TemplateDialog.h"

CTemplateDialog::CTemplateDialog(int templateId, QWidget* parent) : QDialog(parent), templateId_(templateId)
{
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
}

bool CTemplateDialog::Create()
{
    if (created_) {
        return true;
    }
    bool built = form_.Create(
        this, templateId_,
        [this](const ControlTemplate& control, QWidget* parent) { return CreateControl(control, parent); },
        [this](int id, Notification what) { OnCommand(id, what); });
    if (!built) {
        return false;
    }
    created_ = true;
    setWindowTitle(ToQt(form_.Template().caption));
    setFixedSize(form_.ClientSize());
    OnInitDialog();
    return true;
}

int CTemplateDialog::DoModal()
{
    if (!Create()) {
        return QDialog::Rejected;
    }
    return exec();
}

QWidget* CTemplateDialog::CreateControl(const ControlTemplate&, QWidget*)
{
    return nullptr;
}

void CTemplateDialog::DoDataExchange(bool) {}

void CTemplateDialog::OnInitDialog()
{
    UpdateData(false);
}

void CTemplateDialog::OnCommand(int id, Notification what)
{
    if (what != Notification::Clicked) {
        return;
    }
    if (id == kIdOk) {
        OnOK();
    } else if (id == kIdCancel) {
        OnCancel();
    }
}

void CTemplateDialog::OnOK()
{
    UpdateData(true);
    accept();
}

void CTemplateDialog::OnCancel()
{
    QDialog::reject();
}

// Escape and the close box come here: they act as Cancel.
void CTemplateDialog::reject()
{
    OnCancel();
}

void CTemplateDialog::ExchangeCheck(bool save, int id, int& value)
{
    if (save) {
        value = form_.Checked(id) ? 1 : 0;
    } else {
        form_.SetChecked(id, value != 0);
    }
}

void CTemplateDialog::ExchangeText(bool save, int id, std::string& value)
{
    if (save) {
        value = form_.Text(id);
    } else {
        form_.SetText(id, value);
    }
}

void CTemplateDialog::ExchangeIndex(bool save, int id, int& value)
{
    if (save) {
        value = form_.CurrentIndex(id);
    } else {
        form_.SetCurrentIndex(id, value);
    }
}
