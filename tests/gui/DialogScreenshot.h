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
