#pragma once

#include "images/RasterImage.h"
#include "skins/Skin.h"
#include "surfaces/DrawingSurface.h"

// Draws a picture unscaled at (x, y) with the colour of its bottom-left pixel (as seen
// on screen) left out: the skin overlays and the logo mark their see-through parts so.
// A picture without a palette has no such colour and is drawn whole.
void DrawWithCornerTransparency(CDrawingSurface& dc, CRasterImage& picture, int x, int y);

// Paints the main view's background, width x height pixels: the skin's colour, its main
// picture unscaled at its position, and the logo (when given) at x = 3 one pixel above
// the bottom edge. Meant for an off-screen picture that is then copied in one step.
void DrawViewBackground(CDrawingSurface& dc, int width, int height, const Skin& skin, CRasterImage* logo);

// Where the logo's top-left corner goes in a view client area of that height.
SkinPoint LogoPosition(int clientHeight, const CRasterImage& logo);
