#pragma once

#include <QAbstractButton>

#include <cstdint>
#include <functional>
#include <memory>

#include "layout/Placement.h"

class CRasterImage;
class CRasterSurface;
class FormatCatalogue;

// The on-screen picture of one side: a white sheet of the format's paper, scaled into
// the control, with the side's cover drawn where it will be printed, the cut and fold
// lines and the skin's decorations. The paper points at pictures others own; its owner
// pushes every change in through the setters. A click is an ordinary button click, and
// files dropped on it are handed to the owner through the dropped signal.
class CPaper : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr int kNoFormat = 99999;

    CPaper(const FormatCatalogue& catalogue, QWidget* parent = nullptr);
    ~CPaper() override;

    void SetImage(const CRasterImage* image);
    void SetOtherImage(const CRasterImage* image);
    void SetOverlay(CRasterImage* image, int x, int y);
    void SetBackground(const CRasterImage* image);
    // The format this paper shows and, on a single page, the other side's.
    void SetFormat(CoverSide format);
    void SetOtherFormat(CoverSide format);
    void SetSinglePage(int singlePage);
    void SetDrawLines(int drawLines);
    void SetIsLeft(int isLeft);
    void SetCdTray(int isCdTray);
    void SetPaperSize(double width, double height);
    void SetBackColour(std::uint32_t colour); // 0x00BBGGRR
    // Whether files may be dropped on the paper.
    void AcceptFiles(bool accept) { setAcceptDrops(accept); }

    const CRasterImage* Image() const { return ownImage_; }
    CoverSide Format() const { return format_; }
    CoverSide OtherFormat() const { return otherFormat_; }
    int SinglePage() const { return singlePage_; }
    int IsCdTray() const { return isCdTray_; }
    double PaperWidth() const { return paperWidth_; }
    double PaperHeight() const { return paperHeight_; }

    // Draws the paper as the screen shows it into a surface of the given size.
    void DrawInto(CRasterSurface& surface) const;
    // What a drop of these local files does (the drop handler and tests call it).
    void HandleDrop(const QStringList& paths);

    // Whether several dropped files make a batch (asked at each drop).
    void SetBatchModeSource(std::function<bool()> batchMode) { batchMode_ = std::move(batchMode); }

signals:
    // A dropped file to load into this paper's side: side 0 Left, 1 Right.
    void loadDropped(const QString& path, int side);
    // One file of a batch drop: step 0 starts the list, 1 adds to it, 2 adds the last
    // file and runs the batch; side as above.
    void batchDropped(const QString& path, int step, int side);

protected:
    void paintEvent(QPaintEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void Changed();
    void DrawEmptyState(CRasterSurface& dc, const struct SurfaceRect& sheet) const;

    const FormatCatalogue& catalogue_;
    const CRasterImage* ownImage_ = nullptr;
    const CRasterImage* otherImage_ = nullptr;
    CRasterImage* overlayImage_ = nullptr;
    const CRasterImage* backgroundImage_ = nullptr;
    int overlayX_ = 0;
    int overlayY_ = 0;
    CoverSide format_{kNoFormat, Side::Left};
    CoverSide otherFormat_{kNoFormat, Side::Right};
    int singlePage_ = 0;
    int drawLines_ = 0;
    int isLeft_ = 1;
    int isCdTray_ = 0;
    double paperWidth_ = 210.0;
    double paperHeight_ = 297.0;
    std::uint32_t backColour_ = 0x3C3C3C;
    std::unique_ptr<CRasterSurface> surface_;
    std::function<bool()> batchMode_;
};
