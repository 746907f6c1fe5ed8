#pragma once

// Saves a picture of a window for the documentation when SLEEVIT_SCREENSHOT_DIR names a
// folder; does nothing otherwise.
#include <QDir>
#include <QPixmap>
#include <QString>
#include <QWidget>
#include <QtGlobal>

inline void SaveDialogScreenshot(QWidget& window, const char* name)
{
    const QString folder = qEnvironmentVariable("SLEEVIT_SCREENSHOT_DIR");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    window.grab().save(folder + QLatin1Char('/') + QString::fromLatin1(name) + QStringLiteral(".png"));
}

// The whole screen, the window manager's frames included, once the window system has
// drawn what is open: a dialog over the main window it belongs to.
#include <QGuiApplication>
#include <QScreen>
#include <QTest>

inline void SaveScreenScreenshot(const char* name)
{
    const QString folder = qEnvironmentVariable("SLEEVIT_SCREENSHOT_DIR");
    QScreen* screen = QGuiApplication::primaryScreen();
    if (folder.isEmpty() || screen == nullptr)
        return;
    QTest::qWait(700);
    QDir().mkpath(folder);
    screen->grabWindow(0).save(folder + QLatin1Char('/') + QString::fromLatin1(name) +
                               QStringLiteral(".png"));
}
