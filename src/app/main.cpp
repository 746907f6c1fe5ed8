// The window program: start-up, the event loop, shut-down.
#include <QApplication>
#include <QIcon>

#include "app/AppSettings.h"
#include "app/ProgramFolder.h"
#include "app/SleevitApp.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Tessaly"));
    QApplication::setApplicationName(QStringLiteral("Sleevit"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/desktop/sleevit.png")));
    AppSettings settings;
    CSleevitApp sleevit(settings, ProgramFolder());
    if (!sleevit.InitInstance()) {
        return 1;
    }
    const int result = QApplication::exec();
    sleevit.ExitInstance();
    return result;
}
