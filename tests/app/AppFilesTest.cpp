// The settings file and the folders the program reads and writes its data in.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "DataLines.h"
#include "ScratchFolder.h"
#include "app/AppSettings.h"
#include "app/ProgramFolder.h"

namespace fs = std::filesystem;

namespace {

class SettingsFile : public ::testing::Test {
protected:
    ScratchFolder folder;
    std::string ini = folder.File("Sleevit.conf");
};

TEST_F(SettingsFile, AbsentValuesYieldTheirDefaults)
{
    const AppSettings settings(ini);
    const std::vector<std::string> lines =
        ReadDataLines(SLEEVIT_SOURCE_DIR "/tests/app/data/settings-defaults.txt");
    EXPECT_EQ(lines.size(), std::size_t(SettingCount())) << "a setting without its line";
    for (const std::string& line : lines) {
        const std::vector<std::string> f = SplitFields(line, " |", 2);
        const SettingDefinition* found = nullptr;
        for (int i = 0; i < SettingCount(); ++i)
            if (std::string(DefinitionAt(i).section) + "/" + DefinitionAt(i).name == f[0])
                found = &DefinitionAt(i);
        ASSERT_NE(found, nullptr) << "no setting called " << f[0];
        const std::string value =
            found->isText ? settings.ReadText(found->id) : std::to_string(settings.ReadInt(found->id));
        EXPECT_EQ(value, f[1].empty() ? f[1] : f[1].substr(1)) << f[0];
    }
}

TEST_F(SettingsFile, ValuesSurviveAReopenAndNamesIgnoreLetterCase)
{
    {
        AppSettings settings(ini);
        settings.WriteInt(Setting::Autoload2ndImage, 0); // written as "AutoLoad2ndImage"
        settings.WriteInt(Setting::PrintBorder, 0);
        settings.WriteInt(Setting::ShowPayPalDialog, 1);
        settings.WriteInt(Setting::LastUsedRightFormat, -1);
        settings.WriteText(Setting::RecentFileLeft, "/home/u/Covers/Größe front.jpg");
        settings.WriteText(Setting::LastUsedPath, "/home/u/Covers");
        settings.Sync();
    }
    const std::string file = ReadBytes(ini);
    EXPECT_NE(file.find("AutoLoad2ndImage=0"), std::string::npos) << file;

    AppSettings settings(ini);
    EXPECT_EQ(settings.ReadInt(Setting::Autoload2ndImage), 0);
    EXPECT_EQ(settings.ReadInt("Options", "AUTOLOAD2NDIMAGE", 7), 0);
    EXPECT_EQ(settings.ReadInt(Setting::PrintBorder), 0);
    EXPECT_EQ(settings.ReadInt(Setting::ShowPayPalDialog), 1);
    EXPECT_EQ(settings.ReadInt(Setting::LastUsedRightFormat), -1);
    EXPECT_EQ(settings.ReadText(Setting::RecentFileLeft), "/home/u/Covers/Größe front.jpg");
    EXPECT_EQ(settings.ReadText(Setting::LastUsedPath), "/home/u/Covers");

    // A write under another spelling replaces the value instead of adding a second one.
    settings.WriteInt("Options", "autoload2ndimage", 1);
    settings.Sync();
    EXPECT_EQ(settings.ReadInt(Setting::Autoload2ndImage), 1);
}

TEST_F(SettingsFile, AHandEditedWrongTypeFallsBackToTheDefault)
{
    folder.Write("Sleevit.conf", "[Options]\nLanguage=banana\nlastusedleftformat=3\n");
    const AppSettings settings(ini);
    EXPECT_EQ(settings.ReadInt(Setting::Language), 0);
    EXPECT_EQ(settings.ReadInt(Setting::LastUsedLeftFormat), 3);
}

TEST_F(SettingsFile, TheUserSettingsLiveUnderTheOrganisation)
{
    ::setenv("XDG_CONFIG_HOME", folder.Path().c_str(), 1);
    AppSettings settings;
    settings.WriteInt(Setting::Language, 6);
    settings.Sync();
    EXPECT_EQ(settings.FileName(), folder.File("Tessaly/Sleevit.conf"));
    EXPECT_TRUE(fs::exists(folder.File("Tessaly/Sleevit.conf")));
}

class Folders : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(root / "bin");
        fs::create_directories(root / "share");
        ::setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    }
    ScratchFolder scratch;
    fs::path root = scratch.Path();
};

TEST_F(Folders, ProgramDataThenTheUsersOwnCatalogueCopy)
{
    const std::string exe = (root / "bin" / "sleevit").string();
    const std::string installed = (root / "share").string();
    EXPECT_EQ(ProgramFolderFor(exe, installed), installed);
    // Installed in another prefix: the data beside the program's bin folder.
    fs::create_directories(root / "share" / "sleevit");
    std::ofstream(root / "share" / "sleevit" / "Sleevit.dat") << "";
    EXPECT_EQ(ProgramFolderFor(exe, "/nonexistent"), (root / "share" / "sleevit").string());
    std::ofstream(root / "bin" / "Sleevit.dat") << "";
    EXPECT_EQ(ProgramFolderFor(exe, installed), (root / "bin").string());
    EXPECT_EQ(ProgramFolderFor("", installed), installed);

    // A writable catalogue is written in place; with nothing read, the user's copy, with
    // its folder made. Once that copy exists it is the one read.
    const std::string path = (root / "share" / "Sleevit.dat").string();
    std::ofstream(path) << "";
    EXPECT_EQ(CatalogueWritePath(path), path);
    EXPECT_EQ(UserCataloguePath(), (root / "data" / "sleevit" / "Sleevit.dat").string());
    EXPECT_NE(CatalogueReadPath(), UserCataloguePath());
    EXPECT_EQ(CatalogueWritePath(""), UserCataloguePath());
    EXPECT_TRUE(fs::is_directory(root / "data" / "sleevit"));
    std::ofstream(UserCataloguePath()) << "";
    EXPECT_EQ(CatalogueReadPath(), UserCataloguePath());
}

} // namespace
