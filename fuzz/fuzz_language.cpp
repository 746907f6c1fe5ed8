// Reads arbitrary bytes as a language file into the language table, as a translation
// and as the English file. Every text the table gives is valid UTF-8 with no trailing
// white space, the label clean-up holds, a missing text falls back to English, and a
// file written from the texts reads back the same.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>

#include <iconv.h>

#include "FakeWindow.h"
#include "FuzzCheck.h"
#include "i18n/DefaultTexts.h"
#include "i18n/LanguageFile.h"
#include "i18n/LanguageTable.h"
#include "textfiles/TextFile.h"

namespace {

// Whether text is UTF-8: the system's converter refuses overlong forms, surrogates,
// code points past U+10FFFF and cut sequences.
bool IsValidUtf8(const std::string& text)
{
    static const iconv_t cd = iconv_open("UTF-32LE", "UTF-8");
    std::string in = text;
    std::string out(4 * text.size(), '\0');
    char* inPtr = in.data();
    char* outPtr = out.data();
    std::size_t inLeft = in.size(), outLeft = out.size();
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    return iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1) && inLeft == 0;
}

const LanguageTable& Prototype()
{
    static const LanguageTable prototype = [] {
        LanguageTable table;
        table.UseBuiltInDefaults();
        // No such folder: selecting a language keeps the texts loaded from memory.
        table.ScanLanguageFiles("/nonexistent/sleevit-fuzz-languages");
        table.SetAvailable(1, true);
        return table;
    }();
    return prototype;
}

void CheckLanguage(const std::string& bytes, int index)
{
    LanguageTable table = Prototype();
    const bool loaded = table.LoadLanguageBytes(index, bytes);
    Check(loaded == (bytes.size() <= kMaxLanguageFileBytes));
    if (!loaded)
        return;
    table.SelectLanguage(index);
    Check(table.CurrentLanguage() == index);

    for (int i = 0; i < kLanguageKeyCount; ++i) {
        const int key = LanguageKeyAt(i);
        const std::string& own = table.StoredText(index, key);
        Check(IsValidUtf8(own));
        Check(own.empty() || !std::isspace(static_cast<unsigned char>(own.back())));

        const std::string text = table.Text(key, false);
        Check(IsValidUtf8(text));
        Check(text == (own.empty() && index != 0 ? std::string(DefaultText(key)) : own));

        const std::string label = table.Text(key, true);
        Check(IsValidUtf8(label));
        Check(label.find('&') == std::string::npos);
        Check(label.empty() || label.back() != ':');
        Check(label == LabelText(text));

        FakeWindow window;
        window.controls[1] = "template";
        table.TranslateWindow(window, 1, key, true);
        Check(IsValidUtf8(window.controls[1]));
        const std::string want = LabelText(own.empty() && index == 0 ? std::string("template") : own);
        Check(window.controls[1] == (want.empty() ? std::string("template") : want));
    }
    Check(table.Text(9999, false) == LanguageTable::kMissingText);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    CheckLanguage(bytes, 1);
    CheckLanguage(bytes, 0);

    // Raw bytes that never went through the decoder (invalid UTF-8 included).
    const LanguageEntries raw = ParseLanguageText(bytes);
    Check(raw.texts.size() == static_cast<std::size_t>(kLanguageKeyCount));

    // Whatever the writer accepts reads back the same after encoding and decoding.
    if (size <= kMaxLanguageFileBytes) {
        const LanguageEntries entries = ParseLanguageText(DecodeTextBytes(bytes));
        std::string text;
        if (FormatLanguageFile(entries.texts, LanguageFileKind::Language, text))
            Check(ParseLanguageText(DecodeTextBytes(EncodeLanguageFile(text))).texts == entries.texts);
    }
    return 0;
}
