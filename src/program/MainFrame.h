#pragma once

#include <QMainWindow>

#include <memory>

class AppSettings;
class CMainMenu;
class CTheView;
struct AppOptions;

// The main window: a fixed-size frame around the view with the menu bar. It cannot be
// resized or maximised; it remembers where it stood.
class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    CMainFrame(AppSettings& settings, AppOptions& options);
    ~CMainFrame() override;

    // Puts the view in, builds the menu from the view's commands, places the window.
    bool Create(CTheView* view);

    CTheView* View() const { return view_; }
    CMainMenu* Menu() const { return menu_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    AppSettings& settings_;
    AppOptions& options_;
    CTheView* view_ = nullptr;
    CMainMenu* menu_ = nullptr;
    bool closed_ = false;
    QPoint normalCorner_;
};
