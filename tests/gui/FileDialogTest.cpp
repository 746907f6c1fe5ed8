// The image open dialog: its preview panel and painting, the preview switch, its folder,
// filters and texts, and the whole round of picking files.
#include <map>

#include <sys/stat.h>

#include "DataLines.h"
#include "app/AppSettings.h"
#include "app/DialogTextSource.h"
#include "dialogs/ExtendedFileDialog.h"
#include "dialogs/Preview.h"
#include "gui/PrintTestSupport.h"
#include "images/BmpBuilder.h"
#include "surfaces/RasterSurface.h"

namespace {

// A red 24-bit bitmap, padded with zero bytes to padTo bytes when that is longer than the
// picture itself.
std::string RedBmp(int width, int height, std::size_t padTo = 0)
{
    const testbmp::Bytes bytes = testbmp::Make(width, height, 24, [](int, int) { return 0xFF0000u; });
    std::string file(bytes.begin(), bytes.end());
    file.resize(std::max(file.size(), padTo), '\0');
    return file;
}

// The panel's resolution, colour depth and file size.
std::string PanelTexts(CExtendedFileDialog& dialog)
{
    CTemplateForm& form = dialog.Panel().Form();
    return form.Text(CPreviewPanel::kIdResolution) + " | " + form.Text(CPreviewPanel::kIdColourDepth) +
           " | " + form.Text(CPreviewPanel::kIdFileSize);
}

class FileDialogTest : public GuiTest {
protected:
    void TearDown() override { SetDialogTextSource({}); }
    ScratchFolder folder;
    ScratchFolder settingsFolder;
    AppSettings settings{settingsFolder.File("settings.ini")};
};

// Frame, white field and picture, pixel by pixel, for an upright, a wide and no picture.
TEST(PreviewPainting, FramesTheFieldAndPlacesThePicture)
{
    int cases = 0;
    for (const std::string& line : ReadDataLines(SLEEVIT_SOURCE_DIR "/tests/gui/data/preview-pixels.txt")) {
        std::istringstream in(line);
        std::string kind;
        int w = 0, h = 0, width = 0, height = 0;
        SurfaceRect red{};
        in >> kind >> w >> h >> width >> height >> red.left >> red.top >> red.right >> red.bottom;
        if (kind != "paint")
            continue;
        ++cases;
        CRasterImage image;
        if (w > 0) {
            const std::string bytes = RedBmp(w, h);
            ASSERT_TRUE(image.LoadMemory(bytes.data(), bytes.size(), kImageBmp)) << image.GetLastError();
        }
        CRasterSurface surface(width, height, 0x123456);
        PaintPreview(surface, image);
        int wrong = 0;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const bool frame = x == 0 || y == 0 || x == width - 1 || y == height - 1;
                const bool inPicture = x >= red.left && x < red.right && y >= red.top && y < red.bottom;
                const SurfaceColour want = frame ? kColourBlack : inPicture ? kRed : kColourWhite;
                const SurfaceColour have = surface.GetPixel(x, y);
                if (have != want && ++wrong <= 5)
                    ADD_FAILURE() << line << ": pixel (" << x << ", " << y << ") have " << std::hex << have
                                  << ", want " << want;
            }
        }
        EXPECT_EQ(wrong, 0) << line << ": wrong pixels in all";
    }
    EXPECT_EQ(cases, 3);
}

TEST_F(FileDialogTest, PanelDescribesTheFileAndKeepsThePictureOnFailures)
{
    folder.Write("broken.png", std::string(3000, 'x'));
    folder.Write("upright.BMP", RedBmp(6, 9, 3000));
    folder.Write("scan.tif", std::string(5000, 'I'));
    folder.Write("broken.jpg", std::string(4100, '\x01'));
    folder.Write("wide.bmp", RedBmp(9, 6, 2047));
    QDir(QPath(folder.Path())).mkdir(QStringLiteral("covers.bmp"));
    ASSERT_EQ(::mkfifo(folder.File("pipe.bmp").c_str(), 0600), 0);
    for (const int bytes : {1023, 1024, 2048, 10 * 1024 + 1023})
        folder.Write("size" + std::to_string(bytes) + ".bmp", RedBmp(4, 4, std::size_t(bytes)));

    auto dialog = std::make_unique<CExtendedFileDialog>(false, settings);
    const std::vector<std::string> lines = ReadDataLines(SLEEVIT_SOURCE_DIR "/tests/gui/data/file-panel.txt");
    ASSERT_EQ(lines.size(), 22u);
    for (const std::string& line : lines) {
        const std::vector<std::string> step = SplitFields(line, "; ", 3);
        if (step[0] == "box") {
            dialog->Panel().Form().ItemAs<QCheckBox>(CPreviewPanel::kIdShowPreview)->click();
        } else if (step[0] == "reopen") {
            dialog.reset(); // the dialog going stores the box
            dialog = std::make_unique<CExtendedFileDialog>(false, settings);
        } else {
            dialog->OnSelectionChange(step[0] == "-" ? QString() : QPath(folder.File(step[0])));
        }
        EXPECT_EQ(PanelTexts(*dialog), step[1]) << line;
        int width = 0, height = 0;
        const bool shown = dialog->Preview()->GetDimensions(width, height);
        EXPECT_EQ(shown ? width : 0, std::stoi(step[2])) << "picture on show: " << line;
    }
}

TEST_F(FileDialogTest, FiltersShowTheirNamesInTheLanguageAndListFilesInAnyCase)
{
    for (const char* name : {"B.BMP", "c.TIF", "d.Jpeg", "notes.txt", "noextension"})
        folder.Write(name, "x");
    folder.Write("a.bmp", RedBmp(60, 90, 1500));
    settings.WriteText(Setting::LastUsedPath, folder.Path());
    CExtendedFileDialog dialog(false, settings);
    dialog.show();

    auto* combo = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    ASSERT_NE(combo, nullptr);
    const std::vector<std::string> wantNames = {
        "All Supported Graphic Formats",  "CompuServe Graphics Interchange (*.gif)",
        "JPEG (*.jpg; *.jpeg)",           "Portable Network Graphics (*.png)",
        "Windows or OS/2 Bitmap (*.bmp)", "All Files (*.*)",
    };
    std::vector<std::string> items;
    for (int i = 0; i < combo->count(); ++i)
        items.push_back(combo->itemText(i).toStdString());
    EXPECT_EQ(items, wantNames);
    EXPECT_EQ(combo->currentIndex(), 0);

    auto* list = dialog.findChild<QAbstractItemView*>(QStringLiteral("listView"));
    ASSERT_NE(list, nullptr);
    auto shown = [&] {
        std::vector<std::string> names;
        const QModelIndex root = list->rootIndex();
        for (int row = 0; row < list->model()->rowCount(root); ++row)
            names.push_back(list->model()->index(row, 0, root).data().toString().toStdString());
        std::sort(names.begin(), names.end());
        return names;
    };
    const std::vector<std::string> wantSupported = {"B.BMP", "a.bmp", "c.TIF", "d.Jpeg"};
    EXPECT_TRUE(QTest::qWaitFor([&] { return shown() == wantSupported; }, 5000))
        << "first filter shows " << ::testing::PrintToString(shown());
    // The current file of the list reaches the panel through the dialog's own signal.
    const QModelIndex root = list->rootIndex();
    for (int row = 0; row < list->model()->rowCount(root); ++row)
        if (list->model()->index(row, 0, root).data().toString() == QLatin1String("a.bmp"))
            list->setCurrentIndex(list->model()->index(row, 0, root));
    EXPECT_TRUE(QTest::qWaitFor([&] { return PanelTexts(dialog).starts_with(": 60 x 90 pixels |"); }, 5000))
        << "panel shows " << PanelTexts(dialog);
    dialog.selectNameFilter(dialog.nameFilters().back());
    const std::vector<std::string> wantAll = {"B.BMP",  "a.bmp",       "c.TIF",
                                              "d.Jpeg", "noextension", "notes.txt"};
    EXPECT_TRUE(QTest::qWaitFor([&] { return shown() == wantAll; }, 5000))
        << "All Files shows " << ::testing::PrintToString(shown());
    dialog.reject();

    // With a language, the title and the filter names are its texts; the English ones
    // are handed to it as the defaults.
    std::map<int, std::string> defaults;
    SetDialogTextSource({[](int key) { return "T" + std::to_string(key); },
                         [&](int key, const std::string& text) { defaults[key] = text; }});
    CExtendedFileDialog translated(false, settings);
    EXPECT_EQ(translated.windowTitle().toStdString(), "T5000");
    const QStringList filters = translated.nameFilters();
    ASSERT_EQ(filters.size(), 6);
    EXPECT_TRUE(filters.front().startsWith(QStringLiteral("T5006 ("))) << filters.front().toStdString();
    EXPECT_TRUE(filters.back().startsWith(QStringLiteral("T5007 (*.*) ("))) << filters.back().toStdString();
    const std::map<int, std::string> wantDefaults = {{5000, "Select the image you want to use for the cover"},
                                                     {5006, wantNames.front()},
                                                     {5007, "All Files"}};
    EXPECT_EQ(defaults, wantDefaults);
}

// The whole round: the user picks files in the running dialog and the caller gets them,
// or cancels with Escape in the preview panel (a dialog of its own inside the file
// dialog: Escape there must cancel the file dialog, not hide the panel).
TEST_F(FileDialogTest, ChooseImageFilesReturnsThePickOrNothing)
{
    folder.Write("one.bmp", RedBmp(6, 9));
    folder.Write("two.bmp", RedBmp(9, 6));
    settings.WriteText(Setting::LastUsedPath, folder.Path());
    // What is typed (nothing: Escape in the panel) and the paths the caller gets; the
    // first pick allows one file only.
    const std::pair<QString, std::vector<std::string>> cases[] = {
        {QStringLiteral("one.bmp"), {folder.File("one.bmp")}},
        {QStringLiteral("\"two.bmp\" \"one.bmp\""), {folder.File("two.bmp"), folder.File("one.bmp")}},
        {QString(), {}},
    };
    for (const auto& [typed, want] : cases) {
        const bool multiple = &want != &cases[0].second;
        Answer<CExtendedFileDialog> pick([&](CExtendedFileDialog& dialog) {
            // It opens in the last folder, in the mode asked.
            EXPECT_EQ(QDir(dialog.directory()).canonicalPath(), QDir(QPath(folder.Path())).canonicalPath());
            EXPECT_EQ(dialog.fileMode(), multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
            EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptOpen);
            if (typed.isEmpty()) {
                dialog.OnSelectionChange(QPath(folder.File("one.bmp")));
                auto* box = dialog.Panel().Form().ItemAs<QCheckBox>(CPreviewPanel::kIdShowPreview);
                box->setFocus();
                QTest::keyClick(box, Qt::Key_Escape);
                EXPECT_FALSE(dialog.isVisible());
                EXPECT_TRUE(dialog.Panel().isVisibleTo(&dialog)) << "Escape hid the panel, not the dialog";
                return;
            }
            auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            auto* buttons = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
            ASSERT_TRUE(edit != nullptr && buttons != nullptr);
            edit->setText(typed);
            buttons->button(QDialogButtonBox::Open)->click();
        });
        const std::vector<std::string> have = ChooseImageFiles(nullptr, multiple, settings);
        EXPECT_TRUE(pick.answered) << typed.toStdString();
        EXPECT_EQ(have, want) << typed.toStdString();
    }
}

} // namespace
