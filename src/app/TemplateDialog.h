#pragma once

#include <QDialog>

#include <string>

#include "app/TemplateForm.h"

// Control ids every dialog shares: the OK and Cancel buttons.
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;

// A modal dialog built from a template. Subclasses supply the data exchange between
// their fields and the controls, their first initialisation and their command handling;
// OK reads the controls and closes with Accepted, Cancel and Escape close with Rejected.
class CTemplateDialog : public QDialog {
    Q_OBJECT
public:
    CTemplateDialog(int templateId, QWidget* parent);

    // Builds the controls and runs OnInitDialog once; false when the template is missing.
    bool Create();
    // Create() if needed, then runs the dialog; QDialog::Accepted or Rejected.
    int DoModal();

    CTemplateForm& Form() { return form_; }
    const CTemplateForm& Form() const { return form_; }

    // Copies the controls into the fields (save) or the fields into the controls.
    void UpdateData(bool save) { DoDataExchange(save); }

protected:
    virtual QWidget* CreateControl(const ControlTemplate& control, QWidget* parent);
    virtual void DoDataExchange(bool save);
    virtual void OnInitDialog();
    virtual void OnCommand(int id, Notification what);
    virtual void OnOK();
    virtual void OnCancel();

    // Exchange helpers for DoDataExchange.
    void ExchangeCheck(bool save, int id, int& value);
    void ExchangeText(bool save, int id, std::string& value);
    void ExchangeIndex(bool save, int id, int& value);

    void reject() override;

private:
    int templateId_;
    bool created_ = false;
    CTemplateForm form_;
};
