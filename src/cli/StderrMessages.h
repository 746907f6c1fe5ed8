#pragma once

#include <cstdio>
#include <string>

#include "i18n/UserMessages.h"

// Messages of the core on standard error; questions are answered with a fixed choice,
// since the tool never waits for a keyboard.
class CStderrMessages final : public CUserMessages {
public:
    explicit CStderrMessages(bool answer = true) : answer_(answer) {}

    void ShowError(const std::string& text) override { Print("error", text); }
    void ShowInformation(const std::string& text) override { Print("note", text); }
    bool AskYesNo(const std::string& text) override
    {
        Print("question", text + (answer_ ? " [yes]" : " [no]"));
        return answer_;
    }
    int ErrorCount() const { return errors_; }

private:
    void Print(const char* kind, const std::string& text)
    {
        if (std::string(kind) == "error")
            ++errors_;
        std::fprintf(stderr, "sleevit-cli: %s: %s\n", kind, text.c_str());
    }
    bool answer_;
    int errors_ = 0;
};
