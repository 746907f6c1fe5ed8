// Languages and skins as the main window shows them: start-up choices, the language
// and skin commands read from the real menu, texts and colours on screen.
#include <QAction>
#include <QMenu>

#include <filesystem>

#include "app/MainMenu.h"
#include "gui/MainWindowSupport.h"
#include "i18n/LanguageTable.h"
#include "images/RasterImage.h"

namespace {

constexpr int kCmdEnglish = 32773;
constexpr int kCmdGerman = 32774;
constexpr int kCmdDutch = 32771;
constexpr int kGerman = 6;
constexpr int kDutch = 1;

QAction* Entry(ProgramRun& run, int id)
{
    CMainMenu* menu = run.app->MainFrame()->Menu();
    menu->UpdateStates(menu->Popup(kMenuLanguage));
    menu->UpdateStates(menu->Popup(kMenuSkins));
    return menu->Action(id);
}

// A skin folder with only a skin.ini (its pictures missing).
void MakeSkin(ProgramRun& run, const std::string& name, const std::string& ini)
{
    run.folder.Write("skins/" + name + "/skin.ini", ini);
}

} // namespace

TEST(WindowLanguage, WithoutFilesOnlyEnglishCanBeChosen)
{
    ProgramRun run;
    run.Start();
    EXPECT_TRUE(Entry(run, kCmdEnglish)->isEnabled());
    EXPECT_TRUE(Entry(run, kCmdEnglish)->isChecked());
    EXPECT_FALSE(Entry(run, kCmdGerman)->isEnabled());
    EXPECT_FALSE(Entry(run, kCmdDutch)->isEnabled());
    EXPECT_EQ(run.app->MainFrame()->windowTitle().toStdString(),
              "Sleevit 1.14 - Print your own CD and DVD covers");
}

TEST(WindowLanguage, MissingKeysKeepControlTextsWhileMenusFallBackToEnglish)
{
    ProgramRun run;
    run.CopyLanguage("German.lng");
    // A "Dutch" file that lacks the Print Left text and the File menu's name.
    run.folder.Write("languages/dutch.LNG", "2006=geen afbeelding\r\n2008=Beide afdrukken\r\n");
    run.settings->WriteInt(Setting::Language, kGerman);
    run.Start();
    EXPECT_EQ(run.View().Language().CurrentLanguage(), kGerman);
    EXPECT_EQ(run.Text(kPrintLeftButton), "Links drucken");
    CMainMenu* menu = run.app->MainFrame()->Menu();
    const std::string germanFile = CMainMenu::RawText(menu->Popup(kMenuFile)->menuAction());
    EXPECT_NE(germanFile, "&File");

    ASSERT_TRUE(run.View().Commands().Execute(kCmdDutch));
    EXPECT_EQ(run.View().Language().CurrentLanguage(), kDutch);
    EXPECT_EQ(run.Text(kPrintLeftButton), "Links drucken") << "a missing text leaves the button as it was";
    EXPECT_EQ(run.Text(kPrintBothButton), "Beide afdrukken");
    EXPECT_EQ(CMainMenu::RawText(menu->Popup(kMenuFile)->menuAction()), "&File")
        << "menus fall back to English";
    // Empty sides follow the language on both status lines.
    EXPECT_EQ(run.Text(kLeftStatus), "geen afbeelding");
    EXPECT_EQ(run.Text(kRightStatus), "geen afbeelding");
    EXPECT_TRUE(Entry(run, kCmdDutch)->isChecked());
    EXPECT_FALSE(Entry(run, kCmdGerman)->isChecked());
    run.Close();
    AppSettings reread(run.folder.File("settings.ini"));
    EXPECT_EQ(reread.ReadInt(Setting::Language), kDutch);
}

TEST(WindowLanguage, ATranslatorsFileIsAnnouncedUsedAndNeverStored)
{
    ProgramRun run;
    run.folder.Write("languages/Translation.lng", "2007=Print LEFT\r\n");
    run.settings->WriteInt(Setting::Language, kGerman);
    MessageBoxes boxes;
    run.Start();
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_NE(boxes.texts[0].find("translation.lng"), std::string::npos) << boxes.texts[0];
    EXPECT_EQ(run.View().Language().CurrentLanguage(), 25);
    EXPECT_EQ(run.Text(kPrintLeftButton), "Print LEFT");
    run.Close();
    AppSettings reread(run.folder.File("settings.ini"));
    EXPECT_EQ(reread.ReadInt(Setting::Language), kGerman);
}

TEST(WindowSkins, MenuListsFoldersAndOnlyElevenAnswer)
{
    for (int folders : {0, 3, 12}) {
        ProgramRun run;
        for (int k = 0; k < folders; ++k) {
            char name[16];
            std::snprintf(name, sizeof name, "Skin%02d", k);
            MakeSkin(run, name, "BackgroundColor=102030\r\n");
        }
        run.settings->WriteInt(Setting::SelectedSkin, 0);
        run.settings->WriteInt(Setting::ShowPayPalDialog, 1);
        run.Start();
        QMenu* skins = run.app->MainFrame()->Menu()->Popup(kMenuSkins);
        run.app->MainFrame()->Menu()->UpdateStates(skins);
        QList<QAction*> entries = skins->actions();
        ASSERT_EQ(entries.size(), 4 + folders) << folders << " folders";
        EXPECT_TRUE(entries[3]->isSeparator());
        EXPECT_TRUE(entries[0]->isChecked()) << "Default is the stored skin";
        for (int k = 0; k < folders; ++k) {
            EXPECT_EQ(entries[4 + k]->isEnabled(), k < 11) << "folder " << k;
        }
    }
}

TEST(WindowSkins, AFolderSkinsColourPaintsTheBackgroundInEitherCase)
{
    for (const char* colour : {"FF0000", "ff0000"}) {
        ProgramRun run;
        MakeSkin(run, "Red", std::string("BackgroundColor=") + colour + "\r\n");
        run.settings->WriteInt(Setting::SelectedSkin, 2);
        run.settings->WriteInt(Setting::ShowPayPalDialog, 1);
        run.Start();
        EXPECT_EQ(run.View().Skins().SelectedSkin(), 2);
        QImage picture = run.View().grab().toImage();
        // Away from the papers, the logo and the controls: the middle of the bottom edge.
        QColor pixel = picture.pixelColor(picture.width() / 2, picture.height() - 4);
        EXPECT_EQ(pixel, QColor(255, 0, 0)) << colour << " gave " << pixel.name().toStdString();
    }
}

TEST(WindowSkins, MissingPicturesKeepThePreviousSkinsAndAGoneFolderStartsRandom)
{
    ProgramRun run;
    MakeSkin(run, "Bare", "BackgroundColor=00FF00\r\n");
    run.settings->WriteInt(Setting::SelectedSkin, 0);
    run.settings->WriteInt(Setting::ShowPayPalDialog, 1);
    run.Start();
    const CRasterImage* before = &run.View().Skins().State().mainPicture;
    const int width = before->GetWidth();
    ASSERT_GT(width, 0) << "the Default skin has a main picture";
    ASSERT_TRUE(run.View().Commands().Execute(kCmdFirstSkinFolder));
    EXPECT_EQ(run.View().Skins().SelectedSkin(), 2);
    EXPECT_EQ(run.View().Skins().State().mainPicture.GetWidth(), width)
        << "no main.jpg: the old picture stays";
    run.Close();

    // The folder goes away: the stored choice no longer names a skin.
    std::filesystem::remove_all(run.folder.File("skins/Bare"));
    run.Start();
    EXPECT_EQ(run.View().Skins().SelectedSkin(), -1);
    EXPECT_TRUE(Entry(run, kCmdSkinRandom)->isChecked());
}
