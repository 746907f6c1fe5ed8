// The main window driven as a user drives it: start-up and shut-down, the enabling
// rules read from the real menu and buttons, loads, drops, rotation and New.
#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <sys/stat.h>

#include "CollectingMessages.h"
#include "app/MainMenu.h"
#include "app/Paper.h"
#include "app/TemplateDialog.h"
#include "dialogs/FormatEditDialog.h"
#include "formats/FormatCatalogue.h"
#include "gui/MainWindowSupport.h"
#include "i18n/DefaultTexts.h"
#include "i18n/LanguageTable.h"
#include "images/CoverDetection.h"
#include "images/RasterImage.h"

namespace {

// The shipped catalogue's formats used below.
constexpr int kDvdSleeve = 3;
constexpr int kCdTray = 12;

// What a user finds usable: the enabled command entries of the opened menus, then the
// enabled print buttons.
std::string Usable(ProgramRun& run)
{
    CMainMenu* menu = run.app->MainFrame()->Menu();
    for (const int key : {kMenuFile, kMenuOptions, kMenuRotate, kMenuHelp})
        menu->UpdateStates(menu->Popup(key));
    const std::pair<int, const char*> entries[] = {
        {kCmdRotateLeft, "rotateLeft"}, {kCmdRotateRight, "rotateRight"}, {kCmdPrintLeft, "printLeft"},
        {kCmdPrintRight, "printRight"}, {kCmdPrintBoth, "printBoth"},     {kCmdPrintPreview, "preview"},
        {kCmdOptions, "options"},       {kCmdFormatEditor, "editor"},     {kCmdOnlineHelp, "help"},
    };
    std::string out;
    for (const auto& [id, name] : entries)
        if (menu->Action(id)->isEnabled())
            out += std::string(name) + " ";
    out += "| buttons:";
    const std::pair<int, const char*> buttons[] = {
        {kPrintLeftButton, "left"}, {kPrintRightButton, "right"}, {kPrintBothButton, "both"}};
    for (const auto& [id, name] : buttons)
        if (run.View().Form().Item(id)->isEnabled())
            out += std::string(" ") + name;
    return out;
}

class MainWindow : public ::testing::Test {
protected:
    ProgramRun run;
};

} // namespace

TEST_F(MainWindow, FirstRunStartsWithDefaultsAndNothingToPrint)
{
    run.Start();
    CTheView& view = run.View();
    EXPECT_EQ(view.Left().formatIndex, 0);
    EXPECT_EQ(view.Right().formatIndex, 0);
    EXPECT_EQ(view.DrawCutAndFoldLines(), 1);
    EXPECT_EQ(view.PrintOnSinglePage(), 0);
    EXPECT_TRUE(view.Form().Checked(kCutLinesBox));
    EXPECT_FALSE(view.Form().Checked(kSinglePageBox));
    EXPECT_EQ(run.Text(kLeftStatus), "no image selected...");

    // Print Left and Right stay enabled in the menu; nothing answers Online Help.
    EXPECT_EQ(Usable(run), "printLeft printRight options editor | buttons:");

    // The window: 614 pixels wide, not resizable.
    CMainFrame* frame = run.app->MainFrame();
    EXPECT_EQ(frame->width(), 614);
    EXPECT_EQ(frame->minimumSize(), frame->maximumSize());
    EXPECT_EQ(view.height(), 374);
}

TEST_F(MainWindow, TheSplashShowsUnlessTurnedOffAndTheSettingIsWrittenBack)
{
    for (int showSplash : {1, 0}) {
        run.splashes = 0;
        run.settings->WriteInt(Setting::ShowSplash, showSplash);
        run.Start();
        EXPECT_EQ(run.splashes, showSplash);
        run.Close();
        EXPECT_EQ(run.Reread().ReadInt(Setting::ShowSplash), showSplash);
    }
}

TEST_F(MainWindow, RecentCoversComeBackAfterTheWindowShowsAsTheUserLeftThem)
{
    const std::string front = run.Picture("Album front.png", 120, 120);
    run.Picture("Album back.png", 151, 118);
    const std::string other = run.Picture("other.png", 90, 90);
    run.settings->WriteText(Setting::RecentFileLeft, front);
    run.settings->WriteText(Setting::RecentFileRight, other);
    run.Start(false);
    EXPECT_FALSE(run.View().Left().image->IsValid()) << "nothing is loaded before the first timer tick";
    EXPECT_TRUE(run.app->MainFrame()->isVisible());
    ASSERT_TRUE(ProgramRun::WaitFor([&] { return !run.View().TimerRunning(1); }));

    EXPECT_EQ(run.View().Left().image->GetWidth(), 120);
    // The right picture the user had comes back, not the left cover's companion.
    EXPECT_EQ(run.Options().recentFileRight, other);
    EXPECT_EQ(run.View().Right().image->GetWidth(), 90);
    EXPECT_EQ(run.View().Right().fileName, "other.png");
    EXPECT_EQ(run.settings->ReadText(Setting::LastUsedPath), run.folder.Path());
    run.Close();
    EXPECT_EQ(run.Reread().ReadText(Setting::RecentFileRight), other);
}

TEST_F(MainWindow, MissingRecentLeftFileStillReloadsTheRightOne)
{
    run.settings->WriteText(Setting::RecentFileLeft, run.folder.File("gone.jpg"));
    run.settings->WriteText(Setting::RecentFileRight, run.Picture("right.png", 50, 50));
    MessageBoxes boxes;
    run.Start();
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_NE(boxes.texts[0].find("gone.jpg"), std::string::npos) << "the missing file is named";
    EXPECT_FALSE(run.View().Left().image->IsValid());
    EXPECT_TRUE(run.View().Right().image->IsValid());
    EXPECT_EQ(run.Options().recentFileLeft, "") << "it is not tried again at the next start";
}

TEST_F(MainWindow, EnablingFollowsImagesAndSinglePage)
{
    run.Start();
    run.Options().autoload2ndImage = 0;
    run.Load(Side::Left, "a.png", 100, 100);
    // One picture is enough for a preview.
    EXPECT_EQ(Usable(run), "rotateLeft printLeft printRight preview options editor | buttons: left");
    run.Load(Side::Right, "b.png", 100, 100, kBlue);
    EXPECT_EQ(Usable(run),
              "rotateLeft rotateRight printLeft printRight printBoth preview options editor | buttons: left "
              "right both");

    // Clicking the label "Print on a Single Page" ticks its box and leaves only Print Left.
    QTest::mouseClick(run.View().Form().Item(kSinglePageLabel), Qt::LeftButton);
    EXPECT_TRUE(run.View().Form().Checked(kSinglePageBox));
    EXPECT_EQ(run.View().PrintOnSinglePage(), 1);
    EXPECT_EQ(Usable(run),
              "rotateLeft rotateRight printLeft printRight preview options editor | buttons: left");
    // The left paper shows both covers; the right one a blank sheet.
    EXPECT_EQ(run.View().Left().paper->SinglePage(), 1);
    EXPECT_EQ(run.View().Left().paper->OtherFormat(),
              (CoverSide{run.View().Right().formatIndex, Side::Right}));

    // Clicking the box itself undoes it.
    QTest::mouseClick(run.View().Form().Item(kSinglePageBox), Qt::LeftButton);
    EXPECT_EQ(run.View().PrintOnSinglePage(), 0);
    EXPECT_TRUE(run.View().Form().Item(kPrintBothButton)->isEnabled());
}

TEST_F(MainWindow, ChoosingAFormatKeepsThePictureAndReachesThePaper)
{
    run.Start();
    run.Load(Side::Left, "a.png", 100, 100);
    ASSERT_GT(run.View().Form().ItemAs<QComboBox>(kLeftSelector)->count(), kCdTray);
    run.ChooseFormat(Side::Left, kDvdSleeve);
    EXPECT_EQ(run.View().Left().formatIndex, kDvdSleeve);
    EXPECT_EQ(run.View().Left().paper->Format(), (CoverSide{kDvdSleeve, Side::Left}));
    EXPECT_EQ(run.View().Left().image->GetWidth(), 100);

    run.ChooseFormat(Side::Right, kCdTray);
    EXPECT_EQ(run.View().Right().paper->Format(), (CoverSide{kCdTray, Side::Right}));
    EXPECT_EQ(run.View().Right().paper->IsCdTray(), 1);
    EXPECT_EQ(run.View().Left().paper->IsCdTray(), 0);
}

TEST_F(MainWindow, NewClearsPicturesAndRecentFilesButKeepsFormats)
{
    run.Start();
    // New with nothing loaded still empties the recent paths.
    run.Options().recentFileLeft = "/x/left.jpg";
    run.Options().recentFileRight = "/x/right.jpg";
    ASSERT_TRUE(run.View().Commands().Execute(kCmdNew));
    EXPECT_TRUE(run.Options().recentFileLeft.empty());
    EXPECT_TRUE(run.Options().recentFileRight.empty());
    const std::string noImage = run.View().Language().Text(2006);
    EXPECT_FALSE(noImage.empty());
    EXPECT_EQ(run.Text(kLeftStatus), noImage);
    EXPECT_EQ(run.Text(kRightStatus), noImage);

    run.View().LoadCover(Side::Right, run.Load(Side::Left, "a.png", 100, 100));
    const int leftFormat = run.View().Left().formatIndex;
    run.View().Commands().Execute(kCmdNew);
    EXPECT_FALSE(run.View().Left().image->IsValid());
    EXPECT_FALSE(run.View().Right().image->IsValid());
    EXPECT_EQ(run.View().Left().paper->Image(), nullptr);
    EXPECT_EQ(run.View().Left().formatIndex, leftFormat);
    EXPECT_FALSE(run.View().Form().Item(kPrintLeftButton)->isEnabled());
}

TEST_F(MainWindow, RotationTurnsThePictureAQuarterAnticlockwise)
{
    run.Start();
    run.Options().autoDetectFormat = 0;
    run.Load(Side::Left, "wide.png", 300, 100);
    ASSERT_EQ(run.View().Left().image->GetWidth(), 300);
    EXPECT_TRUE(run.View().Commands().Execute(kCmdRotateLeft));
    EXPECT_EQ(run.View().Left().image->GetWidth(), 100);
    EXPECT_EQ(run.View().Left().image->GetHeight(), 300);
    EXPECT_FALSE(run.View().Commands().Execute(kCmdRotateRight)) << "no right picture to turn";
}

TEST_F(MainWindow, LoadsIgnoreUnknownTypesAndKeepThePictureOnBrokenFiles)
{
    run.Start();
    const std::string good = run.Load(Side::Left, "COVER.PNG", 80, 80);
    ASSERT_TRUE(run.View().Left().image->IsValid());
    EXPECT_EQ(run.Text(kLeftStatus), "COVER.PNG");

    const std::string broken = run.folder.Write("broken.jpg", "not a picture");
    const std::string letter = run.folder.Write("letter.bmp", "Dear reader, this is not a picture.\n");
    // A named pipe with a picture's name must not hang the load waiting for a writer.
    const std::string pipe = run.folder.File("pipe.jpg");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    // Files of a picture type that cannot be read are named in a message; files of no
    // picture type are passed over.
    const struct {
        std::string path;
        bool told;
    } cases[] = {{broken, true},
                 {letter, true},
                 {pipe, true},
                 {run.folder.File("cover.tif"), false},
                 {run.folder.File("cover"), false}};
    for (const auto& c : cases) {
        MessageBoxes boxes;
        run.View().LoadCover(Side::Left, c.path);
        ASSERT_EQ(boxes.texts.size(), c.told ? 1u : 0u) << c.path;
        if (c.told) {
            // The message, the file and the decoder's reason.
            CRasterImage probe;
            ASSERT_FALSE(probe.Load(c.path, ImageTypeFromPath(c.path)));
            EXPECT_EQ(boxes.texts[0], std::string(DefaultText(kTextLoadFailed)) + "\n\n" + c.path + "\n\n" +
                                          probe.GetLastError());
        }
        EXPECT_EQ(run.View().Left().image->GetWidth(), 80) << c.path;
        EXPECT_EQ(run.Text(kLeftStatus), "COVER.PNG") << c.path;
        EXPECT_EQ(run.Options().recentFileLeft, good) << c.path;
    }
}

TEST_F(MainWindow, LongFileNamesAreShortenedFromTheFront)
{
    run.Start();
    const std::string name = std::string(120, 'x') + " the end.png";
    run.Load(Side::Left, name, 40, 40);
    const std::string shown = run.Text(kLeftStatus);
    ASSERT_EQ(shown.substr(0, 3), "...");
    EXPECT_EQ(shown.substr(shown.size() - 12), " the end.png");
    EXPECT_LT(shown.size(), name.size());
    auto* status = run.View().Form().ItemAs<QLabel>(kLeftStatus);
    EXPECT_LE(status->fontMetrics().horizontalAdvance(status->text()), status->contentsRect().width())
        << "the shortened name fits whole, its last letter included";
    EXPECT_EQ(run.View().Left().fileName, name) << "the job name uses the whole name";
}

TEST_F(MainWindow, DroppedFilesLoadIntoTheirPaperUnlessTheyMakeABatch)
{
    run.Start();
    run.Options().autoload2ndImage = 0;
    QStringList files;
    for (int i = 0; i < 3; ++i)
        files << QString::fromStdString(run.Picture("drop" + std::to_string(i) + ".png", 60 + i, 60));
    // Batch mode off: only the first of several files loads, into the paper's own side.
    run.View().Right().paper->HandleDrop(files);
    EXPECT_EQ(run.View().Right().image->GetWidth(), 60);
    EXPECT_FALSE(run.View().Left().image->IsValid());

    // Batch mode on: one file on the left paper is still a plain load.
    run.Options().batchMode = 1;
    run.View().Left().paper->HandleDrop({files[2]});
    EXPECT_EQ(run.View().Left().image->GetWidth(), 62);
    EXPECT_TRUE(run.View().BatchFiles().empty());
}

TEST_F(MainWindow, LoadLeftRunsThroughTheFileDialogAndTimerTwo)
{
    run.Start();
    const std::string path = run.Picture("picked.png", 70, 70);
    // The whole path is typed into the name field, as a user may do: the dialog's own
    // selection would depend on its folder having been read. A refusal box is closed and
    // the dialog asked again; after about five seconds it is cancelled, so a dialog that
    // never takes the file fails the test instead of hanging it.
    bool unused = false;
    int asked = 0;
    auto pick = AnswerModal(
        [&](QWidget* modal) {
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                box->reject();
                return false;
            }
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            if (dialog == nullptr) {
                return false;
            }
            if (++asked > 500) {
                dialog->reject();
                return true;
            }
            auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            if (edit != nullptr) {
                edit->setText(QString::fromStdString(path));
            }
            QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
            return false;
        },
        &unused);
    ASSERT_TRUE(run.View().Commands().Execute(kCmdLoadLeft));
    ASSERT_GT(asked, 0);
    ASSERT_LE(asked, 500) << "the file dialog never took the typed path";
    // The picture is read when timer 2 fires, after the window had a chance to repaint.
    EXPECT_TRUE(run.View().TimerRunning(2));
    EXPECT_FALSE(run.View().Left().image->IsValid());
    ASSERT_TRUE(ProgramRun::WaitFor([&] { return run.View().Left().image->IsValid(); }));
    EXPECT_EQ(run.Options().recentFileLeft, path);
}

// Stored formats out of range become no format; the cut-line label toggles like its box.
TEST_F(MainWindow, ShutDownWritesTheViewsSettingsAndTheWindowPosition)
{
    run.settings->WriteInt(Setting::LastUsedLeftFormat, 2);
    run.settings->WriteInt(Setting::LastUsedRightFormat, 70);
    run.Start();
    EXPECT_EQ(run.View().Left().formatIndex, 2);
    EXPECT_EQ(run.View().Right().formatIndex, -1);
    QTest::mouseClick(run.View().Form().Item(kCutLinesLabel), Qt::LeftButton);
    EXPECT_FALSE(run.View().Form().Checked(kCutLinesBox));
    EXPECT_EQ(run.View().DrawCutAndFoldLines(), 0);
    run.Options().autoRotate = 0;
    run.Options().maskPrintJobName = 1;
    run.Options().printJobName = "Report";
    ASSERT_TRUE(run.View().Commands().Execute(kCmdSkinAlternative));
    run.Options().nrCoversPrinted = 7;
    run.app->MainFrame()->move(40, 50);
    run.Close();
    const AppSettings reread = run.Reread();
    EXPECT_EQ(reread.ReadText(Setting::PrintJobName), "Report");
    // ShowPayPalDialog is written as 0 or 1, never 2 again.
    const std::pair<Setting, int> ints[] = {
        // clang-format off
        {Setting::AutoRotate, 0}, {Setting::MaskPrintJobName, 1}, {Setting::SelectedSkin, 1},
        {Setting::NrCoversPrinted, 7}, {Setting::ShowPayPalDialog, 1}, {Setting::PositionX, 40},
        {Setting::PositionY, 50}, {Setting::LastUsedLeftFormat, 2}, {Setting::LastUsedRightFormat, -1},
        {Setting::DrawCutAndFoldLines, 0},
        // clang-format on
    };
    for (const auto& [id, want] : ints)
        EXPECT_EQ(reread.ReadInt(id), want) << DefinitionOf(id).name;
}

TEST_F(MainWindow, FormatEditorOkRefillsTheListsAndDropsRemovedFormats)
{
    CCollectingMessages messages;
    FormatCatalogue shipped;
    ASSERT_TRUE(shipped.LoadCatalogue(run.folder.File("Sleevit.dat"), messages));
    const int last = shipped.GetCount() - 1;
    run.settings->WriteInt(Setting::LastUsedRightFormat, last);
    run.Start();
    ASSERT_EQ(run.View().Right().formatIndex, last);
    // Remove the selected (last) format, then OK.
    Answer<CFormatEditDialog> edit([](CFormatEditDialog& editor) {
        auto* list = editor.Form().ItemAs<QListWidget>(FormatEditIds::kList);
        list->setCurrentRow(list->count() - 1);
        editor.Form().ItemAs<QPushButton>(FormatEditIds::kRemove)->click();
        editor.Form().ItemAs<QPushButton>(kIdOk)->click();
    });
    ASSERT_TRUE(run.View().Commands().Execute(kCmdFormatEditor));
    ASSERT_TRUE(edit.answered);
    EXPECT_EQ(run.View().Form().ItemAs<QComboBox>(kLeftSelector)->count(), last);
    EXPECT_EQ(run.View().Form().ItemAs<QComboBox>(kRightSelector)->count(), last);
    EXPECT_EQ(run.View().Left().formatIndex, 0);
    EXPECT_EQ(run.View().Right().formatIndex, -1) << "its format was removed";
}
