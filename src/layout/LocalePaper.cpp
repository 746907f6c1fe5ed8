#include "layout/LocalePaper.h"

#include <cstdint>
#include <cstdlib>

#include <langinfo.h>
#include <locale.h>

namespace {

// The locale name that decides LC_PAPER, the way the C library picks it.
std::string PaperLocaleName()
{
    for (const char* variable : {"LC_ALL", "LC_PAPER", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && value[0] != '\0')
            return value;
    }
    return "C";
}

} // namespace

PaperSize PaperOfLocaleName(const std::string& name)
{
    // language_TERRITORY.codeset@modifier
    const std::size_t underscore = name.find('_');
    if (underscore == std::string::npos)
        return PaperSize::A4();
    const std::string territory = name.substr(underscore + 1, 2);
    return territory == "US" || territory == "CA" ? PaperSize::Letter() : PaperSize::A4();
}

PaperSize LocalePaper()
{
    const std::string name = PaperLocaleName();
    if (name == "C" || name == "POSIX" || name.rfind("C.", 0) == 0)
        return PaperSize::A4();
#ifdef _NL_PAPER_WIDTH
    // The C library hands the paper's millimetres back in the pointer's bits.
    if (locale_t locale = newlocale(LC_PAPER_MASK, name.c_str(), static_cast<locale_t>(nullptr))) {
        const auto width =
            static_cast<int>(reinterpret_cast<std::intptr_t>(nl_langinfo_l(_NL_PAPER_WIDTH, locale)));
        const auto height =
            static_cast<int>(reinterpret_cast<std::intptr_t>(nl_langinfo_l(_NL_PAPER_HEIGHT, locale)));
        freelocale(locale);
        if (width == 216 && height == 279)
            return PaperSize::Letter();
        if (width > 0 && height > 0)
            return PaperSize::A4();
    }
#endif
    return PaperOfLocaleName(name);
}
