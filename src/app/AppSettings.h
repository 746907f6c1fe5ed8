#pragma once

#include <memory>
#include <string>

class QSettings;

// Every option that persists between runs, by its storage name.
enum class Setting {
    Language,
    DrawCutAndFoldLines,
    AutoRotate,
    BatchMode,
    CheckForPrintableArea,
    MaskPrintJobName,
    PrintJobName,
    Autoload2ndImage,
    ReloadOnStartup,
    RecentFileLeft,
    RecentFileRight,
    AutoDetectFormat,
    LastUsedLeftFormat,
    LastUsedRightFormat,
    SelectedSkin,
    PrintBorder,
    ShowSplash,
    NrCoversPrinted,
    ShowPayPalDialog,
    ShowPreview,
    LastUsedPath,
    PositionX,
    PositionY,
};

struct SettingDefinition {
    Setting id;
    const char* section;
    const char* name;      // the name it is read under
    const char* writeName; // the name it is written under (differs only in letter case)
    bool isText;
    int intDefault;
    const char* textDefault;
};

// The table of all settings: section, name, type and default.
const SettingDefinition& DefinitionOf(Setting id);
int SettingCount();
const SettingDefinition& DefinitionAt(int index);

// Reads and writes the settings in the user's settings file (organisation "Tessaly",
// application "Sleevit"; sections are groups). Value names are matched without regard
// to letter case, so a value written as "AutoLoad2ndImage" reads back as
// "Autoload2ndImage". An absent value, or one of the wrong type, yields its default.
class AppSettings {
public:
    AppSettings();
    // Settings kept in a given INI file (tests, portable use).
    explicit AppSettings(const std::string& iniPath);
    ~AppSettings();
    AppSettings(const AppSettings&) = delete;
    AppSettings& operator=(const AppSettings&) = delete;

    int ReadInt(Setting id) const;
    std::string ReadText(Setting id) const;
    void WriteInt(Setting id, int value);
    void WriteText(Setting id, const std::string& text);

    // Any value by section and name (for names made at run time).
    int ReadInt(const std::string& section, const std::string& name, int fallback) const;
    std::string ReadText(const std::string& section, const std::string& name,
                         const std::string& fallback) const;
    void WriteInt(const std::string& section, const std::string& name, int value);
    void WriteText(const std::string& section, const std::string& name, const std::string& text);

    // Writes pending changes to disk.
    void Sync();
    std::string FileName() const;

private:
    std::unique_ptr<QSettings> store_;
};
