#pragma once

// The one QApplication of the window tests, made on first use and deleted when the last
// test has run. Without a display the tests run on Qt's offscreen platform unless
// QT_QPA_PLATFORM names another one.
#include <gtest/gtest.h>

#include <QApplication>
#include <QtGlobal>

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
