// Feeds arbitrary text to the reader of a printer's strings file (what the print server
// sends back) and checks that every pair it finds came from the text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "layout/CupsPrinters.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::size_t total = 0;
    for (const auto& [key, value] : ParseCupsStrings(text))
        total += key.size() + value.size();
    // Every character of a key or a value is read from the text at most once.
    Check(total <= size);
    (void)NamesCdTray(text, true);
    (void)NamesCdTray(text, false);
    return 0;
}
