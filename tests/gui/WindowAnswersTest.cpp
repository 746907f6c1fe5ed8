// The window's answers to what goes wrong: a print server that never answers, a
// catalogue full of bad lines, pictures that cannot be read, sides that cannot be
// printed, and dialogs over the view that must keep their own colours.
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>

#include <cups/cups.h>

#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "SilentServer.h"
#include "app/MainMenu.h"
#include "app/Paper.h"
#include "app/PrintCycle.h"
#include "dialogs/HyperLink.h"
#include "gui/MainWindowSupport.h"
#include "i18n/DefaultTexts.h"

namespace {

// The darkest pixel (0 black .. 255 white) of the texts of a window's labels.
int DarkestLabelText(QWidget& window)
{
    int darkest = 255;
    for (QLabel* label : window.findChildren<QLabel*>()) {
        if (label->text().isEmpty() || !label->isVisible())
            continue;
        // Taken from the window's own picture: a label with a see-through background
        // grabbed alone would give see-through black.
        const QImage picture =
            window.grab(QRect(label->mapTo(&window, QPoint(0, 0)), label->size())).toImage();
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                darkest = std::min(darkest, qGray(picture.pixel(x, y)));
    }
    return darkest;
}

// How many pixels of a widget's picture are mostly blue.
int BluePixels(QWidget& widget)
{
    const QImage picture = widget.grab().toImage();
    int count = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb p = picture.pixel(x, y);
            count += qBlue(p) > qRed(p) + 80 && qBlue(p) > qGreen(p) + 80;
        }
    return count;
}

} // namespace

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
        ASSERT_EQ(boxes.texts.size(), 1u);
        EXPECT_NE(boxes.texts[0].find("does not answer"), std::string::npos) << boxes.texts[0];
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
    std::ifstream shipped(std::string(SLEEVIT_SOURCE_DIR) + "/data/Sleevit.dat", std::ios::binary);
    std::ostringstream user;
    user << shipped.rdbuf() << "\r\n[Junk]\r\n";
    for (int i = 0; i < 40; ++i)
        user << "NONSENSE" << i << " = 1\r\n";
    run.folder.Write("home/sleevit/Sleevit.dat", user.str());

    MessageBoxes boxes;
    run.Start();
    ASSERT_EQ(boxes.texts.size(), 1u);
    const std::string& text = boxes.texts.front();
    const std::string first = FillPlaceholder(DefaultText(kMsgInvalidKeyword), "NONSENSE0 = 1");
    EXPECT_NE(text.find(first), std::string::npos) << text;
    EXPECT_NE(text.find("NONSENSE4 "), std::string::npos) << text;
    EXPECT_EQ(text.find("NONSENSE5 "), std::string::npos) << text;
    EXPECT_NE(text.find(FillPlaceholder(DefaultText(kTextMoreCatalogueLines), "35")), std::string::npos)
        << text;
}

TEST(WindowAnswers, APictureLoadedInPartIsShownWithANoticeNamingIt)
{
    // A JPEG cut after its first scan lines decodes as far as its data goes.
    const std::string sample =
        std::string(SLEEVIT_SOURCE_DIR) + "/resources/pictures/IDJ_SAMPLE_DVD_COVER.jpg";
    std::ifstream in(sample, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 1000u);
    ProgramRun run;
    const std::string cut = run.folder.File("half sleeve.jpg");
    std::ofstream(cut, std::ios::binary) << bytes.substr(0, bytes.size() * 45 / 100);

    run.Start();
    MessageBoxes boxes;
    run.View().LoadCover(Side::Left, cut);
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts.front().rfind(DefaultText(kTextLoadedInPart), 0), 0u) << boxes.texts.front();
    EXPECT_NE(boxes.texts.front().find(cut), std::string::npos) << boxes.texts.front();
    EXPECT_TRUE(run.View().Left().image->IsValid());
    EXPECT_EQ(run.View().Left().fileName, "half sleeve.jpg");
}

TEST(WindowAnswers, ASideWithoutAFormatShowsNoneAndIsNotPrinted)
{
    ProgramRun run;
    run.settings->WriteInt(Setting::LastUsedLeftFormat, 500);
    run.settings->WriteInt(Setting::AutoDetectFormat, 0);
    run.Start();
    auto* selector = run.View().Form().ItemAs<QComboBox>(kLeftSelector);
    EXPECT_EQ(run.View().Left().formatIndex, -1);
    EXPECT_EQ(selector->currentIndex(), -1) << "no format, no selection";
    const std::string picture = run.folder.File("cover.png");
    ASSERT_TRUE(WritePngFile(picture, 120, 120, 0x0000FF));
    run.View().LoadCover(Side::Left, picture);
    EXPECT_EQ(run.View().Left().formatIndex, -1);
    EXPECT_EQ(run.View().Left().paper->Format().format, CPaper::kNoFormat) << "its paper stays blank";
    EXPECT_FALSE(run.View().Form().Item(kPrintLeftButton)->isEnabled());

    // The menu's Print Left answers with a message; no print dialog opens.
    MessageBoxes boxes;
    ASSERT_TRUE(run.View().Commands().Execute(kCmdPrintLeft));
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts.front(), DefaultText(kTextCannotPrintSide));
    // Nor does an empty right side print.
    ASSERT_TRUE(run.View().Commands().Execute(kCmdPrintRight));
    EXPECT_EQ(boxes.texts.size(), 2u);

    // With a format chosen the side can be printed.
    run.ChooseFormat(Side::Left, 0);
    EXPECT_TRUE(run.View().Form().Item(kPrintLeftButton)->isEnabled());
}

TEST(WindowAnswers, DialogsOverTheViewKeepTheirOwnColours)
{
    ProgramRun run;
    run.Start();
    CTheView& view = run.View();
    // The view's own status line is light grey (#C0C0C0) on the dark background.
    QWidget* status = view.Form().Item(kLeftStatus);
    const QImage line = view.grab(status->geometry()).toImage();
    int brightest = 0;
    for (int y = 0; y < line.height(); ++y)
        for (int x = 0; x < line.width(); ++x)
            brightest = std::max(brightest, qGray(line.pixel(x, y)));
    EXPECT_NEAR(brightest, 0xC0, 8);

    // The options, open and About dialogs: dark label texts, and the About box's links blue.
    for (const int command : {kCmdOptions, kCmdLoadRight, kCmdAbout}) {
        bool answered = false;
        int darkest = 255, linkBlue = 0;
        auto look = AnswerModal(
            [&](QWidget* modal) {
                darkest = DarkestLabelText(*modal);
                for (CHyperLink* link : modal->findChildren<CHyperLink*>())
                    linkBlue += BluePixels(*link);
                qobject_cast<QDialog*>(modal)->reject();
                return true;
            },
            &answered);
        ASSERT_TRUE(view.Commands().Execute(command));
        ASSERT_TRUE(answered) << command;
        EXPECT_LT(darkest, 100) << "the labels of dialog " << command << " are dark text";
        EXPECT_EQ(linkBlue > 10, command == kCmdAbout) << "the About box's links are blue";
    }

    QMessageBox box(QMessageBox::Warning, QStringLiteral("Sleevit"), QStringLiteral("Could not save."),
                    QMessageBox::Ok, &view);
    box.show();
    QCoreApplication::processEvents();
    EXPECT_LT(DarkestLabelText(box), 100) << "a message box over the view";
}

TEST(WindowAnswers, TheSkinsDiscLeavesTheLeftPapersCutLinesFree)
{
    ProgramRun run;
    run.Start();
    CSkinManager& skins = run.View().Skins();
    const QRect paper = run.View().Left().paper->geometry();
    for (int skin : {kSkinDefault, kSkinAlternative}) {
        ASSERT_TRUE(skins.ApplySkin(skin));
        // The overlay is drawn in the paper's own pixels: none of it may land on the sheet.
        const PaperSkin left = skins.ForPaper(true);
        EXPECT_GE(left.overlayPosition.x, paper.width()) << "skin " << skin;
        // The main picture's disc (four columns in) starts right of the paper.
        EXPECT_GT(skins.State().mainPosition.x + 4, paper.right()) << "skin " << skin;
    }
}
