#include "program/MainFrame.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>

#include "app/AppOptions.h"
#include "app/AppSettings.h"
#include "app/MainMenu.h"
#include "view/TheView.h"

namespace {
// The language in use from a translator's file; it is never stored.
constexpr int kTranslationLanguage = 25;
} // namespace

CMainFrame::CMainFrame(AppSettings& settings, AppOptions& options) : settings_(settings), options_(options)
{
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setWindowTitle(QStringLiteral("Sleevit"));
}

CMainFrame::~CMainFrame() = default;

bool CMainFrame::Create(CTheView* view)
{
    view_ = view;
    menu_ = new CMainMenu(this, menuBar(), view->Commands());
    menu_->Build(kMainMenu);
    setCentralWidget(view);
    setFixedSize(view->width(), view->height() + menuBar()->sizeHint().height());

    const int x = settings_.ReadInt(Setting::PositionX);
    const int y = settings_.ReadInt(Setting::PositionY);
    if (x == -1) {
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect area = screen->availableGeometry();
            move(area.center() - QPoint(width() / 2, height() / 2));
        }
    } else {
        move(x, y);
    }
    normalCorner_ = pos();
    return true;
}

void CMainFrame::moveEvent(QMoveEvent* event)
{
    // The frame's corner while the window is shown normally: a minimised or maximised
    // window's own position is not where it comes back to.
    if (!(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized))) {
        normalCorner_ = pos();
    }
    QMainWindow::moveEvent(event);
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (!closed_) {
        closed_ = true;
        // pos() and move() are the frame's corner; normalGeometry() would be the client
        // area's, one title bar lower.
        const QPoint corner = isMinimized() || isMaximized() ? normalCorner_ : pos();
        settings_.WriteInt(Setting::PositionX, corner.x());
        settings_.WriteInt(Setting::PositionY, corner.y());
        if (options_.language != kTranslationLanguage) {
            settings_.WriteInt(Setting::Language, options_.language);
        }
        if (view_) {
            view_->OnViewDestroy();
        }
        settings_.Sync();
    }
    event->accept();
}
