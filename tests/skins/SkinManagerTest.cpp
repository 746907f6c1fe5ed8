#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "DataLines.h"
#include "ScratchFolder.h"
#include "images/BmpBuilder.h"
#include "skins/Skin.h"

namespace {

namespace fs = std::filesystem;

std::string Png(int side)
{
    const testbmp::Bytes bytes = testbmp::MakeSolidPng(side, 200, 100, 50);
    return {bytes.begin(), bytes.end()};
}

// A random source that hands out the given draws in turn.
SkinRandom Draws(std::vector<std::uint32_t> draws)
{
    return [draws, i = std::size_t{0}]() mutable { return draws[i++ % draws.size()]; };
}

// skins/skin<k> for k < count, each telling itself apart by MainPosX = 1000 + k; with
// pictures when asked (main k + 10 pixels square, overlay k + 20, background k + 30).
void MakeFolderSkins(const ScratchFolder& folder, int count, bool pictures)
{
    for (int k = 0; k < count; ++k) {
        const std::string name = "skin" + std::string(k < 10 ? "0" : "") + std::to_string(k);
        folder.Write("skins/" + name + "/skin.ini", "MainPosX=" + std::to_string(1000 + k) + "\r\n");
        if (pictures) {
            folder.Write("skins/" + name + "/main.jpg", Png(k + 10));
            folder.Write("skins/" + name + "/left.gif", Png(k + 20));
            folder.Write("skins/" + name + "/background.gif", Png(k + 30));
        }
    }
}

// Which skin's look is shown: 0 Default, 1 Alternative, k + 2 folder k, -9 none of them.
int ShownSkin(const CSkinManager& skins)
{
    const SkinPoint at = skins.State().mainPosition;
    for (int b : {kSkinDefault, kSkinAlternative})
        if (at == BuiltInSkinAt(b).mainPosition)
            return b;
    return at.x >= 1000 ? at.x - 1000 + kFirstFolderSkin : -9;
}

TEST(SkinManager, StartUpChoice)
{
    ScratchFolder folder;
    MakeFolderSkins(folder, 3, false);
    folder.Write("skins/zz-broken/no-skin.ini", "");
    const std::vector<std::string> lines = ReadDataLines(SLEEVIT_SOURCE_DIR "/tests/skins/data/start-up.txt");
    ASSERT_EQ(lines.size(), 9u);
    for (const std::string& line : lines) {
        std::istringstream in(line);
        int stored = 0, firstRun = 0, selected = 0, shown = 0;
        std::uint32_t draw = 0;
        in >> stored >> firstRun >> draw >> selected >> shown;
        CSkinManager skins(folder.Path(), Draws({draw}));
        skins.ListFolders();
        ASSERT_EQ(skins.Folders().size(), 4u);
        EXPECT_TRUE(skins.ChooseAtStartup(stored, firstRun == 1)) << line;
        EXPECT_EQ(skins.SelectedSkin(), selected) << line;
        EXPECT_EQ(ShownSkin(skins), shown) << line;
    }
}

TEST(SkinManager, TwelveFoldersAreListedElevenHaveCommandsAndRandomDrawsAll)
{
    ScratchFolder folder;
    MakeFolderSkins(folder, 12, false);
    CSkinManager skins(folder.Path(), Draws({0, 1, 13, 14 * 3 + 13}));
    skins.ListFolders();
    const std::vector<SkinMenuEntry> entries = skins.FolderMenuEntries();
    ASSERT_EQ(entries.size(), 12u);
    for (std::size_t k = 0; k < entries.size(); ++k) {
        EXPECT_EQ(entries[k].name, "skin" + std::string(k < 10 ? "0" : "") + std::to_string(k));
        EXPECT_EQ(entries[k].commandId, kCmdFirstSkinFolder + static_cast<int>(k)) << "entry " << k;
        EXPECT_EQ(skins.CommandState(entries[k].commandId).has_value(), k < 11)
            << "entry " << k << ": only 12345..12355 have a command";
    }
    for (const int want : {0, 1, 13, 13}) {
        EXPECT_EQ(skins.OnCommand(kCmdSkinRandom), SkinOutcome::Changed);
        EXPECT_EQ(ShownSkin(skins), want) << "the twelfth folder has no command but can be drawn";
        EXPECT_EQ(skins.SelectedSkin(), kSkinRandom);
    }
    // Without folders Random chooses between the two built-in skins.
    CSkinManager bare(ScratchFolder().Path(), Draws({5}));
    bare.ListFolders();
    bare.ApplyRandomSkin();
    EXPECT_EQ(ShownSkin(bare), kSkinAlternative);
}

TEST(SkinManager, DrawsFollowTheClockSecondAndCoverBothBuiltInSkins)
{
    int odd = 0;
    for (std::int64_t t = 1'700'000'000; t < 1'700'000'200; ++t)
        odd += static_cast<int>(SkinDrawForSecond(t) % 2);
    EXPECT_GT(odd, 50);
    EXPECT_LT(odd, 150);
}

TEST(SkinManager, CommandsCheckMarksAndPicturesThatKeepThePreviousOnes)
{
    ScratchFolder folder;
    MakeFolderSkins(folder, 2, true);
    folder.Write("skins/zz-broken/main.jpg", Png(5)); // no skin.ini: cannot be chosen
    // skin01 has its file and a main picture under another extension; the overlay is
    // broken and the background missing. No colour entry either.
    folder.Write("skins/skin01/skin.ini", "LeftPosX=4 LeftPosY=5 MainPosX=1001");
    folder.Write("skins/skin01/main.jpg", Png(7));
    folder.Write("skins/skin01/left.gif", "GIF89a broken");
    std::filesystem::remove(folder.File("skins/skin01/background.gif"));
    folder.Write("skins/skin00/skin.ini", "MainPosX=1000 BackgroundColor=FF0000");
    CSkinManager skins(folder.Path(), Draws({0}));
    EXPECT_EQ(skins.ForPaper(true).overlay, nullptr) << "a picture without pixels is not handed on";
    EXPECT_EQ(skins.ForPaper(true).background, nullptr);
    skins.ListFolders(); // skin00, skin01, zz-broken
    const std::tuple<int, SkinOutcome, int> steps[] = {
        {kCmdSkinAlternative, SkinOutcome::Changed, 1},
        {kCmdFirstSkinFolder, SkinOutcome::Changed, 2},
        {kCmdFirstSkinFolder + 1, SkinOutcome::Changed, 3},
        {kCmdFirstSkinFolder + 2, SkinOutcome::Unchanged, 3}, // broken: the previous skin stays
        {kCmdFirstSkinFolder + 5, SkinOutcome::Unchanged, 3}, // no such folder
        {kCmdLastSkinFolder + 1, SkinOutcome::NotHandled, 3},
        {32825, SkinOutcome::NotHandled, 3},
        {kCmdSkinDefault, SkinOutcome::Changed, 0},
        {kCmdSkinRandom, SkinOutcome::Changed, -1},
    };
    const int menu[] = {kCmdSkinDefault,     kCmdSkinAlternative,     kCmdSkinRandom,
                        kCmdFirstSkinFolder, kCmdFirstSkinFolder + 1, kCmdFirstSkinFolder + 2};
    for (const auto& [command, want, wantSelected] : steps) {
        EXPECT_EQ(skins.OnCommand(command), want) << "command " << command;
        ASSERT_EQ(skins.SelectedSkin(), wantSelected) << "command " << command;
        int checked = 0;
        for (const int id : menu) {
            const auto state = skins.CommandState(id);
            ASSERT_TRUE(state.has_value()) << id;
            EXPECT_TRUE(state->enabled) << id;
            checked += state->checked ? 1 : 0;
        }
        EXPECT_EQ(checked, 1) << "one check mark after command " << command;
        if (wantSelected != 3)
            continue;
        // skin01 over skin00.
        const Skin& s = skins.State();
        EXPECT_EQ(s.mainPicture.GetWidth(), 7) << "the new main picture";
        EXPECT_EQ(s.leftOverlay.GetWidth(), 20) << "a broken overlay keeps the previous one";
        EXPECT_EQ(s.paperBackground.GetWidth(), 30) << "a missing background keeps the previous one";
        EXPECT_EQ(s.backgroundColour, RgbColour(255, 0, 0)) << "no colour entry keeps the colour";
        const PaperSkin left = skins.ForPaper(true);
        const PaperSkin right = skins.ForPaper(false);
        EXPECT_EQ(left.overlay, &s.leftOverlay);
        EXPECT_EQ(left.overlayPosition, (SkinPoint{4, 5}));
        EXPECT_EQ(right.overlay, nullptr) << "only the Left paper gets the overlay";
        EXPECT_EQ(right.background, &s.paperBackground);
        EXPECT_EQ(right.backColour, RgbColour(255, 0, 0));
    }
}

} // namespace
