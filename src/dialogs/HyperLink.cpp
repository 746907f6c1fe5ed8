#include "dialogs/HyperLink.h"

#include <QDesktopServices>
#include <QMouseEvent>
#include <QPalette>

#include <algorithm>

#include "app/FixedFontLayout.h"
#include "app/TemplateForm.h"

namespace {

CHyperLink::Opener& CurrentOpener()
{
    static CHyperLink::Opener opener = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    return opener;
}

} // namespace

CHyperLink::CHyperLink(QWidget* parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setCursor(Qt::PointingHandCursor);
    SetColour(kNormalColour);
}

void CHyperLink::SetTarget(const std::string& url)
{
    target_ = QUrl(ToQt(url));
    setToolTip(target_.toString());
}

QColor CHyperLink::TextColour() const
{
    return palette().color(QPalette::WindowText);
}

CHyperLink::Opener CHyperLink::SetOpener(Opener opener)
{
    Opener previous = std::move(CurrentOpener());
    CurrentOpener() = std::move(opener);
    return previous;
}

void CHyperLink::SetColour(QRgb colour)
{
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, QColor::fromRgb(colour));
    setPalette(colours);
}

void CHyperLink::enterEvent(QEnterEvent* event)
{
    SetColour(kHoverColour);
    QLabel::enterEvent(event);
}

void CHyperLink::leaveEvent(QEvent* event)
{
    SetColour(kNormalColour);
    pressed_ = false;
    QLabel::leaveEvent(event);
}

void CHyperLink::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        pressed_ = true;
    QLabel::mousePressEvent(event);
}

// Opens on the release of a press that began on the link, and only when the release
// is still over it: a press dragged away opens nothing.
void CHyperLink::mouseReleaseEvent(QMouseEvent* event)
{
    const bool open =
        pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed_ = false;
    QLabel::mouseReleaseEvent(event);
    if (open && target_.isValid() && !target_.isEmpty() && CurrentOpener())
        CurrentOpener()(target_);
}

QFont FixedPointFont(const QStringList& families, int points, bool bold)
{
    QFont font;
    font.setFamilies(families);
    font.setPixelSize(std::max(1, FixedFontLayout::PixelHeight(points, 96.0)));
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}
