#pragma once

#include <vector>

#include <QDialog>
#include <QImage>

class CRasterSurface;
class QPushButton;
class QScrollArea;
struct DeviceCaps;

class CPreviewPagesWidget;

// One sheet of a preview as the screen shows it: the printable area's pixels put at
// their place on a white sheet. Empty when the page does not fit the sheet.
QImage PreviewSheetImage(const CRasterSurface& page, const DeviceCaps& caps);

// The print preview: the job's sheets, one or two side by side, scaled to the window
// or zoomed in, with the buttons to print, page through, switch between one and two
// pages, zoom and close.
class CPrintPreviewWindow : public QDialog {
    Q_OBJECT

public:
    // How much bigger than "the whole sheet fits" each zoom step shows the sheets.
    static constexpr double kZoomFactors[] = {1.0, 2.0, 4.0};
    static constexpr int kMaxZoom = 2;

    explicit CPrintPreviewWindow(std::vector<QImage> sheets, QWidget* parent = nullptr);

    int PageCount() const { return int(sheets_.size()); }
    // Sheet k (0 <= k < PageCount()).
    const QImage& Sheet(int k) const { return sheets_[std::size_t(k)]; }
    // The first sheet shown (0-based).
    int CurrentPage() const { return current_; }
    bool TwoPages() const { return twoPages_; }
    int ZoomLevel() const { return zoom_; }
    // True after "&Print..." closed the window.
    bool PrintRequested() const { return printRequested_; }
    // The sheets drawn at the moment (one or two).
    std::vector<int> VisiblePages() const;
    // The scale from sheet pixels to screen pixels at the moment.
    double DisplayScale() const;

    QPushButton* PrintButton() const { return print_; }
    QPushButton* NextButton() const { return next_; }
    QPushButton* PrevButton() const { return prev_; }
    QPushButton* PagesButton() const { return pages_; }
    QPushButton* ZoomInButton() const { return zoomIn_; }
    QPushButton* ZoomOutButton() const { return zoomOut_; }
    QPushButton* CloseButton() const { return close_; }

    void NextPage();
    void PrevPage();
    void TogglePages();
    void ZoomIn();
    void ZoomOut();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Update();

    std::vector<QImage> sheets_;
    int current_ = 0;
    bool twoPages_ = false;
    int zoom_ = 0;
    bool printRequested_ = false;

    QPushButton* print_ = nullptr;
    QPushButton* next_ = nullptr;
    QPushButton* prev_ = nullptr;
    QPushButton* pages_ = nullptr;
    QPushButton* zoomIn_ = nullptr;
    QPushButton* zoomOut_ = nullptr;
    QPushButton* close_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    CPreviewPagesWidget* view_ = nullptr;
};
