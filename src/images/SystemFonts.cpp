#include "images/SystemFonts.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <tuple>

namespace {

// Documents name few fonts; a file naming thousands of made-up families only costs
// lookups, never memory without bound.
constexpr std::size_t kMaxRemembered = 256;

using Key = std::tuple<std::string, int, bool>;

std::optional<FontFile> Match(const std::string& family, int weight, bool italic)
{
    FcConfig* config = FcConfigGetCurrent(); // loads the configuration once
    if (config == nullptr)
        return std::nullopt;
    FcPattern* pattern = FcPatternCreate();
    if (pattern == nullptr)
        return std::nullopt;
    if (!family.empty())
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(std::clamp(weight, 1, 1000)));
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    FcPatternDestroy(pattern);
    if (match == nullptr)
        return std::nullopt;
    std::optional<FontFile> found;
    FcChar8* file = nullptr;
    int index = 0;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file != nullptr) {
        FcPatternGetInteger(match, FC_INDEX, 0, &index);
        found = FontFile{reinterpret_cast<const char*>(file), index};
    }
    FcPatternDestroy(match);
    return found;
}

} // namespace

#if defined(__SANITIZE_ADDRESS__)
#define SLEEVIT_LEAK_CHECKED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SLEEVIT_LEAK_CHECKED 1
#endif
#endif
#ifdef SLEEVIT_LEAK_CHECKED
// fontconfig keeps a few blocks of its one-time set-up unreachable until the process
// ends; the leak checker of sanitised builds is told to pass over them.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}
#endif

std::optional<FontFile> FindSystemFont(const std::string& family, int weight, bool italic)
{
    static std::mutex mutex;
    static std::map<Key, std::optional<FontFile>> remembered;
    const std::lock_guard lock(mutex);
    Key key{family, weight, italic};
    if (const auto it = remembered.find(key); it != remembered.end())
        return it->second;
    std::optional<FontFile> found = Match(family, weight, italic);
    if (remembered.size() >= kMaxRemembered)
        remembered.clear();
    remembered.emplace(std::move(key), found);
    return found;
}
