// The dialogs on their own: batch printing, printer calibration, donation, options, the
// value rules behind them (data/dialog-values.txt), the splash screen and the About box.
#include <optional>

#include "CollectingMessages.h"
#include "DataLines.h"
#include "app/AppOptions.h"
#include "app/DialogTemplate.h"
#include "app/DialogTextSource.h"
#include "dialogs/AboutDlg.h"
#include "dialogs/BatchPrintingDialog.h"
#include "dialogs/CalibrationDialog.h"
#include "dialogs/DonateDialog.h"
#include "dialogs/ExtendedFileDialog.h"
#include "dialogs/FormatEditDialog.h"
#include "dialogs/FormatEditValues.h"
#include "dialogs/HyperLink.h"
#include "dialogs/OptionsDialog.h"
#include "dialogs/Preview.h"
#include "dialogs/SplashScreen.h"
#include "formats/PrinterCalibration.h"
#include "gui/PrintTestSupport.h"
#include "i18n/LanguageTable.h"
#include "images/ImageDecoder.h"
#include "surfaces/RasterSurface.h"

namespace {

class BatchDialogTest : public GuiTest {
protected:
    void TearDown() override { SetDialogTextSource({}); }
};

TEST_F(BatchDialogTest, ChoicesGiveTheFormatTheJobUses)
{
    const std::vector<std::string> lines =
        ReadDataLines(SLEEVIT_SOURCE_DIR "/tests/gui/data/batch-dialog.txt");
    ASSERT_EQ(lines.size(), 9u);
    FormatCatalogue catalogue;
    for (const char* name : {"CD Front", "DVD Case", "Slim Case"})
        catalogue.AddFormat(name);
    for (const std::string& line : lines) {
        SCOPED_TRACE(line);
        // Every other opening in a language: the count line is then its text.
        const bool translated = (&line - lines.data()) % 2 == 1;
        int askedKey = 0;
        if (translated)
            SetDialogTextSource({[&](int key) {
                                     askedKey = key;
                                     return std::string("%n %s: %d Bilder");
                                 },
                                 nullptr});
        const std::vector<std::string> parts = SplitFields(line, " | ", 3);
        std::istringstream start(parts[0]), steps(parts[1]), end(parts[2]);
        int preset = 0, startRow = 0, wantFormat = 0;
        std::string startRadio, wantResult;
        start >> preset >> startRadio >> startRow;
        end >> wantResult >> wantFormat;
        CBatchPrintingDialog dialog(catalogue);
        dialog.SetImageCount(4);
        dialog.SetFormat(preset);
        Answer<CBatchPrintingDialog> act([&](CBatchPrintingDialog&) {
            CTemplateForm& form = dialog.Form();
            const bool forced = startRadio == "force";
            EXPECT_EQ(form.Checked(CBatchPrintingDialog::kIdForceFormat), forced);
            EXPECT_EQ(form.Checked(CBatchPrintingDialog::kIdAutoDetect), !forced);
            EXPECT_EQ(form.Enabled(CBatchPrintingDialog::kIdFormatList), forced)
                << "the list is usable exactly while a format is forced";
            EXPECT_EQ(form.CurrentIndex(CBatchPrintingDialog::kIdFormatList), startRow);
            // The list holds the catalogue's names in order; the count line says the number.
            auto* list = form.ItemAs<QComboBox>(CBatchPrintingDialog::kIdFormatList);
            ASSERT_EQ(list->count(), catalogue.GetCount());
            for (int i = 0; i < list->count(); ++i)
                EXPECT_EQ(list->itemText(i).toStdString(), catalogue.GetName(i)) << "row " << i;
            EXPECT_EQ(form.Text(CBatchPrintingDialog::kIdCountLine),
                      translated ? "%n %s: 4 Bilder" : "Starting batch job. Printing 4 images...");
            EXPECT_EQ(askedKey, translated ? CBatchPrintingDialog::kCountLineKey : 0);
            for (std::string step; steps >> step;) {
                if (step == "force" || step == "auto") {
                    QTest::mouseClick(form.ItemAs<QRadioButton>(step == "force"
                                                                    ? CBatchPrintingDialog::kIdForceFormat
                                                                    : CBatchPrintingDialog::kIdAutoDetect),
                                      Qt::LeftButton);
                    EXPECT_EQ(form.Enabled(CBatchPrintingDialog::kIdFormatList), step == "force")
                        << "after " << step;
                } else if (step == "list") {
                    int row = 0;
                    steps >> row;
                    form.SetCurrentIndex(CBatchPrintingDialog::kIdFormatList, row);
                } else {
                    form.ItemAs<QPushButton>(step == "print" ? kIdOk : kIdCancel)->click();
                }
            }
        });
        const int result = dialog.DoModal();
        ASSERT_TRUE(act.answered) << "the dialog never became the modal window";
        EXPECT_EQ(result, wantResult == "accepted" ? QDialog::Accepted : QDialog::Rejected);
        if (result == QDialog::Accepted) {
            EXPECT_EQ(dialog.GetFormat(), wantFormat);
        }
        SetDialogTextSource({});
    }
}

TEST(CalibrationDialog, ShowsAndSavesEachPrintersOffsets)
{
    EnsureGuiApp();
    const ScratchFolder dir;
    const std::string path = dir.File("Sleevit.conf");
    ASSERT_TRUE(WritePrinterCalibration(path, "hp", {1, 2, 3, 4}));
    CCollectingMessages messages;

    CCalibrationDialog dialog(nullptr, messages, {"epson", "hp"}, "hp", path);
    EXPECT_EQ(dialog.Printers()->currentText(), "hp");
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(dialog.Field(k)->value(), k + 1) << k;
    dialog.Printers()->setCurrentIndex(0);
    EXPECT_EQ(dialog.Field(2)->value(), 0) << "epson has no offsets yet";
    dialog.Field(2)->setValue(-1.5);
    dialog.Field(3)->setValue(0.7);
    dialog.accept();
    EXPECT_EQ(ReadPrinterCalibration(path, "epson"), (PrinterCalibration{0, 0, -1.5, 0.7}));
    EXPECT_EQ(ReadPrinterCalibration(path, "hp"), (PrinterCalibration{1, 2, 3, 4}));

    CCalibrationDialog cancelled(nullptr, messages, {"epson", "hp"}, "hp", path);
    cancelled.Field(0)->setValue(9);
    cancelled.reject();
    EXPECT_EQ(ReadPrinterCalibration(path, "hp").sheetX, 1);

    // A folder where the file should be: nothing saved, the dialog stays with a message.
    const std::string blocked = dir.File("blocked");
    std::filesystem::create_directories(blocked);
    MessageBoxes boxes;
    CCalibrationDialog failing(nullptr, messages, {"hp"}, "hp", blocked);
    failing.accept();
    EXPECT_EQ(boxes.texts, std::vector<std::string>{"The calibration cannot be saved in " + blocked + "."});
    EXPECT_NE(failing.result(), QDialog::Accepted);
}

using DonateDialogTest = GuiTest;

// The box opens with the option, and whatever closes the dialog, the option ends as
// the box was left by a click: the dialog has no Cancel.
TEST_F(DonateDialogTest, ShowAtStartUpBoxRoundTrip)
{
    for (bool initial : {false, true}) {
        for (const CloseWay& way : kCloseWays) {
            SCOPED_TRACE(std::string("opened with ") + (initial ? "on, " : "off, ") + way.name);
            AppOptions options;
            options.showDonationDialog = initial;
            CDonateDialog dialog(nullptr, options);
            ASSERT_TRUE(dialog.Create());
            auto* box = dialog.Form().ItemAs<QCheckBox>(CDonateDialog::kIdShowAtStartUp);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->isChecked(), initial) << "box on opening";
            Answer<CDonateDialog> act([&](CDonateDialog&) {
                QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, box->height() / 2));
                way.close(dialog);
            });
            const int result = dialog.DoModal();
            ASSERT_TRUE(act.answered) << "the dialog did not open modally";
            EXPECT_EQ(options.showDonationDialog, !initial);
            EXPECT_EQ(result == QDialog::Accepted, &way == &kCloseWays[0]);
        }
    }
}

// Every check box of the dialog with the option it edits.
struct SwitchRow {
    int id;
    int AppOptions::*option;
    const char* name;
};
const SwitchRow kSwitches[] = {
    {COptionsDialog::kIdAutoRotate, &AppOptions::autoRotate, "AutoRotate"},
    {COptionsDialog::kIdAutoDetectFormat, &AppOptions::autoDetectFormat, "AutoDetectFormat"},
    {COptionsDialog::kIdMaskPrintJobName, &AppOptions::maskPrintJobName, "MaskPrintJobName"},
    {COptionsDialog::kIdReloadOnStartup, &AppOptions::reloadOnStartup, "ReloadOnStartup"},
    {COptionsDialog::kIdAutoload2ndImage, &AppOptions::autoload2ndImage, "Autoload2ndImage"},
    {COptionsDialog::kIdShowSplash, &AppOptions::showSplash, "ShowSplash"},
    {COptionsDialog::kIdCheckPrintableArea, &AppOptions::checkPrintableArea, "CheckForPrintableArea"},
    {COptionsDialog::kIdBatchMode, &AppOptions::batchMode, "BatchMode"},
    {COptionsDialog::kIdPrintBorder, &AppOptions::printBorder, "Print Border"},
};

using OptionsDialogTest = GuiTest;

// One switch on and all others off, for each switch in turn, then the reverse: a
// check box wired to the wrong option shows up as a mismatch in both directions.
TEST_F(OptionsDialogTest, EachSwitchReachesItsOwnOptionBothWays)
{
    int round = 0;
    for (const SwitchRow& lit : kSwitches) {
        for (int base : {0, 1}) {
            AppOptions options;
            for (const SwitchRow& row : kSwitches)
                options.*row.option = row.id == lit.id ? 1 - base : base;
            const AppOptions opened = options;
            // Each way of closing in turn: there is no Cancel, so none may lose a box.
            const CloseWay& way = kCloseWays[round++ % 3];
            COptionsDialog dialog(options);
            ASSERT_TRUE(dialog.Create());
            dialog.show();
            for (const SwitchRow& row : kSwitches)
                EXPECT_EQ(dialog.Form().Checked(row.id), opened.*row.option == 1)
                    << "opening with only " << lit.name << " = " << 1 - base << ": box of " << row.name;
            // Flip the lit box back and every other box too, then close (and check before
            // the dialog goes, which stores the boxes too).
            for (const SwitchRow& row : kSwitches)
                dialog.Form().SetChecked(row.id, !dialog.Form().Checked(row.id));
            way.close(dialog);
            for (const SwitchRow& row : kSwitches)
                EXPECT_EQ(options.*row.option, 1 - opened.*row.option)
                    << "after flipping every box with " << lit.name << " lit, closed by " << way.name
                    << ": option " << row.name;
        }
    }
}

// Escape, the close box and OK all keep the job name the user typed (an empty one too),
// and the options the dialog does not show stay as they were.
TEST_F(OptionsDialogTest, EveryWayOfClosingKeepsTheChanges)
{
    for (const CloseWay& way : kCloseWays) {
        // OK with the job name emptied, the others with a new one.
        const QString typed = &way == &kCloseWays[0] ? QString() : QStringLiteral("Budget");
        AppOptions options;
        // Escape's round opens with the job name field off.
        const int mask = &way == &kCloseWays[1] ? 0 : 1;
        options.maskPrintJobName = mask;
        options.printJobName = "Quarterly report.docx";
        options.recentFileLeft = "/covers/left.jpg";
        options.drawCutAndFoldLines = 0;
        options.lastUsedLeftFormat = 4;
        options.language = 7;
        COptionsDialog dialog(options);
        Answer<COptionsDialog> act([&](COptionsDialog&) {
            auto* name = dialog.Form().ItemAs<QLineEdit>(COptionsDialog::kIdPrintJobName);
            auto* box = dialog.Form().ItemAs<QCheckBox>(COptionsDialog::kIdMaskPrintJobName);
            // The job name field follows its box and keeps its text; it ends on.
            EXPECT_EQ(name->isEnabled(), mask == 1);
            for (int click = 1; click <= 3 - mask; ++click) {
                QTest::mouseClick(box, Qt::LeftButton);
                EXPECT_EQ(name->isEnabled(), box->isChecked()) << "click " << click << " from " << mask;
                EXPECT_EQ(name->text().toStdString(), "Quarterly report.docx");
            }
            // The keyword fields show their fixed texts and refuse editing.
            for (const auto& [id, want] :
                 {std::pair{COptionsDialog::kIdLeftKeywords, "front;front + inside;-f"},
                  std::pair{COptionsDialog::kIdRightKeywords, "back;back;-b"}}) {
                auto* edit = dialog.Form().ItemAs<QLineEdit>(id);
                edit->setFocus();
                QTest::keyClick(edit, Qt::Key_End);
                QTest::keyClicks(edit, QStringLiteral("xyz"));
                QTest::keyClick(edit, Qt::Key_Backspace);
                EXPECT_EQ(edit->text().toStdString(), want) << "keyword field " << id;
            }
            name->setFocus();
            name->selectAll();
            if (typed.isEmpty())
                QTest::keyClick(name, Qt::Key_Delete);
            QTest::keyClicks(name, typed);
            way.close(dialog);
        });
        dialog.DoModal();
        ASSERT_TRUE(act.answered) << way.name << ": the dialog never became the modal window";
        EXPECT_FALSE(dialog.isVisible()) << way.name << " did not close the dialog";
        EXPECT_EQ(options.printJobName, typed.toStdString()) << way.name << " lost the job name";
        EXPECT_EQ(options.maskPrintJobName, 1) << way.name << " lost the job name switch";
        EXPECT_EQ(options.recentFileLeft, "/covers/left.jpg");
        EXPECT_EQ(options.drawCutAndFoldLines, 0);
        EXPECT_EQ(options.lastUsedLeftFormat, 4);
        EXPECT_EQ(options.language, 7);
    }
}

// Every translated control must exist in its template, or its text would silently stay
// English.
TEST(DialogTemplates, TranslatedControlsExist)
{
    const std::pair<int, std::span<const TextPair>> dialogs[] = {
        {COptionsDialog::kTemplateId, COptionsDialog::kTextPairs},
        {CBatchPrintingDialog::kTemplateId, CBatchPrintingDialog::kTextPairs},
        {CPreviewPanel::kTemplateId, CPreviewPanel::kTextPairs},
        {CFormatEditDialog::kTemplateId, CFormatEditDialog::kTextPairs},
        {CDonateDialog::kTemplateId, CDonateDialog::kTextPairs},
    };
    for (const auto& [templateId, pairs] : dialogs) {
        const auto dialogTemplate = LoadDialogTemplate(templateId);
        ASSERT_TRUE(dialogTemplate.has_value()) << "template " << templateId;
        for (const TextPair& pair : pairs)
            EXPECT_NE(dialogTemplate->Find(pair.controlId), nullptr)
                << "template " << templateId << ": key " << pair.key << " names control " << pair.controlId
                << ", which the template lacks";
    }
}

using Words = std::vector<std::string>;

std::string Num(double v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", v + 0.0); // + 0.0: no "-0"
    return text;
}
// A unit, a double and an int from a word.
const auto Unit = [](const std::string& w) {
    return w == "in" ? LengthUnit::Inches : LengthUnit::Millimetres;
};
const auto D = [](const std::string& w) { return std::stod(w); };
const auto I = [](const std::string& w) { return std::stoi(w); };

// Each function of the table: its arguments in, its results out as words.
const std::map<std::string, std::function<Words(const Words&)>> kFunctions = {
    {"FormatValue", [](const Words& a) { return Words{FormatValue(D(a[0]), Unit(a[1]))}; }},
    {"ParseValue", [](const Words& a) { return Words{Num(ParseValue(a[0], Unit(a[1])))}; }},
    {"StepValue",
     [](const Words& a) {
         bool clamped = false;
         const double v = StepValue(D(a[0]), I(a[1]), Unit(a[2]), clamped);
         return Words{Num(v), clamped ? "clamped" : "free"};
     }},
    {"Positions",
     [](const Words& a) {
         const SizeMm size{D(a[0]), D(a[1])};
         const PointMm l = DefaultLeftPosition(size), r = DefaultRightPosition(size);
         return Words{Num(l.x), Num(l.y), Num(r.x), Num(r.y)};
     }},
    {"FreeName",
     [](const Words& a) {
         FormatCatalogue catalogue;
         for (const std::string& name : a)
             catalogue.Append(MakeFormat(name));
         return Words{FreeNewFormatName(catalogue)};
     }},
    {"FitPreview",
     [](const Words& a) {
         const std::optional<PreviewRect> r = FitPreview(I(a[0]), I(a[1]), I(a[2]), I(a[3]));
         if (!r)
             return Words{"none"};
         return Words{std::to_string(r->x), std::to_string(r->y), std::to_string(r->width),
                      std::to_string(r->height)};
     }},
    {"PreviewType",
     [](const Words& a) {
         const std::map<int, std::string> names = {{kImageAny, "any"},
                                                   {kImageBmp, "bmp"},
                                                   {kImageGif, "gif"},
                                                   {kImageJpeg, "jpeg"},
                                                   {kImagePng, "png"}};
         const int type = PreviewTypeOf(a[0]);
         return Words{names.count(type) ? names.at(type) : std::to_string(type)};
     }},
    {"CountLine", [](const Words& a) { return Words{FormatCountLine(a[0], I(a[1]))}; }},
};

TEST(DialogValues, EveryLineOfTheTable)
{
    std::map<std::string, int> cases;
    for (const std::string& line : ReadDataLines(SLEEVIT_SOURCE_DIR "/tests/gui/data/dialog-values.txt")) {
        std::istringstream words(line);
        std::string name;
        words >> name;
        Words args, want;
        Words* into = &args;
        for (std::string word; words >> std::quoted(word);) {
            if (word == "=" && into == &args)
                into = &want;
            else
                into->push_back(word);
        }
        const auto function = kFunctions.find(name);
        if (function == kFunctions.end()) {
            ADD_FAILURE() << "no function called " << name;
            continue;
        }
        EXPECT_EQ(function->second(args), want) << line.substr(0, 120);
        ++cases[name];
    }
    EXPECT_EQ(cases.size(), kFunctions.size()) << "a function without cases";
}

using SplashScreenTest = GuiTest;

// The splash screen closes on its timer, or before it on a left click only; it has its
// picture's size, stands in the middle of the screen and shows the picture unscaled.
TEST_F(SplashScreenTest, ClosesOnItsTimerOrALeftClickCentredShowingItsPicture)
{
    QElapsedTimer clock;
    clock.start();
    {
        // Only watched: a screen still up after five seconds is closed as a failure.
        Answer<CSplashScreen> watch([](CSplashScreen&) {});
        CSplashScreen::Show(300);
    }
    // Qt's coarse timers may fire up to 5 % early.
    EXPECT_GE(clock.elapsed(), 285) << "closed too early";
    EXPECT_LT(clock.elapsed(), 4000) << "the timer did not close it";

    QRect place;
    bool upAfterOtherClicks = false;
    Answer<CSplashScreen> click([&](CSplashScreen& splash) {
        place = splash.geometry();
        QTest::mouseClick(&splash, Qt::RightButton, {}, QPoint(40, 40));
        QTest::mouseClick(&splash, Qt::MiddleButton, {}, QPoint(40, 40));
        upAfterOtherClicks = splash.isVisible();
        QTest::mouseClick(&splash, Qt::LeftButton, {}, QPoint(200, 100));
    });
    clock.restart();
    CSplashScreen::Show(60000);
    EXPECT_LT(clock.elapsed(), 7000) << "a splash screen with a minute to run ignored the left click";
    ASSERT_TRUE(click.answered);
    EXPECT_EQ(place.size(), QSize(430, 265)) << "have " << place.width() << " x " << place.height();
    const QPoint centre = QGuiApplication::primaryScreen()->geometry().center();
    EXPECT_LE((place.center() - centre).manhattanLength(), 2);
    EXPECT_TRUE(upAfterOtherClicks) << "a right or middle click closed the splash screen";

    // The picture is drawn at its own size from the top-left corner; without a picture
    // the window keeps its template size and stays white.
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

    ScratchFolder folder_;
    LanguageTable english_;
};

// The caption is the language's About entry as a label, then the version; the release
// notes are shown in a monospaced font from either encoding, or none.
TEST_F(AboutBoxTest, CaptionAndReleaseNotesFollowTheLanguageAndTheFile)
{
    const std::vector<std::string> lines = ReadDataLines(SLEEVIT_SOURCE_DIR "/tests/gui/data/about-box.txt");
    ASSERT_EQ(lines.size(), 5u);
    for (const std::string& line : lines) {
        SCOPED_TRACE(line);
        const std::vector<std::string> c = SplitFields(line, " | ", 5);
        const int index = std::stoi(c[0]);
        std::filesystem::remove(folder_.File("releasenotes.txt"));
        if (c[3] != "-")
            folder_.Write("releasenotes.txt", Unescaped(c[3]));
        LanguageTable language;
        language.UseBuiltInDefaults();
        // A folder without language files, so that selecting keeps the texts loaded from
        // the bytes.
        language.ScanLanguageFiles(folder_.Path());
        language.SetAvailable(index, true);
        ASSERT_TRUE(c[1] == "-" || language.LoadLanguageBytes(index, Unescaped(c[1])));
        language.SelectLanguage(index);
        CAboutDlg about(nullptr, language, folder_.Path());
        ASSERT_TRUE(about.Create());
        EXPECT_EQ(about.windowTitle().toStdString(), c[2]);
        auto* box = about.Form().ItemAs<QPlainTextEdit>(CAboutDlg::kIdReleaseNotes);
        EXPECT_EQ(box->toPlainText().toStdString(), Unescaped(c[4]));
        EXPECT_TRUE(QFontInfo(box->font()).fixedPitch()) << "not in a monospaced font";
    }
}

// Each link of the About and donation dialogs opens its own address on a click, never
// on a press dragged away, and is orange only while the mouse is over it.
TEST_F(AboutBoxTest, LinksOpenTheMakersAddresses)
{
    std::vector<std::string> opened;
    CHyperLink::Opener previous = CHyperLink::SetOpener([&opened](const QUrl& url) {
        opened.push_back(url.toString().toStdString());
        return true;
    });
    CAboutDlg about(nullptr, english_, folder_.Path());
    AppOptions options;
    CDonateDialog donate(nullptr, options);
    ASSERT_TRUE(about.Create() && donate.Create());
    about.show();
    donate.show();
    const std::tuple<CTemplateDialog*, int, std::string> cases[] = {
        {&about, CAboutDlg::kIdMailLink, "mailto:hello@sleevit.org"},
        {&about, CAboutDlg::kIdWebLink, "https://sleevit.org/"},
        {&donate, CDonateDialog::kIdDonateLink, "https://sleevit.org/donate"},
    };
    for (const auto& [dialog, id, want] : cases) {
        auto* link = dialog->Form().ItemAs<CHyperLink>(id);
        ASSERT_NE(link, nullptr) << want;
        QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
        QApplication::sendEvent(link, &enter);
        EXPECT_EQ(link->TextColour().rgb(), CHyperLink::kHoverColour) << want << " under the mouse";
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(link, &leave);
        EXPECT_EQ(link->TextColour().rgb(), CHyperLink::kNormalColour) << want << " left";

        opened.clear();
        QTest::mousePress(link, Qt::LeftButton, {}, QPoint(3, 3));
        QTest::mouseRelease(link, Qt::LeftButton, {}, QPoint(link->width() + 40, 3));
        QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(3, 3));
        EXPECT_EQ(opened, std::vector<std::string>{want});
    }
    CHyperLink::SetOpener(std::move(previous));
}

// The notes that ship: 8-bit text, CR LF after every line, at most 76 characters a
// line, and every line fits the box without being wrapped.
TEST_F(AboutBoxTest, ShippedReleaseNotesKeepTheirForm)
{
    const std::string dataFolder = std::string(SLEEVIT_SOURCE_DIR) + "/data";
    const std::string bytes = ReadBytes(dataFolder + "/releasenotes.txt");
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
