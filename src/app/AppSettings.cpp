#include "app/AppSettings.h"

#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace {

const SettingDefinition kSettings[] = {
    {Setting::Language, "Options", "Language", "Language", false, 0, ""},
    {Setting::DrawCutAndFoldLines, "Options", "DrawCutAndFoldLines", "DrawCutAndFoldLines", false, 1, ""},
    {Setting::AutoRotate, "Options", "AutoRotate", "AutoRotate", false, 1, ""},
    {Setting::BatchMode, "Options", "BatchMode", "BatchMode", false, 0, ""},
    {Setting::CheckForPrintableArea, "Options", "CheckForPrintableArea", "CheckForPrintableArea", false, 1,
     ""},
    {Setting::MaskPrintJobName, "Options", "MaskPrintJobName", "MaskPrintJobName", false, 0, ""},
    {Setting::PrintJobName, "Options", "PrintJobName", "PrintJobName", true, 0, "Microsoft Word - Document1"},
    {Setting::Autoload2ndImage, "Options", "Autoload2ndImage", "AutoLoad2ndImage", false, 1, ""},
    {Setting::ReloadOnStartup, "Options", "ReloadOnStartup", "ReloadOnStartup", false, 1, ""},
    {Setting::RecentFileLeft, "Options", "RecentFileLeft", "RecentFileLeft", true, 0, ""},
    {Setting::RecentFileRight, "Options", "RecentFileRight", "RecentFileRight", true, 0, ""},
    {Setting::AutoDetectFormat, "Options", "AutoDetectFormat", "AutoDetectFormat", false, 1, ""},
    {Setting::LastUsedLeftFormat, "Options", "LastUsedLeftFormat", "LastUsedLeftFormat", false, 0, ""},
    {Setting::LastUsedRightFormat, "Options", "LastUsedRightFormat", "LastUsedRightFormat", false, 0, ""},
    {Setting::SelectedSkin, "Options", "SelectedSkin", "SelectedSkin", false, -1, ""},
    {Setting::PrintBorder, "Options", "Print Border", "Print Border", false, 1, ""},
    {Setting::ShowSplash, "Options", "ShowSplash", "ShowSplash", false, 1, ""},
    {Setting::NrCoversPrinted, "Options", "NrCoversPrinted", "NrCoversPrinted", false, 0, ""},
    // The version is part of the name, so each version asks afresh.
    {Setting::ShowPayPalDialog, "Options", "ShowPayPalDialog 1.14", "ShowPayPalDialog 1.14", false, 2, ""},
    {Setting::ShowPreview, "Options", "ShowPreview", "ShowPreview", false, 1, ""},
    {Setting::LastUsedPath, "Paths", "LastUsed", "LastUsed", true, 0, ""},
    {Setting::PositionX, "Position", "X", "X", false, -1, ""},
    {Setting::PositionY, "Position", "Y", "Y", false, 0, ""},
};

QString Q(const std::string& s)
{
    return QString::fromStdString(s);
}

// The key under which a value of that name is stored in a section, whatever its
// letter case; the name itself when there is none yet.
QString StoredKey(QSettings& store, const QString& section, const QString& name)
{
    // QSettings has no case-insensitive lookup, so look through the section's keys.
    store.beginGroup(section);
    const QStringList keys = store.childKeys();
    store.endGroup();
    for (const QString& key : keys)
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return section + QLatin1Char('/') + key;
    return section + QLatin1Char('/') + name;
}

// Removes every spelling of the name, so that a write leaves one value behind.
void RemoveAllSpellings(QSettings& store, const QString& section, const QString& name)
{
    store.beginGroup(section);
    const QStringList keys = store.childKeys();
    for (const QString& key : keys)
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            store.remove(key);
    store.endGroup();
}

} // namespace

const SettingDefinition& DefinitionOf(Setting id)
{
    return kSettings[static_cast<int>(id)];
}

int SettingCount()
{
    return static_cast<int>(sizeof kSettings / sizeof kSettings[0]);
}

const SettingDefinition& DefinitionAt(int index)
{
    return kSettings[index];
}

AppSettings::AppSettings()
    : store_(std::make_unique<QSettings>(QStringLiteral("Tessaly"), QStringLiteral("Sleevit")))
{
}

AppSettings::AppSettings(const std::string& iniPath)
    : store_(std::make_unique<QSettings>(Q(iniPath), QSettings::IniFormat))
{
}

AppSettings::~AppSettings() = default;

int AppSettings::ReadInt(const std::string& section, const std::string& name, int fallback) const
{
    const QVariant value = store_->value(StoredKey(*store_, Q(section), Q(name)));
    if (!value.isValid())
        return fallback;
    bool ok = false;
    const int number = value.toInt(&ok);
    return ok ? number : fallback;
}

std::string AppSettings::ReadText(const std::string& section, const std::string& name,
                                  const std::string& fallback) const
{
    const QVariant value = store_->value(StoredKey(*store_, Q(section), Q(name)));
    return value.isValid() ? value.toString().toStdString() : fallback;
}

void AppSettings::WriteInt(const std::string& section, const std::string& name, int value)
{
    RemoveAllSpellings(*store_, Q(section), Q(name));
    store_->setValue(Q(section) + QLatin1Char('/') + Q(name), value);
}

void AppSettings::WriteText(const std::string& section, const std::string& name, const std::string& text)
{
    RemoveAllSpellings(*store_, Q(section), Q(name));
    store_->setValue(Q(section) + QLatin1Char('/') + Q(name), Q(text));
}

int AppSettings::ReadInt(Setting id) const
{
    const SettingDefinition& d = DefinitionOf(id);
    return ReadInt(d.section, d.name, d.intDefault);
}

std::string AppSettings::ReadText(Setting id) const
{
    const SettingDefinition& d = DefinitionOf(id);
    return ReadText(d.section, d.name, d.textDefault);
}

void AppSettings::WriteInt(Setting id, int value)
{
    const SettingDefinition& d = DefinitionOf(id);
    WriteInt(d.section, d.writeName, value);
}

void AppSettings::WriteText(Setting id, const std::string& text)
{
    const SettingDefinition& d = DefinitionOf(id);
    WriteText(d.section, d.writeName, text);
}

void AppSettings::Sync()
{
    store_->sync();
}

std::string AppSettings::FileName() const
{
    return store_->fileName().toStdString();
}
