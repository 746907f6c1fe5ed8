#pragma once

#include <string>

#include "i18n/UserMessages.h"

// Swallows every message; questions are answered Yes.
class CNullMessages final : public CUserMessages {
public:
    void ShowError(const std::string&) override { ++count; }
    void ShowInformation(const std::string&) override { ++count; }
    bool AskYesNo(const std::string&) override
    {
        ++count;
        return true;
    }
    int count = 0;
};
