#include "layout/CalibrationPage.h"

#include <algorithm>
#include <cmath>

#include "layout/PrintTarget.h"
#include "surfaces/DrawingSurface.h"

namespace {

// A drawing in millimetres from the sheet's top-left corner, onto a surface whose origin
// is the printable area's corner.
struct MmPen {
    CDrawingSurface& s;
    DeviceCaps caps;
    int X(double mm) const { return int(std::lround(mm / 25.4 * caps.logPixelsX)) - caps.physicalOffsetX; }
    int Y(double mm) const { return int(std::lround(mm / 25.4 * caps.logPixelsY)) - caps.physicalOffsetY; }
    void Line(double x0, double y0, double x1, double y1) const
    {
        s.MoveTo(X(x0), Y(y0));
        s.LineTo(X(x1), Y(y1));
    }
};

} // namespace

void DrawCalibrationPage(CDrawingSurface& surface, double discMm, double holeMm)
{
    const DeviceCaps caps = surface.GetDeviceCaps();
    if (caps.logPixelsX <= 0 || caps.logPixelsY <= 0)
        return;
    const MmPen d{surface, caps};
    const double w = caps.physicalWidth * 25.4 / caps.logPixelsX;
    const double h = caps.physicalHeight * 25.4 / caps.logPixelsY;
    const double cx = w / 2, cy = h / 2;
    // Lines a quarter of a millimetre wide, visible at any resolution.
    const int width = std::max(1, int(std::lround(0.25 / 25.4 * caps.logPixelsX)));
    surface.SelectPen(SurfacePen::Solid(kColourBlack, width));
    surface.SelectBrush(SurfaceBrush::Hollow());

    // The frame, where the sheet allows one.
    if (w > 40 && h > 40)
        surface.Rectangle(d.X(10), d.Y(10), d.X(w - 10), d.Y(h - 10));
    // The disc and its hole.
    const double r = discMm / 2, hole = holeMm / 2;
    surface.Ellipse(d.X(cx - r), d.Y(cy - r), d.X(cx + r), d.Y(cy + r));
    if (hole > 0)
        surface.Ellipse(d.X(cx - hole), d.Y(cy - hole), d.X(cx + hole), d.Y(cy + hole));
    // The cross with its rulers, as far as the sheet reaches (at most 60 mm each way).
    const double reachX = std::min(60.0, cx - 1), reachY = std::min(60.0, cy - 1);
    d.Line(cx - reachX, cy, cx + reachX, cy);
    d.Line(cx, cy - reachY, cx, cy + reachY);
    surface.SelectPen(SurfacePen::Solid(kColourBlack, std::max(1, width / 2)));
    const auto tick = [](int mm) { return mm % 10 == 0 ? 4.0 : mm % 5 == 0 ? 2.5 : 1.2; };
    for (int mm = 1; mm <= int(reachX); ++mm) {
        d.Line(cx + mm, cy - tick(mm), cx + mm, cy + tick(mm));
        d.Line(cx - mm, cy - tick(mm), cx - mm, cy + tick(mm));
    }
    for (int mm = 1; mm <= int(reachY); ++mm) {
        d.Line(cx - tick(mm), cy + mm, cx + tick(mm), cy + mm);
        d.Line(cx - tick(mm), cy - mm, cx + tick(mm), cy - mm);
    }
}

bool PrintCalibrationPage(CPrintTarget& target, const std::string& jobName, double discMm, double holeMm)
{
    if (!target.StartDocument(jobName))
        return false;
    CDrawingSurface* surface = target.StartPage();
    if (surface == nullptr) {
        target.AbortDocument();
        return false;
    }
    DrawCalibrationPage(*surface, discMm, holeMm);
    if (!target.EndPage()) {
        target.AbortDocument();
        return false;
    }
    return target.EndDocument();
}
