#include "dialogs/CalibrationDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "formats/PrinterCalibration.h"
#include "i18n/DefaultTexts.h"
#include "i18n/UserMessages.h"

namespace {

QString Q(const std::string& s)
{
    return QString::fromStdString(s);
}

// The labels' texts carry no accelerator of their own.
QString Label(const CUserMessages& messages, int key)
{
    QString text = Q(messages.Text(key));
    text.remove(QLatin1Char('&'));
    return text;
}

} // namespace

CCalibrationDialog::CCalibrationDialog(QWidget* parent, CUserMessages& messages,
                                       const std::vector<std::string>& printers, const std::string& current,
                                       std::string settingsPath)
    : QDialog(parent), messages_(messages), settingsPath_(std::move(settingsPath))
{
    setObjectName(QStringLiteral("calibration"));
    setWindowTitle(Label(messages, kTextCalibrationTitle));
    auto* help = new QLabel(Q(messages.Text(kTextCalibrationHelp)), this);
    help->setWordWrap(true);
    help->setMinimumWidth(360);

    printers_ = new QComboBox(this);
    printers_->setObjectName(QStringLiteral("printers"));
    for (const std::string& p : printers)
        printers_->addItem(Q(p));
    const int at = printers_->findText(Q(current));
    if (at >= 0)
        printers_->setCurrentIndex(at);

    auto* form = new QFormLayout;
    form->addRow(Label(messages, kTextCalibrationPrinter), printers_);
    const int keys[4] = {kTextCalibrationSheetX, kTextCalibrationSheetY, kTextCalibrationDiscX,
                         kTextCalibrationDiscY};
    for (int k = 0; k < 4; ++k) {
        fields_[k] = new QDoubleSpinBox(this);
        fields_[k]->setRange(-50, 50);
        fields_[k]->setDecimals(1);
        fields_[k]->setSingleStep(0.1);
        fields_[k]->setSuffix(QStringLiteral(" mm"));
        form->addRow(Label(messages, keys[k]), fields_[k]);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(Label(messages, 7030));
    buttons->button(QDialogButtonBox::Cancel)->setText(Label(messages, 7031));
    buttons->button(QDialogButtonBox::Ok)->setEnabled(printers_->count() > 0);
    connect(buttons, &QDialogButtonBox::accepted, this, &CCalibrationDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CCalibrationDialog::reject);
    connect(printers_, &QComboBox::currentIndexChanged, this, [this] { Load(); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(help);
    layout->addLayout(form);
    layout->addWidget(buttons);
    Load();
}

void CCalibrationDialog::Load()
{
    const PrinterCalibration c =
        ReadPrinterCalibration(settingsPath_, printers_->currentText().toStdString());
    const double values[4] = {c.sheetX, c.sheetY, c.discX, c.discY};
    for (int k = 0; k < 4; ++k)
        fields_[k]->setValue(values[k]);
}

void CCalibrationDialog::accept()
{
    if (printers_->count() == 0)
        return;
    const PrinterCalibration c{fields_[0]->value(), fields_[1]->value(), fields_[2]->value(),
                               fields_[3]->value()};
    if (!WritePrinterCalibration(settingsPath_, printers_->currentText().toStdString(), c)) {
        QMessageBox::critical(this, windowTitle(),
                              Q(FillPlaceholder(messages_.Text(kMsgCalibrationNotSaved), settingsPath_)));
        return;
    }
    QDialog::accept();
}
