#pragma once

// The one QApplication of the window tests (made on first use, deleted after the last
// test; on Qt's offscreen platform unless QT_QPA_PLATFORM names another), a scratch
// folder and the ways of closing a dialog. The window tests reach into every kind of
// widget, so the whole of Qt's widget, printing and test modules is included here once.
#include <gtest/gtest.h>

#include "ScratchFolder.h"

#include <QtPrintSupport>
#include <QtTest>
#include <QtWidgets>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

inline QApplication& EnsureGuiApp()
{
    // Deleted by the test run's tear-down rather than at exit: by then Qt's own globals
    // made after it (those of the printer support, for one) are gone already, and its
    // clean-up would use them.
    class AppEnvironment : public ::testing::Environment {
    public:
        void TearDown() override
        {
            delete app;
            app = nullptr;
        }
        QApplication* app = nullptr;
    };
    static AppEnvironment* environment = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "test_gui";
        static char* argv[] = {name, nullptr};
        auto* e = new AppEnvironment;
        e->app = new QApplication(argc, argv);
        ::testing::AddGlobalTestEnvironment(e); // gtest owns it from here
        return e;
    }();
    return *environment->app;
}

// A test of the window's parts: the application is up.
struct GuiTest : ::testing::Test {
    GuiTest() { EnsureGuiApp(); }
};

// A file's path as Qt takes it.
inline QString QPath(const std::string& path)
{
    return QString::fromStdString(path);
}

// The ways a user closes a dialog of ours other than Cancel: its OK button (control 1),
// Escape and the close box.
struct CloseWay {
    const char* name;
    void (*close)(QDialog& dialog);
};
inline const CloseWay kCloseWays[] = {
    {"OK", [](QDialog& d) { d.findChild<QPushButton*>(QStringLiteral("c1"))->click(); }},
    {"Escape", [](QDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); }},
    {"close box", [](QDialog& d) { d.close(); }},
};
