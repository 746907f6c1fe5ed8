#pragma once

#include <string>

// Where texts come from by message key: the language table of the window answers in the
// current language.
class CTextSource {
public:
    virtual ~CTextSource() = default;
    // The text of a key in the current language, "???" for a key that is not known.
    virtual std::string Text(int key) const = 0;
};

// How the core reaches the user: message boxes in the window, standard error in the
// command-line tool. Texts are looked up by message key, so that the window can answer
// in the current language; the default answers with the English texts.
class CUserMessages {
public:
    virtual ~CUserMessages() = default;

    // The text of a message key: from the text source when one is set, else the
    // English text ("???" for a key that is not in the catalogue).
    virtual std::string Text(int key) const;

    // Texts are taken from source from now on (nullptr: the English texts again). The
    // source is not owned and must outlive its use here.
    void SetTextSource(const CTextSource* source) { textSource_ = source; }

    // An error (configuration problems).
    virtual void ShowError(const std::string& text) = 0;
    // A notice the user only acknowledges.
    virtual void ShowInformation(const std::string& text) = 0;
    // A question; true for Yes.
    virtual bool AskYesNo(const std::string& text) = 0;

private:
    const CTextSource* textSource_ = nullptr;
};

// Replaces the first "%s" of a text with an argument (the message texts carry one).
std::string FillPlaceholder(const std::string& text, const std::string& argument);
