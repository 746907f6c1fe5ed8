#pragma once

#include <string>

// A window whose texts the language table sets: a dialog or form with controls found
// by id, and its caption. The shell implements it over its widgets.
class CTranslatableWindow {
public:
    virtual ~CTranslatableWindow() = default;

    // The current text of a control ("" when the window has no such control).
    virtual std::string ControlText(int controlId) const = 0;
    // Sets a control's text (nothing when the window has no such control).
    virtual void SetControlText(int controlId, const std::string& text) = 0;

    virtual std::string Caption() const = 0;
    virtual void SetCaption(const std::string& text) = 0;
};
