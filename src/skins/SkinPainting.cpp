#include "skins/SkinPainting.h"

#include <cstdint>

void DrawWithCornerTransparency(CDrawingSurface& dc, CRasterImage& picture, int x, int y)
{
    if (!picture.IsValid())
        return;
    // Row 0 of the image facility is the bottom row; a 24-bit picture has no index.
    if (picture.GetBpp() <= 8)
        picture.SetTransIndex(static_cast<int>(picture.GetPixelIndex(0, 0)));
    else
        picture.SetTransIndex(-1);
    picture.Draw(&dc, x, y);
}

SkinPoint LogoPosition(int clientHeight, const CRasterImage& logo)
{
    // Both values are within the 32-bit range: a picture side is at most 32768.
    return {3, clientHeight - logo.GetHeight() - 1};
}

void DrawViewBackground(CDrawingSurface& dc, int width, int height, const Skin& skin, CRasterImage* logo)
{
    dc.FillRect({0, 0, width, height}, skin.backgroundColour);
    if (skin.mainPicture.IsValid())
        skin.mainPicture.Draw(&dc, skin.mainPosition.x, skin.mainPosition.y);
    if (logo != nullptr && logo->IsValid()) {
        const SkinPoint at = LogoPosition(height, *logo);
        DrawWithCornerTransparency(dc, *logo, at.x, at.y);
    }
}
