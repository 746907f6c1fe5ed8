#include "app/PrintPreviewWindow.h"

#include <algorithm>
#include <utility>

#include <QHBoxLayout>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "app/DialogTextSource.h"
#include "surfaces/RasterSurface.h"

namespace {

// A text of the window in the current language.
QString Text(int key, const char* english)
{
    return QString::fromStdString(DialogText(key, english));
}

// Grey around the sheets and between them, in screen pixels.
constexpr int kGap = 12;

} // namespace

QImage PreviewSheetImage(const CRasterSurface& page, const DeviceCaps& caps)
{
    if (!page.IsValid() || caps.physicalWidth <= 0 || caps.physicalHeight <= 0 ||
        caps.physicalWidth > CRasterSurface::kMaxSide || caps.physicalHeight > CRasterSurface::kMaxSide)
        return QImage();
    QImage sheet(caps.physicalWidth, caps.physicalHeight, QImage::Format_RGB32);
    if (sheet.isNull())
        return QImage();
    sheet.fill(Qt::white);
    // The surface keeps 0xFFRRGGBB words, which is what Format_RGB32 reads; the wrapper
    // only borrows the pixels while they are copied onto the sheet.
    const QImage area(page.Data(), page.Width(), page.Height(), page.Stride(), QImage::Format_RGB32);
    QPainter painter(&sheet);
    painter.drawImage(QPoint(caps.physicalOffsetX, caps.physicalOffsetY), area);
    return sheet;
}

// The sheets on show, each scaled by the window's scale, side by side on grey.
class CPreviewPagesWidget : public QWidget {
public:
    explicit CPreviewPagesWidget(QWidget* parent) : QWidget(parent) { setAutoFillBackground(false); }

    void Show(std::vector<const QImage*> sheets, double scale)
    {
        sheets_ = std::move(sheets);
        scale_ = scale;
        update();
    }

    // The size the sheets take at a scale, gaps included.
    static QSize ContentSize(const std::vector<const QImage*>& sheets, double scale)
    {
        int w = kGap;
        int h = 0;
        for (const QImage* s : sheets) {
            w += int(s->width() * scale) + kGap;
            h = std::max(h, int(s->height() * scale));
        }
        return QSize(w, h + 2 * kGap);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), QColor(128, 128, 128));
        p.setRenderHint(QPainter::SmoothPixmapTransform, scale_ < 1.0);
        const QSize content = ContentSize(sheets_, scale_);
        int x = std::max(kGap, (width() - content.width()) / 2 + kGap);
        const int top = std::max(kGap, (height() - content.height()) / 2 + kGap);
        for (const QImage* s : sheets_) {
            const QRect target(x, top, int(s->width() * scale_), int(s->height() * scale_));
            p.fillRect(target.translated(3, 3), Qt::black);
            p.drawImage(target, *s);
            p.setPen(Qt::black);
            p.drawRect(target.adjusted(0, 0, -1, -1));
            x += target.width() + kGap;
        }
    }

private:
    std::vector<const QImage*> sheets_;
    double scale_ = 1.0;
};

CPrintPreviewWindow::CPrintPreviewWindow(std::vector<QImage> sheets, QWidget* parent)
    : QDialog(parent), sheets_(std::move(sheets))
{
    setWindowTitle(Text(8004, "Print Preview"));
    setObjectName(QStringLiteral("printPreview"));
    auto button = [this](int key, const char* text, const char* name) {
        auto* b = new QPushButton(Text(key, text), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    print_ = button(8005, "&Print...", "print");
    next_ = button(8006, "&Next Page", "next");
    prev_ = button(8007, "Pre&v Page", "prev");
    pages_ = button(8008, "&Two Page", "pages");
    zoomIn_ = button(8010, "Zoom &In", "zoomIn");
    zoomOut_ = button(8011, "Zoom &Out", "zoomOut");
    close_ = button(8012, "&Close", "close");

    connect(print_, &QPushButton::clicked, this, [this] {
        printRequested_ = true;
        accept();
    });
    connect(next_, &QPushButton::clicked, this, &CPrintPreviewWindow::NextPage);
    connect(prev_, &QPushButton::clicked, this, &CPrintPreviewWindow::PrevPage);
    connect(pages_, &QPushButton::clicked, this, &CPrintPreviewWindow::TogglePages);
    connect(zoomIn_, &QPushButton::clicked, this, &CPrintPreviewWindow::ZoomIn);
    connect(zoomOut_, &QPushButton::clicked, this, &CPrintPreviewWindow::ZoomOut);
    connect(close_, &QPushButton::clicked, this, &CPrintPreviewWindow::reject);

    auto* bar = new QHBoxLayout;
    for (QPushButton* b : {print_, next_, prev_, pages_, zoomIn_, zoomOut_, close_})
        bar->addWidget(b);
    bar->addStretch();

    scroll_ = new QScrollArea(this);
    scroll_->setAlignment(Qt::AlignCenter);
    scroll_->setWidgetResizable(false);
    view_ = new CPreviewPagesWidget(scroll_);
    scroll_->setWidget(view_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(scroll_, 1);
    resize(800, 700);
    Update();
}

std::vector<int> CPrintPreviewWindow::VisiblePages() const
{
    std::vector<int> shown;
    if (current_ < PageCount())
        shown.push_back(current_);
    if (twoPages_ && current_ + 1 < PageCount())
        shown.push_back(current_ + 1);
    return shown;
}

double CPrintPreviewWindow::DisplayScale() const
{
    std::vector<const QImage*> shown;
    for (int k : VisiblePages())
        if (!sheets_[std::size_t(k)].isNull())
            shown.push_back(&sheets_[std::size_t(k)]);
    if (shown.empty())
        return 1.0;
    // The whole of the sheets fits the area without scroll bars at the first step.
    const QSize area = scroll_->maximumViewportSize();
    double sheetsW = 0;
    double sheetsH = 0;
    for (const QImage* s : shown) {
        sheetsW += s->width();
        sheetsH = std::max(sheetsH, double(s->height()));
    }
    const int gapsX = kGap * (int(shown.size()) + 1);
    const double fit =
        std::max(0.01, std::min((area.width() - gapsX) / sheetsW, (area.height() - 2 * kGap) / sheetsH));
    return fit * kZoomFactors[zoom_];
}

void CPrintPreviewWindow::NextPage()
{
    const int step = twoPages_ ? 2 : 1;
    if (current_ + step < PageCount()) {
        current_ += step;
        Update();
    }
}

void CPrintPreviewWindow::PrevPage()
{
    if (current_ > 0) {
        current_ = std::max(0, current_ - (twoPages_ ? 2 : 1));
        Update();
    }
}

void CPrintPreviewWindow::TogglePages()
{
    if (!twoPages_ && PageCount() < 2)
        return;
    twoPages_ = !twoPages_;
    // Two sheets side by side always show a whole pair when there is one.
    if (twoPages_ && current_ + 1 >= PageCount())
        current_ = std::max(0, PageCount() - 2);
    Update();
}

void CPrintPreviewWindow::ZoomIn()
{
    if (zoom_ < kMaxZoom) {
        ++zoom_;
        Update();
    }
}

void CPrintPreviewWindow::ZoomOut()
{
    if (zoom_ > 0) {
        --zoom_;
        Update();
    }
}

void CPrintPreviewWindow::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    Update();
}

void CPrintPreviewWindow::Update()
{
    const int step = twoPages_ ? 2 : 1;
    next_->setEnabled(current_ + step < PageCount());
    prev_->setEnabled(current_ > 0);
    pages_->setText(twoPages_ ? Text(8009, "&One Page") : Text(8008, "&Two Page"));
    pages_->setEnabled(twoPages_ || PageCount() >= 2);
    zoomIn_->setEnabled(zoom_ < kMaxZoom && PageCount() > 0);
    zoomOut_->setEnabled(zoom_ > 0);

    std::vector<const QImage*> shown;
    for (int k : VisiblePages())
        if (!sheets_[std::size_t(k)].isNull())
            shown.push_back(&sheets_[std::size_t(k)]);
    const double scale = DisplayScale();
    const QSize content = CPreviewPagesWidget::ContentSize(shown, scale);
    view_->resize(content.expandedTo(scroll_->maximumViewportSize()));
    view_->Show(std::move(shown), scale);
}
