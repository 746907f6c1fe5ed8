#pragma once

#include <string>
#include <vector>

#include "i18n/UserMessages.h"

// Records what the core would have shown, for tests to inspect.
class CCollectingMessages final : public CUserMessages {
public:
    void ShowError(const std::string& text) override { errors.push_back(text); }
    void ShowInformation(const std::string& text) override { notices.push_back(text); }
    bool AskYesNo(const std::string& text) override
    {
        questions.push_back(text);
        return answer;
    }

    std::vector<std::string> errors;
    std::vector<std::string> notices;
    std::vector<std::string> questions;
    bool answer = true;
};
