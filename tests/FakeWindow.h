#pragma once

#include <map>
#include <string>

#include "i18n/TranslatableWindow.h"

// A window whose controls are a map from id to text, for translating without a toolkit.
class FakeWindow final : public CTranslatableWindow {
public:
    std::string ControlText(int controlId) const override
    {
        const auto it = controls.find(controlId);
        return it == controls.end() ? std::string() : it->second;
    }
    void SetControlText(int controlId, const std::string& text) override { controls[controlId] = text; }
    std::string Caption() const override { return caption; }
    void SetCaption(const std::string& text) override { caption = text; }

    std::map<int, std::string> controls;
    std::string caption;
};
