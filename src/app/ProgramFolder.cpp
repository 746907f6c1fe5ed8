#include "app/ProgramFolder.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include <unistd.h>

namespace fs = std::filesystem;

#ifndef SLEEVIT_INSTALLED_DATA_DIR
#define SLEEVIT_INSTALLED_DATA_DIR "/usr/local/share/sleevit"
#endif

static std::string ExecutablePath()
{
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : self.string();
}

std::string ProgramFolderFor(const std::string& executablePath, const std::string& installedDataDir)
{
    if (!executablePath.empty()) {
        const fs::path folder = fs::path(executablePath).parent_path();
        std::error_code ec;
        if (fs::is_regular_file(folder / "Sleevit.dat", ec))
            return folder.string();
        // An installation in another prefix than the one built for: <prefix>/bin
        // beside <prefix>/share/sleevit.
        const fs::path shared = folder.parent_path() / "share" / "sleevit";
        if (fs::is_regular_file(shared / "Sleevit.dat", ec))
            return shared.string();
    }
    return installedDataDir;
}

std::string ProgramFolder()
{
    return ProgramFolderFor(ExecutablePath(), SLEEVIT_INSTALLED_DATA_DIR);
}

std::string UserCataloguePath()
{
    const char* xdg = std::getenv("XDG_DATA_HOME");
    fs::path base;
    if (xdg != nullptr && xdg[0] == '/') {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        base = fs::path(home != nullptr ? home : "/tmp") / ".local" / "share";
    }
    return (base / "sleevit" / "Sleevit.dat").string();
}

std::string CatalogueReadPath()
{
    return CatalogueReadPathIn(ProgramFolder());
}

std::string CatalogueReadPathIn(const std::string& programFolder)
{
    std::error_code ec;
    const std::string user = UserCataloguePath();
    if (fs::is_regular_file(user, ec))
        return user;
    return (fs::path(programFolder) / "Sleevit.dat").string();
}

std::string CatalogueWritePath(const std::string& readPath)
{
    if (!readPath.empty()) {
        // The file is replaced by renaming a new file over it, so both the file and its
        // folder must be writable.
        const fs::path path(readPath);
        const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
        if (::access(folder.c_str(), W_OK) == 0 && (::access(path.c_str(), W_OK) == 0 || errno == ENOENT))
            return readPath;
    }
    const std::string user = UserCataloguePath();
    std::error_code ec;
    fs::create_directories(fs::path(user).parent_path(), ec);
    return user;
}
