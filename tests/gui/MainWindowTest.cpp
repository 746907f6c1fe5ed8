// The main window driven as a user drives it: start-up and shut-down, the command line,
// the enabling rules read from the real menu and buttons, loads, drops, rotation and New,
// the language menu, and its answers to what goes wrong. Most of it is written as the
// scripts of data/main-window.txt.
#include <cups/cups.h>
#include <gmock/gmock.h>

#include <sys/stat.h>
#include <unistd.h>

#include <sstream>

#include "DataLines.h"
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

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

// How the texts of a window look: dark or light, by the darkest pixel of its labels
// (taken from the window's own picture: a label with a see-through background grabbed
// alone would give see-through black), and whether its links are mostly blue.
std::string TextColours(QWidget& window)
{
    int darkest = 255, blue = 0;
    for (QLabel* label : window.findChildren<QLabel*>()) {
        if (label->text().isEmpty() || !label->isVisible())
            continue;
        const QImage picture =
            window.grab(QRect(label->mapTo(&window, QPoint(0, 0)), label->size())).toImage();
        const bool link = qobject_cast<CHyperLink*>(label) != nullptr;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x) {
                const QRgb p = picture.pixel(x, y);
                darkest = std::min(darkest, qGray(p));
                blue += link && qBlue(p) > qRed(p) + 80 && qBlue(p) > qGreen(p) + 80;
            }
    }
    return std::string(darkest < 100 ? "dark" : "light") + (blue > 10 ? ", blue links" : "");
}

// While alive, libcups asks a print server that never answers; a hang ends the test
// program (SIGALRM) instead of stalling the run.
struct SilentPrintServer {
    SilentPrintServer()
    {
        qputenv("CUPS_SERVER", QByteArray("127.0.0.1:") + QByteArray::number(server.Port()));
        cupsSetServer(nullptr); // libcups reads the variable again
        ::alarm(20);
    }
    ~SilentPrintServer()
    {
        ::alarm(0);
        before.isNull() ? qunsetenv("CUPS_SERVER") : qputenv("CUPS_SERVER", before);
        cupsSetServer(nullptr);
    }
    const QByteArray before = qgetenv("CUPS_SERVER");
    SilentServer server;
};

// A path as the scripts write it: in the run's folder, or "." for that folder.
std::string Relative(const ProgramRun& run, const std::string& path)
{
    return path == run.folder.Path() ? "." : Replaced(path, {{run.folder.File(""), ""}});
}

// What the scripts can see of the window and the program, by name (the header of
// data/main-window.txt lists them): the pictures, formats, texts and buttons of both
// sides, the switches, the usable commands, the menus, the skin and the language.
std::map<std::string, std::string> WindowState(ProgramRun& run)
{
    CTheView& view = run.View();
    std::map<std::string, std::string> state;
    const auto paper = [](CoverSide f) {
        return (f.format == CPaper::kNoFormat ? "none" : std::to_string(f.format)) +
               (f.side == Side::Left ? " left" : " right");
    };
    for (const bool right : {false, true}) {
        const SideState& side = right ? view.Right() : view.Left();
        const std::string name = right ? "right." : "left.";
        QWidget* button = view.Form().Item(right ? kPrintRightButton : kPrintLeftButton);
        state[name + "image"] = side.image->IsValid() ? std::to_string(side.image->GetWidth()) + " " +
                                                            std::to_string(side.image->GetHeight())
                                : side.paper->Image() ? "none, but shown"
                                                      : "none";
        state[name + "format"] =
            std::to_string(side.formatIndex) + ", list " +
            std::to_string(view.Form().CurrentIndex(right ? kRightSelector : kLeftSelector)) + ", paper " +
            paper(side.paper->Format());
        state[name + "tray"] = std::to_string(side.paper->IsCdTray());
        state[name + "status"] = run.Text(right ? kRightStatus : kLeftStatus);
        state[name + "recent"] =
            Relative(run, right ? run.Options().recentFileRight : run.Options().recentFileLeft);
        state[name + "button"] = button->isEnabled() ? "on" : "off";
        state[name + "tip"] = button->toolTip().toStdString();
        state[name + "papertip"] = side.paper->toolTip().toStdString();
        state[name + "file"] = side.fileName;
    }
    state["single"] =
        std::to_string(view.PrintOnSinglePage()) + ", box " +
        std::to_string(view.Form().Checked(kSinglePageBox)) + ", left paper " +
        std::to_string(view.Left().paper->SinglePage()) +
        (view.Left().paper->SinglePage() ? " with " + paper(view.Left().paper->OtherFormat()) : "");
    state["cutlines"] = std::to_string(view.DrawCutAndFoldLines()) + ", box " +
                        std::to_string(view.Form().Checked(kCutLinesBox));
    // What a user finds usable: the enabled command entries of the opened menus, then the
    // enabled print buttons.
    CMainFrame* frame = run.app->MainFrame();
    CMainMenu* menu = frame->Menu();
    for (const int key : {kMenuFile, kMenuOptions, kMenuRotate, kMenuHelp, kMenuLanguage, kMenuSkins})
        menu->UpdateStates(menu->Popup(key));
    const std::pair<int, const char*> entries[] = {
        {kCmdRotateLeft, "rotateLeft"}, {kCmdRotateRight, "rotateRight"}, {kCmdPrintLeft, "printLeft"},
        {kCmdPrintRight, "printRight"}, {kCmdPrintBoth, "printBoth"},     {kCmdPrintPreview, "preview"},
        {kCmdOptions, "options"},       {kCmdFormatEditor, "editor"},     {kCmdOnlineHelp, "help"},
    };
    for (const auto& [id, name] : entries)
        if (menu->Action(id)->isEnabled())
            state["usable"] += std::string(name) + " ";
    state["usable"] += "| buttons:";
    const std::pair<int, const char*> buttons[] = {
        {kPrintLeftButton, "left"}, {kPrintRightButton, "right"}, {kPrintBothButton, "both"}};
    for (const auto& [id, name] : buttons)
        if (view.Form().Item(id)->isEnabled())
            state["usable"] += std::string(" ") + name;
    state["both"] = view.Form().Item(kPrintBothButton)->isEnabled() ? "on" : "off";
    state["batch"] = "";
    for (const std::string& file : view.BatchFiles())
        state["batch"] += (state["batch"].empty() ? "" : " ") + Relative(run, file);
    state["splashes"] = std::to_string(run.splashes);
    state["window"] = frame->isVisible() ? "shown" : "hidden";
    state["title"] = frame->windowTitle().toStdString();
    state["size"] = std::to_string(frame->width()) + " x " + std::to_string(view.height()) +
                    (frame->minimumSize() == frame->maximumSize() ? " fixed" : " resizable");
    state["language"] = std::to_string(view.Language().CurrentLanguage());
    state["texts"] =
        run.Text(kPrintLeftButton) + " / " + run.Text(kPrintRightButton) + " / " + run.Text(kPrintBothButton);
    state["filemenu"] = CMainMenu::RawText(menu->Popup(kMenuFile)->menuAction());
    state["qtcancel"] = QCoreApplication::translate("QPlatformTheme", "Cancel").toStdString();
    for (const QAction* entry : menu->Popup(kMenuSkins)->actions())
        state["skinmenu"] += (state["skinmenu"].empty() ? "" : ", ") +
                             (entry->isSeparator() ? "-" : CMainMenu::RawText(entry)) +
                             (entry->isChecked() ? "*" : "") + (entry->isEnabled() ? "" : " (off)");
    state["skin"] = std::to_string(view.Skins().SelectedSkin());
    state["lists"] = std::to_string(view.Form().ItemAs<QComboBox>(kLeftSelector)->count()) + " " +
                     std::to_string(view.Form().ItemAs<QComboBox>(kRightSelector)->count());
    state["skinpicture"] = std::to_string(view.Skins().State().mainPicture.GetWidth());
    // Away from the papers, the logo and the controls: the middle of the bottom edge.
    const QImage picture = view.grab().toImage();
    state["background"] = picture.pixelColor(picture.width() / 2, picture.height() - 4).name().toStdString();
    for (const MenuRow& row : kMainMenu) {
        const QAction* entry = row.language >= 0 ? menu->Action(row.id) : nullptr;
        if (entry && entry->isEnabled())
            state["languages"] += (state["languages"].empty() ? "" : " ") + std::to_string(row.language) +
                                  (entry->isChecked() ? "*" : "");
    }
    state["lastused"] = Relative(run, run.settings->ReadText(Setting::LastUsedPath));
    state["loadtimer"] = view.TimerRunning(2) ? "running" : "stopped";
    state["printer"] = view.PrintCycle().PrinterMade() ? "made" : "not made";
    // The brightest pixel of the left status line's text.
    const QImage status = picture.copy(view.Form().Item(kLeftStatus)->geometry());
    int brightest = 0;
    for (int y = 0; y < status.height(); ++y)
        for (int x = 0; x < status.width(); ++x)
            brightest = std::max(brightest, qGray(status.pixel(x, y)));
    state["statustext"] = std::abs(brightest - 0xC0) <= 8 ? "light grey" : std::to_string(brightest);
    // The skin's discs leave the left paper's cut lines free: the overlay is drawn in the
    // paper's own pixels right of the sheet, the main picture's disc (four columns in)
    // starts right of the paper.
    const QRect paperBox = view.Left().paper->geometry();
    state["skindisc"] = view.Skins().ForPaper(true).overlayPosition.x >= paperBox.width() &&
                                view.Skins().State().mainPosition.x + 4 > paperBox.right()
                            ? "clear"
                            : "over the paper";
    return state;
}

// Runs the scripts of data/main-window.txt: each a program run of its own.
TEST(WindowScript, RunsTheScriptsOfUserSteps)
{
    // clang-format off
    const std::map<std::string, int> commands = {
        {"New", kCmdNew}, {"RotateLeft", kCmdRotateLeft}, {"RotateRight", kCmdRotateRight},
        {"PrintLeft", kCmdPrintLeft}, {"PrintRight", kCmdPrintRight}, {"Options", kCmdOptions},
        {"PrintPreview", kCmdPrintPreview}, {"Donate", kCmdDonate}, {"FirstSkinFolder", kCmdFirstSkinFolder},
        {"SkinDefault", kCmdSkinDefault}, {"SkinAlternative", kCmdSkinAlternative}, {"LoadRight", kCmdLoadRight},
        {"About", kCmdAbout},
    };
    const std::map<std::string, int> controls = {
        {"SinglePageLabel", kSinglePageLabel}, {"SinglePageBox", kSinglePageBox}, {"CutLinesLabel", kCutLinesLabel},
    };
    // clang-format on
    const auto setting = [](const std::string& name) {
        for (int i = 0; i < SettingCount(); ++i)
            if ((std::string(DefinitionAt(i).name) + " ").starts_with(name + " "))
                return DefinitionAt(i).id;
        ADD_FAILURE() << "no setting called " << name;
        return Setting::Language;
    };
    std::unique_ptr<ProgramRun> run;
    std::unique_ptr<MessageBoxes> boxes; // every message box of the run, until checked
    std::unique_ptr<SilentPrintServer> silent;
    std::string title;
    const auto step = [&](const std::string& op, const std::string& a, const std::string& rest) {
        std::istringstream words(rest);
        std::string name, file;
        int w = 0, h = 0;
        const Side side = a == "right" ? Side::Right : Side::Left;
        if (op == "start") {
            run->Start();
        } else if (op == "close") {
            run->Close();
        } else if (op == "set") {
            run->settings->WriteInt(setting(a), std::stoi(rest));
        } else if (op == "settext") {
            run->settings->WriteText(setting(a), run->folder.File(rest));
        } else if (op == "reread") {
            const AppSettings saved = run->Reread();
            EXPECT_EQ(DefinitionOf(setting(a)).isText ? Relative(*run, saved.ReadText(setting(a)))
                                                      : std::to_string(saved.ReadInt(setting(a))),
                      rest);
        } else if (op == "remove") {
            std::filesystem::remove_all(run->folder.File(a));
        } else if (op == "shipped") {
            run->CopyLanguage(a);
        } else if (op == "dialog") {
            // dialog COMMAND TITLE [BUTTON]: the dialog opened over the window, with the
            // text of its Close button if it has one.
            EXPECT_TRUE(run->LookAtModal(commands.at(a), [&](QWidget& modal) {
                const auto* close = modal.findChild<QPushButton*>(QStringLiteral("close"));
                EXPECT_EQ(modal.windowTitle().toStdString() +
                              (close ? " [" + close->text().toStdString() + "]" : ""),
                          rest);
                EXPECT_EQ(modal.parentWidget() ? modal.parentWidget()->window() : nullptr,
                          run->app->MainFrame())
                    << rest << ": opened over the main window";
            }));
        } else if (op == "begin") {
            run->Start(false); // the start-up timer not yet run
        } else if (op == "files") {
            std::vector<std::string> files = {run->folder.File(a)};
            while (words >> name)
                files.push_back(run->folder.File(name));
            run->View().SetStartFiles(files);
        } else if (op == "wait") {
            // For the start-up timer's first tick; "wait cancel" cancels the batch dialog.
            Answer<CBatchPrintingDialog> cancel([](CBatchPrintingDialog& dialog) {
                dialog.Form().ItemAs<QAbstractButton>(kIdCancel)->click();
            });
            EXPECT_TRUE(ProgramRun::WaitFor(
                [&] { return !run->View().TimerRunning(1) && (a != "cancel" || cancel.answered); }));
            EXPECT_EQ(cancel.answered, a == "cancel");
        } else if (op == "write") {
            run->folder.Write(a, Unescaped(rest));
        } else if (op == "picture" && words >> h >> std::ws && std::getline(words, name)) {
            run->Picture(name, std::stoi(a), h);
        } else if (op == "load" && words >> name >> w >> h) {
            run->Load(side, name, w, h, rest.ends_with(" blue") ? kBlue : kRed);
        } else if (op == "pick") {
            // pick SIDE FILE: the side's Load command, its file dialog given the file's
            // whole path as a user may type it.
            Answer<CExtendedFileDialog> pick([&](CExtendedFileDialog& dialog) {
                dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
                    ->setText(QPath(run->folder.File(rest)));
                dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"))
                    ->button(QDialogButtonBox::Open)
                    ->click();
            });
            EXPECT_TRUE(run->View().Commands().Execute(side == Side::Left ? kCmdLoadLeft : kCmdLoadRight));
            EXPECT_TRUE(pick.answered);
        } else if (op == "loaded") {
            EXPECT_TRUE(ProgramRun::WaitFor([&] { return run->View().Left().image->IsValid(); }));
        } else if (op == "open") {
            run->View().LoadCover(side, run->folder.File(rest));
        } else if (op == "shortened") {
            // shortened SIDE END: the status line shows "..." and the name's end, fitting whole.
            auto* status = run->View().Form().ItemAs<QLabel>(side == Side::Left ? kLeftStatus : kRightStatus);
            EXPECT_THAT(status->text().toStdString(),
                        ::testing::AllOf(::testing::StartsWith("..."), ::testing::EndsWith(rest)));
            EXPECT_LE(status->fontMetrics().horizontalAdvance(status->text()), status->contentsRect().width())
                << "the shortened name fits whole, its last letter included";
        } else if (op == "unreadable") {
            // The load is refused with a message naming the file and the decoder's reason.
            const std::string path = run->folder.File(rest);
            run->View().LoadCover(side, path);
            CRasterImage probe;
            EXPECT_FALSE(probe.Load(path, ImageTypeFromPath(path)));
            EXPECT_THAT(std::exchange(boxes->texts, {}),
                        ElementsAre(std::string(DefaultText(kTextLoadFailed)) + "\n\n" + path + "\n\n" +
                                    probe.GetLastError()));
        } else if (op == "junk") {
            // junk N: the user's catalogue, the shipped one followed by N lines of nonsense.
            std::string user = ReadBytes(SLEEVIT_SOURCE_DIR "/data/Sleevit.dat") + "\r\n[Junk]\r\n";
            for (int i = 0; i < std::stoi(a); ++i)
                user += "NONSENSE" + std::to_string(i) + " = 1\r\n";
            run->folder.Write("home/sleevit/Sleevit.dat", user);
        } else if (op == "fifo") {
            EXPECT_EQ(mkfifo(run->folder.File(a).c_str(), 0600), 0);
        } else if (op == "cut" && words >> name >> std::ws && std::getline(words, file)) {
            // cut PERCENT SOURCE FILE: the first part of a file of the sources.
            const std::string bytes = ReadBytes(std::string(SLEEVIT_SOURCE_DIR "/") + name);
            run->folder.Write(file, bytes.substr(0, bytes.size() * std::stoul(a) / 100));
        } else if (op == "drop") {
            QStringList files;
            while (words >> name)
                files << QPath(run->folder.File(name));
            (side == Side::Left ? run->View().Left() : run->View().Right()).paper->HandleDrop(files);
        } else if (op == "option") {
            const std::map<std::string, int AppOptions::*> options = {
                {"batchMode", &AppOptions::batchMode},
                {"autoload2ndImage", &AppOptions::autoload2ndImage},
                {"autoDetectFormat", &AppOptions::autoDetectFormat},
                {"autoRotate", &AppOptions::autoRotate},
                {"maskPrintJobName", &AppOptions::maskPrintJobName},
                {"nrCoversPrinted", &AppOptions::nrCoversPrinted}};
            run->Options().*options.at(a) = std::stoi(rest);
        } else if (op == "jobname") {
            run->Options().printJobName = a + (rest.empty() ? "" : " " + rest);
        } else if (op == "move") {
            run->app->MainFrame()->move(std::stoi(a), std::stoi(rest));
        } else if (op == "remove-format") {
            // The format editor opened from the menu: row N removed, then OK.
            Answer<CFormatEditDialog> edit([&](CFormatEditDialog& editor) {
                editor.Form().ItemAs<QListWidget>(FormatEditIds::kList)->setCurrentRow(std::stoi(a));
                editor.Form().ItemAs<QPushButton>(FormatEditIds::kRemove)->click();
                editor.Form().ItemAs<QPushButton>(kIdOk)->click();
            });
            EXPECT_TRUE(run->View().Commands().Execute(kCmdFormatEditor));
            EXPECT_TRUE(edit.answered);
        } else if (op == "setrecent") {
            (side == Side::Left ? run->Options().recentFileLeft : run->Options().recentFileRight) = rest;
        } else if (op == "exec" || op == "refused") {
            const int id =
                a.starts_with("Language") ? LanguageCommand(std::stoi(a.substr(8))) : commands.at(a);
            EXPECT_EQ(run->View().Commands().Execute(id), op == "exec");
        } else if (op == "colours") {
            // colours COMMAND|box LOOK: the texts of a dialog over the view, or of a message box.
            if (a != "box") {
                EXPECT_TRUE(run->LookAtModal(commands.at(a),
                                             [&](QWidget& modal) { EXPECT_EQ(TextColours(modal), rest); }));
            } else {
                QMessageBox box(QMessageBox::Warning, QStringLiteral("Sleevit"),
                                QStringLiteral("Could not save."), QMessageBox::Ok, &run->View());
                box.show();
                EXPECT_EQ(TextColours(box), rest);
            }
        } else if (op == "silent") {
            silent = std::make_unique<SilentPrintServer>();
        } else if (op == "makeprinter") {
            run->View().PrintCycle().Printer();
        } else if (op == "key") {
            QTest::keySequence(run->app->MainFrame(), QKeySequence(QString::fromStdString(a)));
        } else if (op == "click") {
            QTest::mouseClick(run->View().Form().Item(controls.at(a)), Qt::LeftButton);
        } else if (op == "choose") {
            run->ChooseFormat(side, std::stoi(rest));
        } else if (op == "boxes") {
            const std::vector<std::string> seen = std::exchange(boxes->texts, {});
            EXPECT_EQ(seen.size(), std::size_t(std::stoi(a)));
            for (const std::string& part : SplitFields(rest, " | ")) {
                if (part.starts_with('!'))
                    EXPECT_THAT(seen, ::testing::Each(Not(HasSubstr(Unescaped(part.substr(1))))));
                else
                    EXPECT_THAT(seen, ::testing::Each(HasSubstr(Unescaped(part))));
            }
        } else {
            // A name of what the window shows, and its value.
            ASSERT_TRUE(run->app) << "no window to look at";
            const auto state = WindowState(*run);
            ASSERT_TRUE(state.count(op)) << "no step called " << op;
            EXPECT_EQ(state.at(op), a + (rest.empty() ? "" : " " + rest));
        }
    };
    int scripts = 0;
    for (const std::string& line : ReadDataLines(SLEEVIT_SOURCE_DIR "/tests/gui/data/main-window.txt")) {
        if (line.starts_with("== ")) {
            EXPECT_TRUE(!boxes || boxes->texts.empty()) << title << ": message boxes nobody expected";
            run.reset();
            silent.reset();
            run = std::make_unique<ProgramRun>();
            boxes = std::make_unique<MessageBoxes>();
            title = line.substr(3);
            ++scripts;
            continue;
        }
        for (const std::string& text : SplitFields(line, "; ")) {
            SCOPED_TRACE(title + ": " + text);
            std::istringstream in(text);
            std::string op, a, rest;
            in >> op >> a;
            std::getline(in >> std::ws, rest);
            step(op, a, rest);
        }
    }
    EXPECT_TRUE(boxes->texts.empty()) << title << ": message boxes nobody expected";
    EXPECT_EQ(scripts, 17);
}

} // namespace
