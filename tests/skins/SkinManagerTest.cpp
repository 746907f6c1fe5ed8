#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "DataLines.h"
#include "ScratchFolder.h"
#include "images/BmpBuilder.h"
#include "skins/Skin.h"

namespace {

namespace fs = std::filesystem;

// A bitmap file of one colour, side pixels square.
std::string Picture(int side)
{
    const testbmp::Bytes bytes = testbmp::Make(side, side, 24, [](int, int) { return 0xC86432u; });
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
            folder.Write("skins/" + name + "/main.jpg", Picture(k + 10));
            folder.Write("skins/" + name + "/left.gif", Picture(k + 20));
            folder.Write("skins/" + name + "/background.gif", Picture(k + 30));
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

// The selected skin, the one shown and the skin menu's check marks: "<selected> <shown>
// <marks>", with "!<id>" added for a menu entry without a state or disabled.
std::string Status(const CSkinManager& skins)
{
    std::vector<int> menu = {kCmdSkinDefault, kCmdSkinAlternative, kCmdSkinRandom};
    for (int k = 0; k < std::min(int(skins.Folders().size()), kCmdLastSkinFolder - kCmdFirstSkinFolder + 1);
         ++k)
        menu.push_back(kCmdFirstSkinFolder + k);
    std::string status = std::to_string(skins.SelectedSkin()) + " " + std::to_string(ShownSkin(skins));
    int marks = 0;
    std::string off;
    for (const int id : menu) {
        const std::optional<SkinCommandState> state = skins.CommandState(id);
        marks += state && state->checked ? 1 : 0;
        off += state && state->enabled ? "" : " !" + std::to_string(id);
    }
    return status + " " + std::to_string(marks) + off;
}

// The pictures each paper gets, by their widths: "main W; left OVERLAY at X,Y on
// BACKGROUND; right OVERLAY on BACKGROUND; colour C/C" (the skin's and the paper's).
std::string Look(CSkinManager& skins)
{
    const auto width = [](const CRasterImage* p) { return p ? std::to_string(p->GetWidth()) : "none"; };
    const PaperSkin left = skins.ForPaper(true);
    const PaperSkin right = skins.ForPaper(false);
    std::ostringstream out;
    out << "main " << skins.State().mainPicture.GetWidth() << "; left " << width(left.overlay) << " at "
        << left.overlayPosition.x << "," << left.overlayPosition.y << " on " << width(left.background)
        << "; right " << width(right.overlay) << " on " << width(right.background) << "; colour " << std::hex
        << skins.State().backgroundColour << "/" << right.backColour;
    return out.str();
}

TEST(SkinManager, StepsOfDataFile)
{
    std::unique_ptr<ScratchFolder> folder;
    std::unique_ptr<CSkinManager> skins;
    const std::vector<std::string> lines =
        ReadDataLines(SLEEVIT_SOURCE_DIR "/tests/skins/data/manager-steps.txt");
    ASSERT_GE(lines.size(), 50u);
    for (const std::string& line : lines) {
        SCOPED_TRACE(line);
        const std::vector<std::string> f = SplitFields(line, " | ", 2);
        const std::vector<std::string> args = SplitFields(f[0], " ", 3);
        const std::string& step = args[0];
        if (step == "new") {
            skins.reset();
            folder = std::make_unique<ScratchFolder>();
        } else if (step == "skins") {
            MakeFolderSkins(*folder, std::stoi(args[1]), f[1] == "pictures");
        } else if (step == "write") {
            folder->Write(args[1], Unescaped(f[1]));
        } else if (step == "picture") {
            folder->Write(args[1], Picture(std::stoi(f[1])));
        } else if (step == "remove") {
            fs::remove(folder->File(args[1]));
        } else if (step == "manager") {
            std::istringstream in(f[1]);
            std::vector<std::uint32_t> draws;
            for (std::uint32_t d = 0; in >> d;)
                draws.push_back(d);
            skins = std::make_unique<CSkinManager>(folder->Path(), Draws(draws));
        } else if (step == "list") {
            skins->ListFolders();
            EXPECT_EQ(std::to_string(skins->Folders().size()), f[1]);
        } else if (step == "startup") {
            EXPECT_TRUE(skins->ChooseAtStartup(std::stoi(args[1]), args[2] == "first-run"));
            EXPECT_EQ(Status(*skins), f[1]);
        } else if (step == "command") {
            const SkinOutcome outcome = skins->OnCommand(std::stoi(args[1]));
            const char* outcomes[] = {"not-handled", "unchanged", "changed"};
            EXPECT_EQ(outcomes[int(outcome)] + (" " + Status(*skins)), f[1]);
        } else if (step == "random") {
            skins->ApplyRandomSkin();
            EXPECT_EQ(Status(*skins), f[1]);
        } else if (step == "entries") {
            std::string entries;
            for (const SkinMenuEntry& e : skins->FolderMenuEntries())
                entries += " " + e.name + "=" + std::to_string(e.commandId) +
                           (skins->CommandState(e.commandId) ? "" : "(no state)");
            EXPECT_EQ(entries, " " + f[1]);
        } else if (step == "look") {
            EXPECT_EQ(Look(*skins), f[1]);
        } else {
            ADD_FAILURE() << "unknown step";
        }
    }
}

TEST(SkinManager, DrawsFollowTheClockSecondAndCoverBothBuiltInSkins)
{
    int odd = 0;
    for (std::int64_t t = 1'700'000'000; t < 1'700'000'200; ++t)
        odd += static_cast<int>(SkinDrawForSecond(t) % 2);
    EXPECT_GT(odd, 50);
    EXPECT_LT(odd, 150);
}

} // namespace
