#pragma once

#include <cstddef>
#include <string>
#include <vector>

// At most this many skin folders are taken (the first ones in listing order), so that a
// folder filled by mistake cannot make the Skins menu endless.
inline constexpr std::size_t kMaxSkinFolders = 1000;

// The folder that holds the skin folders: programFolder followed by "/skins".
std::string SkinsFolderOf(const std::string& programFolder);

// The names of the sub-folders of skinsFolder, each one a skin. A folder that does not
// exist or cannot be read has none. Entries that are not folders (a link to a folder
// counts as one) and hidden folders (names starting with ".") are left out.
//
// Order: the listing order of a directory is arbitrary on Linux, so the names are
// sorted: by their bytes with the ASCII letters A-Z compared as a-z, and names that
// differ only in those letters' case by their plain bytes ("Blue" before "blue"). The
// order is the same on every machine and in every locale.
std::vector<std::string> ListSkinFolders(const std::string& skinsFolder);

// The order ListSkinFolders uses: true when a comes before b.
bool SkinFolderBefore(const std::string& a, const std::string& b);
