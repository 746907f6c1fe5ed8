// The main window driven as a user drives it: start-up and shut-down, the command line,
// the enabling rules read from the real menu and buttons, loads, drops, rotation and New,
// and its answers to what goes wrong.
#include <cups/cups.h>
#include <gmock/gmock.h>

#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <sstream>

#include "SilentServer.h"
#include "app/MainMenu.h"
#include "app/Paper.h"
#include "app/PrintCycle.h"
#include "app/TemplateDialog.h"
#include "dialogs/BatchPrintingDialog.h"
#include "dialogs/ExtendedFileDialog.h"
#include "dialogs/FormatEditDialog.h"
#include "dialogs/HyperLink.h"
#include "gui/MainWindowSupport.h"
#include "i18n/DefaultTexts.h"
#include "i18n/LanguageTable.h"
#include "i18n/MenuCommands.h"
#include "images/CoverDetection.h"

using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

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

// The darkest pixel (0 black .. 255 white) of the texts of a window's labels, taken from
// the window's own picture: a label with a see-through background grabbed alone would
// give see-through black.
int DarkestLabelText(QWidget& window)
{
    int darkest = 255;
    for (QLabel* label : window.findChildren<QLabel*>()) {
        if (label->text().isEmpty() || !label->isVisible())
            continue;
        const QImage picture =
            window.grab(QRect(label->mapTo(&window, QPoint(0, 0)), label->size())).toImage();
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                darkest = std::min(darkest, qGray(picture.pixel(x, y)));
    }
    return darkest;
}

class MainWindow : public ::testing::Test {
protected:
    ProgramRun run;
};

} // namespace

// The splash shows unless turned off, and the setting is written back; the window comes
// up with the defaults, nothing to print and only English to choose.
TEST_F(MainWindow, StartsWithTheSplashAsSetTheDefaultsAndOnlyEnglish)
{
    for (int showSplash : {1, 0}) {
        run.splashes = 0;
        run.settings->WriteInt(Setting::ShowSplash, showSplash);
        run.Start();
        EXPECT_EQ(run.splashes, showSplash);
        run.Close();
        EXPECT_EQ(run.Reread().ReadInt(Setting::ShowSplash), showSplash);
    }
    run.Start();
    CTheView& view = run.View();
    EXPECT_EQ(view.Left().formatIndex, 0);
    EXPECT_EQ(view.Right().formatIndex, 0);
    EXPECT_EQ(view.DrawCutAndFoldLines(), 1);
    EXPECT_EQ(view.PrintOnSinglePage(), 0);
    EXPECT_TRUE(view.Form().Checked(kCutLinesBox));
    EXPECT_FALSE(view.Form().Checked(kSinglePageBox));
    EXPECT_EQ(run.Text(kLeftStatus), "no image selected...");
    CMainFrame* frame = run.app->MainFrame();
    EXPECT_EQ(frame->windowTitle().toStdString(), "Sleevit 1.14 - Print your own CD and DVD covers");
    // The window: 614 pixels wide, not resizable.
    EXPECT_EQ(frame->width(), 614);
    EXPECT_EQ(frame->minimumSize(), frame->maximumSize());
    EXPECT_EQ(view.height(), 374);
    // Without language files only English can be chosen.
    frame->Menu()->UpdateStates(frame->Menu()->Popup(kMenuLanguage));
    EXPECT_TRUE(frame->Menu()->Action(LanguageCommand(0))->isChecked());
    EXPECT_TRUE(frame->Menu()->Action(LanguageCommand(0))->isEnabled());
    EXPECT_FALSE(frame->Menu()->Action(LanguageCommand(1))->isEnabled());
    EXPECT_FALSE(frame->Menu()->Action(LanguageCommand(6))->isEnabled());
}

TEST_F(MainWindow, MissingRecentLeftFileStillReloadsTheRightOne)
{
    run.settings->WriteText(Setting::RecentFileLeft, run.folder.File("gone.jpg"));
    run.settings->WriteText(Setting::RecentFileRight, run.Picture("right.png", 50, 50));
    MessageBoxes boxes;
    run.Start();
    EXPECT_THAT(boxes.texts, ElementsAre(HasSubstr("gone.jpg"))) << "the missing file is named";
    EXPECT_FALSE(run.View().Left().image->IsValid());
    EXPECT_TRUE(run.View().Right().image->IsValid());
    EXPECT_EQ(run.Options().recentFileLeft, "") << "it is not tried again at the next start";
}

// The covers of the last run come back once the window shows, the right one as the user
// left it rather than the left cover's companion; pictures named on the command line
// take their place, the first bringing its companion unless a second one is named.
TEST(CommandLine, RecentOrNamedPicturesOpenOnTheLeftAndRight)
{
    for (const int named : {0, 1, 2}) {
        SCOPED_TRACE(std::to_string(named) + " pictures named");
        ProgramRun run;
        run.settings->WriteText(Setting::RecentFileLeft, run.Picture("Album front.png", 110, 110));
        run.Picture("Album back.png", 151, 118);
        const std::string other = run.Picture("other.png", 90, 90);
        run.settings->WriteText(Setting::RecentFileRight, other);
        const std::string front = run.Picture("new-front.png", 120, 120);
        const std::string back = run.Picture("new-back.png", 151, 118);
        const std::string second = run.Picture("second.png", 100, 150);
        run.Start(false);
        EXPECT_FALSE(run.View().Left().image->IsValid()) << "nothing is loaded before the first timer tick";
        EXPECT_TRUE(run.app->MainFrame()->isVisible());
        if (named > 0)
            run.View().SetStartFiles(named == 2 ? std::vector{front, second} : std::vector{front});
        ASSERT_TRUE(ProgramRun::WaitFor([&] { return !run.View().TimerRunning(1); }));
        const std::string wantRight = std::vector{other, back, second}[named];
        const int wantRightWidth = std::vector{90, 151, 100}[named];
        EXPECT_EQ(run.Options().recentFileLeft, named ? front : run.folder.File("Album front.png"));
        EXPECT_EQ(run.Options().recentFileRight, wantRight);
        EXPECT_EQ(run.View().Left().image->GetWidth(), named ? 120 : 110);
        EXPECT_EQ(run.View().Right().image->GetWidth(), wantRightWidth);
        EXPECT_EQ(run.settings->ReadText(Setting::LastUsedPath), run.folder.Path());
        run.Close();
        EXPECT_EQ(run.Reread().ReadText(Setting::RecentFileRight), wantRight);
    }
}

// Several pictures with batch mode on start the batch job with all of them.
TEST(CommandLine, SeveralPicturesInBatchModeStartTheBatchDialog)
{
    ProgramRun run;
    const std::vector<std::string> files = {run.Picture("a-front.png", 120, 120),
                                            run.Picture("b.png", 90, 90), run.Picture("c.png", 100, 150)};
    run.settings->WriteInt(Setting::BatchMode, 1);
    run.Start(false);
    run.View().SetStartFiles(files);
    Answer<CBatchPrintingDialog> cancel(
        [](CBatchPrintingDialog& dialog) { dialog.Form().ItemAs<QAbstractButton>(kIdCancel)->click(); });
    ASSERT_TRUE(ProgramRun::WaitFor([&] { return !run.View().TimerRunning(1) && cancel.answered; }));
    EXPECT_EQ(run.View().BatchFiles(), files);
    EXPECT_FALSE(run.View().Left().image->IsValid()) << "a batch loads nothing onto the papers";
}

// One walk through a session: New on an empty window, a load and its rotation, the
// enabling rules as pictures arrive and single page is switched, formats chosen, New.
TEST_F(MainWindow, EnablingRotationFormatsAndNewFollowTheUsersSteps)
{
    run.Start();
    EXPECT_EQ(Usable(run), "printLeft printRight options editor | buttons:") << "nothing answers Online Help";
    // New with nothing loaded still empties the recent paths.
    run.Options().recentFileLeft = "/x/left.jpg";
    run.Options().recentFileRight = "/x/right.jpg";
    ASSERT_TRUE(run.View().Commands().Execute(kCmdNew));
    EXPECT_TRUE(run.Options().recentFileLeft.empty());
    EXPECT_TRUE(run.Options().recentFileRight.empty());

    run.Options().autoload2ndImage = 0;
    run.Options().autoDetectFormat = 0;
    run.Load(Side::Left, "wide.png", 300, 100);
    // One picture is enough for a preview.
    EXPECT_EQ(Usable(run), "rotateLeft printLeft printRight preview options editor | buttons: left");
    // Rotation turns the picture a quarter anticlockwise.
    EXPECT_TRUE(run.View().Commands().Execute(kCmdRotateLeft));
    EXPECT_EQ(run.View().Left().image->GetWidth(), 100);
    EXPECT_EQ(run.View().Left().image->GetHeight(), 300);
    EXPECT_FALSE(run.View().Commands().Execute(kCmdRotateRight)) << "no right picture to turn";
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

    // A chosen format reaches the paper and keeps the picture.
    ASSERT_GT(run.View().Form().ItemAs<QComboBox>(kLeftSelector)->count(), kCdTray);
    run.ChooseFormat(Side::Left, kDvdSleeve);
    EXPECT_EQ(run.View().Left().formatIndex, kDvdSleeve);
    EXPECT_EQ(run.View().Left().paper->Format(), (CoverSide{kDvdSleeve, Side::Left}));
    EXPECT_EQ(run.View().Left().image->GetWidth(), 100);
    run.ChooseFormat(Side::Right, kCdTray);
    EXPECT_EQ(run.View().Right().paper->Format(), (CoverSide{kCdTray, Side::Right}));
    EXPECT_EQ(run.View().Right().paper->IsCdTray(), 1);
    EXPECT_EQ(run.View().Left().paper->IsCdTray(), 0);

    // New clears pictures and recent files but keeps the formats.
    run.View().Commands().Execute(kCmdNew);
    EXPECT_FALSE(run.View().Left().image->IsValid());
    EXPECT_FALSE(run.View().Right().image->IsValid());
    EXPECT_EQ(run.View().Left().paper->Image(), nullptr);
    EXPECT_EQ(run.View().Left().formatIndex, kDvdSleeve);
    EXPECT_TRUE(run.Options().recentFileLeft.empty());
    EXPECT_FALSE(run.View().Form().Item(kPrintLeftButton)->isEnabled());
    const std::string noImage = run.View().Language().Text(2006);
    EXPECT_FALSE(noImage.empty());
    EXPECT_EQ(run.Text(kLeftStatus), noImage);
    EXPECT_EQ(run.Text(kRightStatus), noImage);
}

TEST_F(MainWindow, LoadsShortenLongNamesIgnoreUnknownTypesAndKeepThePictureOnBrokenFiles)
{
    run.Start();
    // A long name is shortened from the front; the job name uses the whole name.
    const std::string name = std::string(120, 'x') + " the end.PNG";
    const std::string good = run.Load(Side::Left, name, 80, 80);
    ASSERT_TRUE(run.View().Left().image->IsValid());
    const std::string shown = run.Text(kLeftStatus);
    ASSERT_EQ(shown.substr(0, 3), "...");
    EXPECT_EQ(shown.substr(shown.size() - 12), " the end.PNG");
    auto* status = run.View().Form().ItemAs<QLabel>(kLeftStatus);
    EXPECT_LE(status->fontMetrics().horizontalAdvance(status->text()), status->contentsRect().width())
        << "the shortened name fits whole, its last letter included";
    EXPECT_EQ(run.View().Left().fileName, name);

    const std::string broken = run.folder.Write("broken.jpg", "not a picture");
    const std::string letter = run.folder.Write("letter.bmp", "Dear reader, this is not a picture.\n");
    // A named pipe with a picture's name must not hang the load waiting for a writer.
    const std::string pipe = run.folder.File("pipe.jpg");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    // Files of a picture type that cannot be read are named in a message with the
    // decoder's reason; files of no picture type are passed over.
    const std::pair<std::string, bool> cases[] = {{broken, true},
                                                  {letter, true},
                                                  {pipe, true},
                                                  {run.folder.File("cover.tif"), false},
                                                  {run.folder.File("cover"), false}};
    for (const auto& [path, told] : cases) {
        MessageBoxes boxes;
        run.View().LoadCover(Side::Left, path);
        ASSERT_EQ(boxes.texts.size(), told ? 1u : 0u) << path;
        if (told) {
            CRasterImage probe;
            ASSERT_FALSE(probe.Load(path, ImageTypeFromPath(path)));
            EXPECT_EQ(boxes.texts[0], std::string(DefaultText(kTextLoadFailed)) + "\n\n" + path + "\n\n" +
                                          probe.GetLastError());
        }
        EXPECT_EQ(run.View().Left().image->GetWidth(), 80) << path;
        EXPECT_EQ(run.Text(kLeftStatus), shown) << path;
        EXPECT_EQ(run.Options().recentFileLeft, good) << path;
    }

    // A JPEG cut after its first scan lines is shown as far as its data goes, with a
    // notice naming it.
    const std::string bytes = ReadBytes(SLEEVIT_SOURCE_DIR "/resources/pictures/IDJ_SAMPLE_DVD_COVER.jpg");
    ASSERT_GT(bytes.size(), 1000u);
    const std::string cut = run.folder.Write("half sleeve.jpg", bytes.substr(0, bytes.size() * 45 / 100));
    MessageBoxes boxes;
    run.View().LoadCover(Side::Left, cut);
    EXPECT_THAT(boxes.texts, ElementsAre(AllOf(StartsWith(DefaultText(kTextLoadedInPart)), HasSubstr(cut))));
    EXPECT_TRUE(run.View().Left().image->IsValid());
    EXPECT_NE(run.View().Left().image->GetWidth(), 80);
    EXPECT_EQ(run.View().Left().fileName, "half sleeve.jpg");
}

TEST_F(MainWindow, DroppedFilesLoadIntoTheirPaperUnlessTheyMakeABatch)
{
    run.Start();
    run.Options().autoload2ndImage = 0;
    QStringList files;
    for (int i = 0; i < 3; ++i)
        files << QString::fromStdString(run.Picture("drop" + std::to_string(i) + ".png", 60 + i, 60));
    run.View().Right().paper->HandleDrop({});
    EXPECT_FALSE(run.View().Right().image->IsValid()) << "an empty drop";
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
    // selection would depend on its folder having been read.
    Answer<CExtendedFileDialog> pick([&](CExtendedFileDialog& dialog) {
        dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QPath(path));
        dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"))
            ->button(QDialogButtonBox::Open)
            ->click();
    });
    ASSERT_TRUE(run.View().Commands().Execute(kCmdLoadLeft));
    ASSERT_TRUE(pick.answered);
    // The picture is read when timer 2 fires, after the window had a chance to repaint.
    EXPECT_TRUE(run.View().TimerRunning(2));
    EXPECT_FALSE(run.View().Left().image->IsValid());
    ASSERT_TRUE(ProgramRun::WaitFor([&] { return run.View().Left().image->IsValid(); }));
    EXPECT_EQ(run.Options().recentFileLeft, path);
}

// The format editor's OK refills both lists and drops a removed format from its side;
// the cut-line label toggles like its box; shut-down writes the view's settings and the
// window position.
TEST_F(MainWindow, EditorOkRefillsTheListsAndShutDownWritesTheSettings)
{
    CCollectingMessages messages;
    FormatCatalogue shipped;
    ASSERT_TRUE(shipped.LoadCatalogue(run.folder.File("Sleevit.dat"), messages));
    const int last = shipped.GetCount() - 1;
    run.settings->WriteInt(Setting::LastUsedLeftFormat, 2);
    run.settings->WriteInt(Setting::LastUsedRightFormat, last);
    run.Start();
    EXPECT_EQ(run.View().Left().formatIndex, 2);
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
    EXPECT_EQ(run.View().Right().formatIndex, -1) << "its format was removed";

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

TEST(WindowAnswers, ComesUpWithoutAskingAPrintServerThatNeverAnswers)
{
    SilentServer server;
    ASSERT_GT(server.Port(), 0);
    const QByteArray before = qgetenv("CUPS_SERVER");
    qputenv("CUPS_SERVER", QByteArray("127.0.0.1:") + QByteArray::number(server.Port()));
    cupsSetServer(nullptr); // libcups reads the variable again
    {
        // A hang ends the test program with a failure instead of stalling the run.
        std::signal(SIGALRM, [](int) {
            const char text[] = "FAILED: the window with a silent print server hung for 20 s\n";
            [[maybe_unused]] const ssize_t written = ::write(2, text, sizeof text - 1);
            std::_Exit(1);
        });
        ::alarm(20);
        ProgramRun run;
        run.Start();
        EXPECT_TRUE(run.app->MainFrame()->isVisible());
        EXPECT_FALSE(run.View().PrintCycle().PrinterMade())
            << "the printer settings were made before any print";
        // The first print asks the server once, with a limit, then goes on without it.
        MessageBoxes boxes;
        run.View().PrintCycle().Printer();
        EXPECT_THAT(boxes.texts, ElementsAre(HasSubstr("does not answer")));
        run.Close();
        ::alarm(0);
    }
    if (before.isNull())
        qunsetenv("CUPS_SERVER");
    else
        qputenv("CUPS_SERVER", before);
    cupsSetServer(nullptr); // the window gave the silent server up for the rest of its run
}

TEST(WindowAnswers, ACatalogueFullOfBadLinesGivesOneBox)
{
    ProgramRun run;
    std::ostringstream user;
    user << ReadBytes(SLEEVIT_SOURCE_DIR "/data/Sleevit.dat") << "\r\n[Junk]\r\n";
    for (int i = 0; i < 40; ++i)
        user << "NONSENSE" << i << " = 1\r\n";
    run.folder.Write("home/sleevit/Sleevit.dat", user.str());

    MessageBoxes boxes;
    run.Start();
    EXPECT_THAT(boxes.texts, ElementsAre(AllOf(
                                 HasSubstr(FillPlaceholder(DefaultText(kMsgInvalidKeyword), "NONSENSE0 = 1")),
                                 HasSubstr("NONSENSE4 "), Not(HasSubstr("NONSENSE5 ")),
                                 HasSubstr(FillPlaceholder(DefaultText(kTextMoreCatalogueLines), "35")))));
}

// A side without a format shows none and is not printed; a side whose format cannot
// make a cover cannot be printed, and its button says why.
TEST(WindowAnswers, SidesWithoutAUsableFormatAreNotPrinted)
{
    ProgramRun run;
    run.folder.Write("Sleevit.dat",
                     "[Good]\r\nSIZE = (120 , 120)\r\nTYPE = CD_FRONT\r\n[Broken]\r\nSIZE = (0 , 0)\r\n");
    run.settings->WriteInt(Setting::LastUsedLeftFormat, 500);
    run.settings->WriteInt(Setting::AutoDetectFormat, 0);
    run.settings->WriteInt(Setting::Autoload2ndImage, 0);
    run.Start();
    EXPECT_EQ(run.View().Left().formatIndex, -1);
    EXPECT_EQ(run.View().Form().ItemAs<QComboBox>(kLeftSelector)->currentIndex(), -1)
        << "no format, no selection";
    run.Load(Side::Left, "cover.png", 120, 120);
    EXPECT_EQ(run.View().Left().formatIndex, -1);
    EXPECT_EQ(run.View().Left().paper->Format().format, CPaper::kNoFormat) << "its paper stays blank";
    QWidget* left = run.View().Form().Item(kPrintLeftButton);
    QWidget* right = run.View().Form().Item(kPrintRightButton);
    EXPECT_FALSE(left->isEnabled());
    // The menu's Print Left answers with a message; no print dialog opens. Nor does an
    // empty right side print.
    MessageBoxes boxes;
    ASSERT_TRUE(run.View().Commands().Execute(kCmdPrintLeft));
    ASSERT_TRUE(run.View().Commands().Execute(kCmdPrintRight));
    EXPECT_THAT(boxes.texts, ElementsAre(DefaultText(kTextCannotPrintSide), ::testing::_));

    run.ChooseFormat(Side::Left, 0);
    EXPECT_TRUE(left->isEnabled()) << "with a format chosen the side can be printed";
    run.Load(Side::Right, "back.png", 100, 100);
    ASSERT_EQ(run.View().Form().ItemAs<QComboBox>(kRightSelector)->count(), 2);
    for (const int format : {1, 0}) {
        run.ChooseFormat(Side::Right, format);
        const bool broken = format == 1;
        ASSERT_EQ(run.View().Right().formatIndex, format);
        EXPECT_TRUE(left->isEnabled());
        EXPECT_EQ(right->isEnabled(), !broken);
        EXPECT_EQ(run.View().Form().Item(kPrintBothButton)->isEnabled(), !broken);
        EXPECT_EQ(right->toolTip().contains("\"Broken\" cannot be printed"), broken)
            << right->toolTip().toStdString();
        EXPECT_EQ(run.View().Right().paper->toolTip(), right->toolTip());
        EXPECT_TRUE(left->toolTip().isEmpty());
    }
}

TEST(WindowAnswers, DialogsOverTheViewKeepTheirOwnColours)
{
    ProgramRun run;
    run.Start();
    CTheView& view = run.View();
    // The view's own status line is light grey (#C0C0C0) on the dark background.
    const QImage line = view.grab(view.Form().Item(kLeftStatus)->geometry()).toImage();
    int brightest = 0;
    for (int y = 0; y < line.height(); ++y)
        for (int x = 0; x < line.width(); ++x)
            brightest = std::max(brightest, qGray(line.pixel(x, y)));
    EXPECT_NEAR(brightest, 0xC0, 8);

    // The options, open and About dialogs: dark label texts, and the About box's links
    // mostly blue.
    for (const int command : {kCmdOptions, kCmdLoadRight, kCmdAbout}) {
        int darkest = 255, linkBlue = 0;
        ASSERT_TRUE(run.LookAtModal(command, [&](QWidget& modal) {
            darkest = DarkestLabelText(modal);
            for (CHyperLink* link : modal.findChildren<CHyperLink*>()) {
                const QImage picture = link->grab().toImage();
                for (int y = 0; y < picture.height(); ++y)
                    for (int x = 0; x < picture.width(); ++x) {
                        const QRgb p = picture.pixel(x, y);
                        linkBlue += qBlue(p) > qRed(p) + 80 && qBlue(p) > qGreen(p) + 80;
                    }
            }
        })) << command;
        EXPECT_LT(darkest, 100) << "the labels of dialog " << command << " are dark text";
        EXPECT_EQ(linkBlue > 10, command == kCmdAbout) << "the About box's links are blue";
    }

    QMessageBox box(QMessageBox::Warning, QStringLiteral("Sleevit"), QStringLiteral("Could not save."),
                    QMessageBox::Ok, &view);
    box.show();
    QCoreApplication::processEvents();
    EXPECT_LT(DarkestLabelText(box), 100) << "a message box over the view";

    // The skin's disc leaves the left paper's cut lines free: its overlay is drawn in the
    // paper's own pixels, none of it on the sheet.
    const QRect paper = view.Left().paper->geometry();
    for (int skin : {kSkinDefault, kSkinAlternative}) {
        ASSERT_TRUE(view.Skins().ApplySkin(skin));
        EXPECT_GE(view.Skins().ForPaper(true).overlayPosition.x, paper.width()) << "skin " << skin;
        // The main picture's disc (four columns in) starts right of the paper.
        EXPECT_GT(view.Skins().State().mainPosition.x + 4, paper.right()) << "skin " << skin;
    }
}
