// The window program: start-up, the event loop, shut-down.
#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <QStringList>

#include <cstdio>
#include <string>
#include <vector>

#include "app/AppSettings.h"
#include "app/ProgramFolder.h"
#include "program/SleevitApp.h"
#include "view/TheView.h"

namespace {

// The pictures named on the command line (sleevit FILE [FILE]...), as absolute paths.
// Qt has taken its own options out already; "--" ends the options.
std::vector<std::string> PicturesOfCommandLine(const QStringList& arguments)
{
    std::vector<std::string> files;
    bool options = true;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (options && a == QStringLiteral("--")) {
            options = false;
        } else if (options && a.startsWith(QLatin1Char('-'))) {
            std::fprintf(stderr, "sleevit: unknown option '%s' ignored\n", a.toLocal8Bit().constData());
        } else {
            // A picture that cannot be read leaves its paper empty; the shell user is told why.
            const QFileInfo file(a);
            if (!file.isFile() || !file.isReadable()) {
                std::fprintf(stderr, "sleevit: cannot read '%s': %s\n", a.toLocal8Bit().constData(),
                             file.exists() ? "not a readable file" : "no such file");
            }
            files.push_back(file.absoluteFilePath().toStdString());
        }
    }
    return files;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Tessaly"));
    QApplication::setApplicationName(QStringLiteral("Sleevit"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/desktop/sleevit.png")));
    const std::vector<std::string> files = PicturesOfCommandLine(QApplication::arguments());
    AppSettings settings;
    CSleevitApp sleevit(settings, ProgramFolder());
    if (!sleevit.InitInstance()) {
        return 1;
    }
    if (!files.empty() && sleevit.View() != nullptr) {
        sleevit.View()->SetStartFiles(files);
    }
    const int result = QApplication::exec();
    sleevit.ExitInstance();
    return result;
}
