#include "app/DialogTextSource.h"

namespace {

DialogTextSource& Source()
{
    static DialogTextSource source;
    return source;
}

} // namespace

void SetDialogTextSource(DialogTextSource source)
{
    Source() = std::move(source);
}

std::string DialogText(int key, const std::string& english)
{
    const DialogTextSource& source = Source();
    if (source.setDefault)
        source.setDefault(key, english);
    if (!source.text)
        return english;
    std::string text = source.text(key);
    return text.empty() ? english : text;
}
