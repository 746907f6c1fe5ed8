#pragma once

#include <string>

// Where the program's data lies: Sleevit.dat, languages/, skins/ and releasenotes.txt.
// That is the executable's own folder when Sleevit.dat lies there (a build tree or a
// portable copy), else <prefix>/share/sleevit beside the executable's <prefix>/bin (an
// installation moved to another prefix), else the installed data folder.
std::string ProgramFolder();
// The same rule for a given executable path and installed data folder (for tests).
std::string ProgramFolderFor(const std::string& executablePath, const std::string& installedDataDir);

// The catalogue to read at start-up: the user's own copy ($XDG_DATA_HOME/sleevit/
// Sleevit.dat, else ~/.local/share/sleevit/Sleevit.dat) when one exists, written there
// because the installed copy could not be written, else the one in ProgramFolder().
std::string CatalogueReadPath();
// The same with the program's data in programFolder.
std::string CatalogueReadPathIn(const std::string& programFolder);
// Where the format editor writes the catalogue it read from readPath: that file when it
// can be written, else the user's own copy.
std::string CatalogueWritePath(const std::string& readPath);
// The user's own copy's path (whether or not it exists).
std::string UserCataloguePath();
