#pragma once

// A whole program run for the window tests: a data folder with the shipped catalogue, a
// settings file of its own, the application started with its window on the offscreen
// platform, and ways to wait for its timers.
#include "app/AppSettings.h"
#include "gui/PrintTestSupport.h"
#include "program/MainFrame.h"
#include "program/SleevitApp.h"
#include "view/TheView.h"

class ProgramRun {
public:
    ProgramRun()
    {
        EnsureGuiApp();
        namespace fs = std::filesystem;
        fs::copy_file(std::string(SLEEVIT_SOURCE_DIR) + "/data/Sleevit.dat", folder.File("Sleevit.dat"));
        // The user's own catalogue copy must not come from the real home folder.
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(folder.File("home")));
        settings = std::make_unique<AppSettings>(folder.File("settings.ini"));
        // The three-second splash only where a test asks for it.
        settings->WriteInt(Setting::ShowSplash, 0);
    }
    ~ProgramRun() { Close(); }

    // Starts the program; waits for the start-up timer's first tick when asked.
    void Start(bool waitForStartup = true)
    {
        app = std::make_unique<CSleevitApp>(*settings, folder.Path());
        app->showSplash = [this] { ++splashes; };
        ASSERT_TRUE(app->InitInstance(true));
        if (waitForStartup) {
            WaitFor([this] { return !View().TimerRunning(1); });
        }
    }
    // Closes the window as the close box does, then ends the run.
    void Close()
    {
        if (app && app->MainFrame()) {
            app->MainFrame()->close();
            app->ExitInstance();
        }
        app.reset();
    }

    CTheView& View() { return *app->View(); }
    AppOptions& Options() { return app->Options(); }
    std::string Text(int id) { return View().Form().Text(id); } // of a label, button or field
    // The settings file as the program left it.
    AppSettings Reread() const { return AppSettings(folder.File("settings.ini")); }

    // Picks a format in a side's list as the user does.
    void ChooseFormat(Side side, int format)
    {
        auto* list = View().Form().ItemAs<QComboBox>(side == Side::Left ? kLeftSelector : kRightSelector);
        list->setCurrentIndex(format);
        emit list->activated(format);
    }
    // A shipped language file in the run's languages folder.
    void CopyLanguage(const std::string& fileName) const
    {
        std::filesystem::create_directories(folder.File("languages"));
        std::filesystem::copy_file(std::string(SLEEVIT_SOURCE_DIR "/data/languages/") + fileName,
                                   folder.File("languages/" + fileName));
    }
    // A picture file of one colour in the run's folder; its path.
    std::string Picture(const std::string& name, int w, int h, SurfaceColour colour = kRed) const
    {
        EXPECT_TRUE(WritePngFile(folder.File(name), w, h, colour)) << name;
        return folder.File(name);
    }
    // The same, loaded onto one side.
    std::string Load(Side side, const std::string& name, int w, int h, SurfaceColour colour = kRed)
    {
        const std::string path = Picture(name, w, h, colour);
        View().LoadCover(side, path);
        return path;
    }

    // Runs a command that opens a modal window, hands that window to look, then closes it
    // with Escape; false when none came up.
    bool LookAtModal(int command, const std::function<void(QWidget&)>& look)
    {
        bool seen = false;
        auto answer = AnswerModal(
            [&](QWidget* modal) {
                look(*modal);
                QTest::keyClick(modal, Qt::Key_Escape);
                return true;
            },
            &seen);
        return View().Commands().Execute(command) && seen;
    }

    template <class Done> static bool WaitFor(Done done, int milliseconds = 5000)
    {
        QElapsedTimer clock;
        clock.start();
        while (!done()) {
            if (clock.elapsed() > milliseconds) {
                return false;
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        return true;
    }

    // A folder of the run's own: the program's data, the settings, test pictures.
    ScratchFolder folder;
    std::unique_ptr<AppSettings> settings;
    std::unique_ptr<CSleevitApp> app;
    int splashes = 0;
};
