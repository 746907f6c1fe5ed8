// Decodes arbitrary bytes as a text file (catalogue, language file, skin.ini): the
// result is valid UTF-8 whose every line ends in CR LF, with no other CR or LF.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "textfiles/TextEncoding.h"
#include "textfiles/TextFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string text = DecodeTextBytes(bytes);
    if (!text.empty())
        Check(text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r')
            Check(i + 1 < text.size() && text[i + 1] == '\n');
        if (text[i] == '\n')
            Check(i > 0 && text[i - 1] == '\r');
    }
    // Valid UTF-8 survives a trip through UTF-16 unchanged.
    Check(Utf16LeToUtf8(Utf8ToUtf16Le(text)) == text);
    return 0;
}
