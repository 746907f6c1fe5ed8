#pragma once

#include <array>

#include "app/DialogTexts.h"
#include "app/TemplateDialog.h"

struct AppOptions;

// Tells the user that Sleevit is free and that a donation helps its development, with
// a link to the donation page and the choice whether to show this at start-up. It has
// no Cancel: OK, Escape and the close box all keep the box as the user set it.
class CDonateDialog final : public CTemplateDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 190;
    // Control ids.
    static constexpr int kIdFreeText = 1001;
    static constexpr int kIdHelpText = 1002;
    static constexpr int kIdDonateLink = 1003;
    static constexpr int kIdShowAtStartUp = 1004;

    static constexpr int kCaptionKey = 8020;
    static constexpr std::array<TextPair, 4> kTextPairs{{
        {kIdFreeText, 8021},
        {kIdHelpText, 8022},
        {kIdShowAtStartUp, 8023},
        {kIdOk, 8024},
    }};

    CDonateDialog(QWidget* parent, AppOptions& options);

protected:
    QWidget* CreateControl(const ControlTemplate& control, QWidget* parent) override;
    void DoDataExchange(bool save) override;
    void OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

private:
    // Reads the box into the process-wide option.
    void StoreOption();

    AppOptions& options_;
    int showAtStartUp_ = 0;
};
