#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "i18n/UserMessages.h"

// Gathers the errors of one task (reading a catalogue full of bad lines) and passes
// them on as one error message: the first few in full, then how many more there were.
// Notices and questions go straight through.
class CGatheredErrors final : public CUserMessages {
public:
    // Errors are shown as at most `shown` texts of at most kMaxTextBytes each.
    explicit CGatheredErrors(CUserMessages& target, std::size_t shown = 5) : target_(target), shown_(shown) {}

    static constexpr std::size_t kMaxTextBytes = 400;

    std::string Text(int key) const override { return target_.Text(key); }
    void ShowError(const std::string& text) override;
    void ShowInformation(const std::string& text) override { target_.ShowInformation(text); }
    bool AskYesNo(const std::string& text) override { return target_.AskYesNo(text); }

    // Shows what was gathered as one error, if anything was, and starts afresh.
    void Flush();

private:
    CUserMessages& target_;
    std::size_t shown_;
    std::vector<std::string> first_;
    std::size_t more_ = 0;
};
