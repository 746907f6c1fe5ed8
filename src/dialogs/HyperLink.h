#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <string>

// A text that opens an address when clicked: blue, orange while the mouse is over it,
// a pointing hand and the address as its tool tip. The address goes to the system's
// handler (browser or mail program).
class CHyperLink final : public QLabel {
    Q_OBJECT
public:
    static constexpr QRgb kNormalColour = 0xFF0000FFu; // blue, also once visited
    static constexpr QRgb kHoverColour = 0xFFFFA500u;  // orange under the mouse

    explicit CHyperLink(QWidget* parent);

    // The address a click opens; the shown text stays as it is.
    void SetTarget(const std::string& url);
    const QUrl& Target() const { return target_; }

    // The colour the text has now.
    QColor TextColour() const;

    // Who opens the addresses; QDesktopServices::openUrl unless replaced (the tests
    // record the addresses instead). Returns the opener it replaces.
    using Opener = std::function<bool(const QUrl&)>;
    static Opener SetOpener(Opener opener);

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void SetColour(QRgb colour);

    QUrl target_;
    bool pressed_ = false;
};

// A font of the given families at a point size as it is at 96 dots per inch, so that
// the dialogs keep their look whatever the desktop's scaling.
QFont FixedPointFont(const QStringList& families, int points, bool bold);
