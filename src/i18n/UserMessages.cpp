#include "i18n/UserMessages.h"

#include "i18n/DefaultTexts.h"

std::string CUserMessages::Text(int key) const
{
    if (textSource_ != nullptr)
        return textSource_->Text(key);
    const char* text = DefaultText(key);
    return text != nullptr ? text : "???";
}

std::string FillPlaceholder(const std::string& text, const std::string& argument)
{
    const std::size_t at = text.find("%s");
    if (at == std::string::npos)
        return text;
    return text.substr(0, at) + argument + text.substr(at + 2);
}
