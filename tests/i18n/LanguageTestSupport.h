#pragma once

#include <map>
#include <string>

#include "ScratchFolder.h"
#include "i18n/TranslatableWindow.h"

// A window whose controls are a map from id to text.
class FakeWindow final : public CTranslatableWindow {
public:
    std::string ControlText(int controlId) const override
    {
        const auto it = controls.find(controlId);
        return it == controls.end() ? std::string() : it->second;
    }
    void SetControlText(int controlId, const std::string& text) override
    {
        controls[controlId] = text;
        ++writes;
    }
    std::string Caption() const override { return caption; }
    void SetCaption(const std::string& text) override { caption = text; }

    std::map<int, std::string> controls;
    std::string caption;
    int writes = 0;
};
