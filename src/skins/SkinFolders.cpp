#include "skins/SkinFolders.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace {

unsigned char Folded(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}

} // namespace

std::string SkinsFolderOf(const std::string& programFolder)
{
    if (!programFolder.empty() && programFolder.back() == '/')
        return programFolder + "skins";
    return programFolder + "/skins";
}

bool SkinFolderBefore(const std::string& a, const std::string& b)
{
    const bool foldedLess = std::lexicographical_compare(
        a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) { return Folded(x) < Folded(y); });
    if (foldedLess)
        return true;
    const bool foldedGreater = std::lexicographical_compare(
        b.begin(), b.end(), a.begin(), a.end(), [](char x, char y) { return Folded(x) < Folded(y); });
    if (foldedGreater)
        return false;
    // Equal but for the case of ASCII letters: the plain bytes decide, so the order is total.
    return a < b;
}

std::vector<std::string> ListSkinFolders(const std::string& skinsFolder)
{
    namespace fs = std::filesystem;
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(skinsFolder, ec);
    if (ec)
        return names;
    // The loop ends with the directory's entries; an entry that cannot be read is skipped.
    for (const fs::directory_iterator end; it != end; it.increment(ec)) {
        if (ec)
            break;
        std::string name = it->path().filename().string();
        if (name.empty() || name.front() == '.')
            continue;
        std::error_code typeError;
        if (!it->is_directory(typeError) || typeError)
            continue;
        names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end(), SkinFolderBefore);
    if (names.size() > kMaxSkinFolders)
        names.resize(kMaxSkinFolders);
    return names;
}
