#pragma once

#include <string>

// How the core reaches the user: message boxes in the window, standard error in the
// command-line tool. Texts are looked up by message key, so that the window can answer
// in the current language; the default answers with the English texts.
class CUserMessages {
public:
    virtual ~CUserMessages() = default;

    // The text of a message key in the current language.
    virtual std::string Text(int key) const;

    // An error (configuration problems).
    virtual void ShowError(const std::string& text) = 0;
    // A notice the user only acknowledges.
    virtual void ShowInformation(const std::string& text) = 0;
    // A question; true for Yes.
    virtual bool AskYesNo(const std::string& text) = 0;
};

// Replaces the first "%s" of a text with an argument (the message texts carry one).
std::string FillPlaceholder(const std::string& text, const std::string& argument);
