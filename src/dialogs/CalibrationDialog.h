#pragma once

#include <string>
#include <vector>

#include <QDialog>

class CUserMessages;
class QComboBox;
class QDoubleSpinBox;

// "Printer Calibration": the millimetres covers are moved right and down on one printer,
// for sheets and for discs, read from and saved to the settings file on OK.
class CCalibrationDialog final : public QDialog {
    Q_OBJECT
public:
    CCalibrationDialog(QWidget* parent, CUserMessages& messages, const std::vector<std::string>& printers,
                       const std::string& current, std::string settingsPath);

    QComboBox* Printers() const { return printers_; }
    // Sheet X, sheet Y, disc X, disc Y.
    QDoubleSpinBox* Field(int index) const { return fields_[index]; }

    void accept() override;

private:
    void Load();

    CUserMessages& messages_;
    std::string settingsPath_;
    QComboBox* printers_ = nullptr;
    QDoubleSpinBox* fields_[4] = {};
};
