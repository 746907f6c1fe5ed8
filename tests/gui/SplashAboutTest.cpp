#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFontInfo>
#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "GuiApp.h"
#include "dialogs/AboutDlg.h"
#include "dialogs/HyperLink.h"
#include "dialogs/SplashScreen.h"
#include "i18n/LanguageTable.h"
#include "images/ImageDecoder.h"
#include "images/RasterImage.h"
#include "surfaces/RasterSurface.h"

namespace {

// Runs probe on the splash screen once it is up, while Show() holds the caller; a
// watchdog closes a screen that never closes, so the test fails instead of hanging.
// Returns the milliseconds Show() took.
qint64 RunSplash(unsigned duration, const std::function<void(CSplashScreen&)>& probe)
{
    QTimer poll;
    bool probed = false;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* splash = qobject_cast<CSplashScreen*>(QApplication::activeModalWidget());
        if (splash && splash->isVisible() && !probed && probe) {
            probed = true;
            probe(*splash);
        }
    });
    // A timer of this function, so that it cannot fire into a later test.
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] {
        if (QWidget* modal = QApplication::activeModalWidget())
            modal->close();
    });
    watchdog.start(8000);
    poll.start(10);
    QElapsedTimer clock;
    clock.start();
    CSplashScreen::Show(duration);
    return clock.elapsed();
}

using SplashScreenTest = GuiTest;

TEST_F(SplashScreenTest, PictureSizedCentredAndClosedByALeftClickOnly)
{
    QRect place;
    bool upAfterOtherClicks = false;
    const qint64 took = RunSplash(60000, [&](CSplashScreen& splash) {
        place = splash.geometry();
        QTest::mouseClick(&splash, Qt::RightButton, {}, QPoint(40, 40));
        QTest::mouseClick(&splash, Qt::MiddleButton, {}, QPoint(40, 40));
        upAfterOtherClicks = splash.isVisible();
        QTest::mouseClick(&splash, Qt::LeftButton, {}, QPoint(200, 100));
    });
    EXPECT_EQ(place.size(), QSize(430, 265)) << "have " << place.width() << " x " << place.height();
    const QPoint centre = QGuiApplication::primaryScreen()->geometry().center();
    EXPECT_LE((place.center() - centre).manhattanLength(), 2)
        << "centre have (" << place.center().x() << ", " << place.center().y() << "), want (" << centre.x()
        << ", " << centre.y() << ")";
    EXPECT_TRUE(upAfterOtherClicks) << "a right or middle click closed the splash screen";
    EXPECT_LT(took, 7000) << "a splash screen with a minute to run ignored the left click";
}

TEST_F(SplashScreenTest, ClosesOnItsTimer)
{
    const qint64 took = RunSplash(300, {});
    // Qt's coarse timers may fire up to 5 % early.
    EXPECT_GE(took, 285) << "closed too early";
    EXPECT_LT(took, 4000) << "have " << took << " ms: the timer did not close it";
}

// The picture is drawn at its own size from the top-left corner; without a picture
// the window keeps its template size and stays white.
TEST_F(SplashScreenTest, DrawsThePictureUnscaledOrStaysBlank)
{
    CRasterImage picture;
    ASSERT_TRUE(picture.LoadResource(CSplashScreen::kPictureName, kImageJpeg)) << picture.GetLastError();
    CRasterSurface want(picture.GetWidth(), picture.GetHeight());
    picture.Draw(&want, 0, 0);
    CSplashScreen splash(1000);
    ASSERT_TRUE(splash.Create());
    const QImage have = splash.grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(have.size(), QSize(want.Width(), want.Height()));
    int mismatches = 0;
    for (int y = 1; y < want.Height() - 1; y += 7) {
        for (int x = 1; x < want.Width() - 1; x += 5)
            mismatches += (want.Row(y)[x] & 0xFFFFFFu) != (have.pixel(x, y) & 0xFFFFFFu);
    }
    EXPECT_EQ(mismatches, 0) << "pixels that differ from the picture drawn at (0, 0)";

    CSplashScreen blank(1000, "NO_SUCH_PICTURE");
    ASSERT_TRUE(blank.Create());
    EXPECT_EQ(blank.size(), blank.Form().ClientSize()) << "a splash screen without its picture changed size";
    const QImage empty = blank.grab().toImage();
    EXPECT_EQ(empty.pixel(empty.width() / 2, empty.height() / 2) & 0xFFFFFFu, 0xFFFFFFu) << "not blank";
}

class AboutBoxTest : public GuiTest {
protected:
    void SetUp() override { english_.UseBuiltInDefaults(); }
    std::string Folder() const { return folder_.Path(); }

    TestFolder folder_;
    LanguageTable english_;
};

TEST_F(AboutBoxTest, CaptionIsTheAboutEntryAsALabelThenTheVersion)
{
    struct Case {
        const char* name;
        int language;          // the table's current language
        std::string fileBytes; // that language's file; unused for English
        std::string want;
    };
    const Case cases[] = {
        {"English", 0, "", "About Sleevit 1.14 BETA 1"},
        {"Dutch", 1, "[MENU]\r\n3028=Sleevit website\r\n3029=&Over Sleevit...\r\n",
         "Over Sleevit 1.14 BETA 1"},
        // An 8-bit file: the umlaut is one byte of ISO 8859-1.
        {"German", 6, "3029=\xDC&ber Sleevit...\r\n",
         "\xC3\x9C"
         "ber Sleevit 1.14 BETA 1"},
        // The dots go, then the colons; a file without the key falls back to English.
        {"Danish", 3, "3029=Om &Sleevit:...\r\n", "Om Sleevit 1.14 BETA 1"},
        {"Swedish", 21, "3028=Sleevit webbplats\r\n", "About Sleevit 1.14 BETA 1"},
    };
    for (const Case& c : cases) {
        LanguageTable language;
        language.UseBuiltInDefaults();
        // An empty folder, so that selecting keeps the texts loaded from the bytes.
        language.ScanLanguageFiles(Folder());
        language.SetAvailable(c.language, true);
        ASSERT_TRUE(c.language == 0 || language.LoadLanguageBytes(c.language, c.fileBytes)) << c.name;
        language.SelectLanguage(c.language);
        CAboutDlg about(nullptr, language, Folder());
        ASSERT_TRUE(about.Create()) << c.name;
        EXPECT_EQ(about.windowTitle().toStdString(), c.want) << c.name;
    }
}

TEST_F(AboutBoxTest, ReleaseNotesInEitherEncodingOrNoneAreShown)
{
    // Letters beyond ASCII in both encodings, and mixed line ends.
    std::string utf16 = "\xFF\xFE";
    for (char16_t unit : std::u16string(u"Sleevit 1.14\r\nGr\u00FC\u00DFe\n\r\ncaf\u00E9 \u03A9\r\n")) {
        utf16.push_back(static_cast<char>(unit & 0xFF));
        utf16.push_back(static_cast<char>(unit >> 8));
    }
    struct Case {
        const char* name;
        std::optional<std::string> bytes; // none: no file
        std::string want;
    };
    const Case cases[] = {
        {"UTF-16 with its mark", utf16,
         "Sleevit 1.14\nGr\xC3\xBC\xC3\x9F"
         "e\n\ncaf\xC3\xA9 \xCE\xA9"},
        {"8-bit",
         "Sleevit 1.14\r\nGr\xFC\xDF"
         "e\n\r\ncaf\xE9 ?",
         "Sleevit 1.14\nGr\xC3\xBC\xC3\x9F"
         "e\n\ncaf\xC3\xA9 ?"},
        {"missing", std::nullopt, ""},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(folder_.File("releasenotes.txt"));
        if (c.bytes)
            folder_.Write("releasenotes.txt", *c.bytes);
        CAboutDlg about(nullptr, english_, Folder());
        ASSERT_TRUE(about.Create());
        auto* notes = about.Form().ItemAs<QPlainTextEdit>(CAboutDlg::kIdReleaseNotes);
        ASSERT_NE(notes, nullptr);
        EXPECT_EQ(notes->toPlainText().toStdString(), c.want) << c.name;
        EXPECT_TRUE(QFontInfo(notes->font()).fixedPitch()) << c.name << ": not in a monospaced font";
    }
}

// Each link opens its own address on a click, never on a press dragged away, and is
// orange only while the mouse is over it.
TEST_F(AboutBoxTest, LinksOpenTheMakersAddresses)
{
    std::vector<std::string> opened;
    CHyperLink::Opener previous = CHyperLink::SetOpener([&opened](const QUrl& url) {
        opened.push_back(url.toString().toStdString());
        return true;
    });
    CAboutDlg about(nullptr, english_, Folder());
    ASSERT_TRUE(about.Create());
    about.show();
    struct Case {
        int id;
        std::string want;
    };
    for (const Case& c : {Case{CAboutDlg::kIdMailLink, "mailto:hello@sleevit.org"},
                          Case{CAboutDlg::kIdWebLink, "https://sleevit.org/"}}) {
        auto* link = about.Form().ItemAs<CHyperLink>(c.id);
        ASSERT_NE(link, nullptr) << "control " << c.id << " is not a link";
        QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
        QApplication::sendEvent(link, &enter);
        EXPECT_EQ(link->TextColour().rgb(), CHyperLink::kHoverColour)
            << "control " << c.id << " under the mouse";
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(link, &leave);
        EXPECT_EQ(link->TextColour().rgb(), CHyperLink::kNormalColour) << "control " << c.id << " left";

        opened.clear();
        QTest::mousePress(link, Qt::LeftButton, {}, QPoint(3, 3));
        QTest::mouseRelease(link, Qt::LeftButton, {}, QPoint(link->width() + 40, 3));
        QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(3, 3));
        EXPECT_EQ(opened, std::vector<std::string>{c.want}) << "control " << c.id;
    }
    CHyperLink::SetOpener(std::move(previous));
}

// The notes that ship: 8-bit text, CR LF after every line, at most 76 characters a
// line, and every line fits the box without being wrapped.
TEST_F(AboutBoxTest, ShippedReleaseNotesKeepTheirForm)
{
    const std::string dataFolder = std::string(SLEEVIT_SOURCE_DIR) + "/data";
    std::ifstream in(dataFolder + "/releasenotes.txt", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 500u) << "data/releasenotes.txt is missing or nearly empty";
    ASSERT_FALSE(bytes.starts_with("\xFF\xFE")) << "the notes should be 8-bit text";
    ASSERT_TRUE(bytes.ends_with("\r\n"));
    int lineNumber = 1;
    for (std::size_t start = 0, end; start < bytes.size(); start = end + 1, ++lineNumber) {
        end = bytes.find('\n', start);
        const std::size_t length = end - start - 1;
        EXPECT_TRUE(end > start && bytes[end - 1] == '\r')
            << "line " << lineNumber << " does not end in CR LF";
        EXPECT_LE(length, 76u) << "line " << lineNumber << " is " << length << " characters long";
    }

    CAboutDlg about(nullptr, english_, dataFolder);
    ASSERT_TRUE(about.Create());
    about.show();
    auto* notes = about.Form().ItemAs<QPlainTextEdit>(CAboutDlg::kIdReleaseNotes);
    ASSERT_NE(notes, nullptr);
    const QStringList lines = notes->toPlainText().split(QLatin1Char('\n'));
    EXPECT_EQ(lines.size(), lineNumber - 1) << "the box does not show every line";
    const QFontMetrics metrics(notes->font());
    const int room = notes->viewport()->width() - 2 * static_cast<int>(notes->document()->documentMargin()) -
                     notes->cursorWidth();
    for (const QString& line : lines)
        EXPECT_LE(metrics.horizontalAdvance(line), room) << "wrapped in the box: " << line.toStdString();
}

} // namespace
