#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "images/ImageDecoder.h"
#include "images/RasterImage.h"
#include "skins/Skin.h"
#include "skins/SkinFolders.h"
#include "skins/SkinPainting.h"
#include "surfaces/RasterSurface.h"

namespace {

// A picture whose see-through parts are its bottom-left pixel's colour must not use that
// colour anywhere else, or holes would appear in it; and it must have opaque pixels.
void ExpectCornerTransparency(const CRasterImage& image, const std::string& name)
{
    ASSERT_EQ(image.GetBpp(), 8) << name << ": a palette picture";
    const PixelBlock& p = image.Pixels();
    int opaque = 0;
    int lookalike = 0;
    for (std::int32_t y = 0; y < p.Height(); ++y) {
        for (std::int32_t x = 0; x < p.Width(); ++x) {
            opaque += p.GetPixel(x, y) != p.GetPixel(0, 0);
            lookalike += p.GetPixel(x, y) != p.GetPixel(0, 0) && p.GetColour(x, y) == p.GetColour(0, 0);
        }
    }
    EXPECT_GT(opaque, 0) << name;
    EXPECT_EQ(lookalike, 0) << name << ": opaque pixels of the see-through colour";
}

TEST(SkinPictures, BuiltInPicturesHaveTheirSizes)
{
    // Name, type, width, height, and whether the bottom-left pixel's colour is see-through.
    const std::tuple<const char*, int, int, int, bool> cases[] = {
        {"IDJ_ANIME_GIRL", kImageJpeg, 193, 348, false},
        {"IDJ_ANOTHER_ANIME_GIRL", kImageJpeg, 212, 331, false},
        {"IDG_LEFTOVERLAY", kImageGif, 22, 275, true},
        {"IDG_ANOTHER_LEFTOVERLAY", kImageGif, 32, 112, true},
        {"IDJ_WHEELS", kImageJpeg, 182, 265, false},
        {kLogoResource, kImageGif, 50, 35, true},
        {kSplashResource, kImageJpeg, 430, 265, false},
        {kHandCursorResource, kImagePng, 32, 32, false},
    };
    for (const auto& [name, type, width, height, cornerTransparent] : cases) {
        CRasterImage image;
        ASSERT_TRUE(image.LoadResource(name, type)) << name << ": " << image.GetLastError();
        EXPECT_EQ(std::tuple(image.GetType(), image.GetWidth(), image.GetHeight()),
                  std::tuple(type, width, height))
            << name;
        if (cornerTransparent)
            ExpectCornerTransparency(image, name);
    }
}

TEST(SkinPictures, ShippedFolderSkinsApplyWhole)
{
    for (const std::string name : {"Midnight", "Paper"}) {
        // Start from nothing, so that every picture must come from the folder.
        CSkinManager fresh(SLEEVIT_SOURCE_DIR "/data", [] { return 0u; });
        fresh.ListFolders();
        ASSERT_EQ(fresh.Folders(), (std::vector<std::string>{"Midnight", "Paper"}));
        ASSERT_TRUE(fresh.ApplySkin(kFirstFolderSkin + (name == "Paper" ? 1 : 0)));
        const Skin& s = fresh.State();
        EXPECT_EQ(s.mainPosition, BuiltInSkinAt(kSkinDefault).mainPosition);
        EXPECT_NE(s.backgroundColour, kDefaultSkinColour) << name;
        EXPECT_EQ(s.mainPicture.GetWidth(), 193) << name;
        EXPECT_EQ(s.paperBackground.GetWidth(), 182) << name;
        EXPECT_EQ(s.paperBackground.GetTransIndex(), -1) << "an empty paper's picture is drawn whole";
        ASSERT_TRUE(s.leftOverlay.IsValid()) << name;
        ExpectCornerTransparency(s.leftOverlay, name + "/left.gif");
    }
}

TEST(SkinPainting, BackgroundShowsColourPictureAndLogo)
{
    CSkinManager skins("/nonexistent", [] { return 0u; });
    ASSERT_TRUE(skins.ApplySkin(kSkinDefault));
    Skin skin;
    skin.backgroundColour = *ParseSkinText("BackgroundColor=FF0000").backgroundColour;
    skin.mainPicture.Copy(skins.State().mainPicture);
    skin.mainPosition = skins.State().mainPosition;
    CRasterImage logo;
    ASSERT_TRUE(logo.LoadResource(kLogoResource, kImageGif));

    const int w = 603;
    const int h = 367;
    CRasterSurface dc(w, h, kColourBlack);
    DrawViewBackground(dc, w, h, skin, &logo);
    const SurfaceColour red = RgbColour(255, 0, 0);
    EXPECT_EQ(dc.GetPixel(0, 0), red);
    EXPECT_EQ(dc.GetPixel(w - 1, h - 1), red);
    const PixelBlock& main = skin.mainPicture.Pixels();
    for (const SkinPoint at : {SkinPoint{0, 0}, SkinPoint{96, 175}, SkinPoint{150, 300}})
        EXPECT_EQ(dc.GetPixel(skin.mainPosition.x + at.x, skin.mainPosition.y + at.y),
                  main.GetColour(at.x, main.Height() - 1 - at.y))
            << "main picture pixel " << at.x << "," << at.y;

    // The logo's corner colour is left out, the rest of it is drawn.
    const SkinPoint logoAt = LogoPosition(h, logo);
    EXPECT_EQ(logoAt.y + logo.GetHeight(), h - 1);
    EXPECT_EQ(dc.GetPixel(logoAt.x, logoAt.y + logo.GetHeight() - 1), red);
    int drawn = 0;
    const SurfaceColour key = logo.Pixels().GetColour(0, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            ASSERT_NE(dc.GetPixel(x, y), key) << "see-through colour at " << x << "," << y;
            drawn +=
                (x >= logoAt.x && x < logoAt.x + 50 && y >= logoAt.y && dc.GetPixel(x, y) != red) ? 1 : 0;
        }
    EXPECT_GT(drawn, 100) << "logo pixels drawn";
}

} // namespace
