#include "i18n/GatheredErrors.h"

#include "i18n/DefaultTexts.h"

namespace {

// A text cut to a number of bytes, never inside a UTF-8 sequence.
std::string Shortened(const std::string& text, std::size_t bytes)
{
    if (text.size() <= bytes)
        return text;
    std::size_t end = bytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end) + "...";
}

} // namespace

void CGatheredErrors::ShowError(const std::string& text)
{
    if (first_.size() < shown_)
        first_.push_back(Shortened(text, kMaxTextBytes));
    else
        ++more_;
}

void CGatheredErrors::Flush()
{
    if (first_.empty())
        return;
    std::string all;
    for (const std::string& text : first_)
        all += (all.empty() ? "" : "\n\n") + text;
    if (more_ > 0)
        all += "\n\n" + FillPlaceholder(target_.Text(kTextMoreCatalogueLines), std::to_string(more_));
    first_.clear();
    more_ = 0;
    target_.ShowError(all);
}
