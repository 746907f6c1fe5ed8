#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "BmpBuilder.h"
#include "ScratchFolder.h"
#include "images/RasterImage.h"

using namespace testbmp;

namespace {

// The pixel at (column, row from the top) as the screen shows it.
std::uint32_t ScreenPixel(const CRasterImage& image, int x, int top)
{
    return image.Pixels().GetPixel(x, image.GetHeight() - 1 - top);
}

bool LoadPicture(CRasterImage& image, std::int32_t w, std::int32_t h, int bpp)
{
    const Bytes file = MakePattern(w, h, bpp);
    return image.LoadMemory(file.data(), file.size(), kImageBmp);
}

TEST(RasterImageLoad, FailuresKeepThePreviousPixelsAndSayWhy)
{
    ScratchFolder files;
    const std::string text = files.Write("notes.bmp", "Shopping list: bread, milk, batteries.\n");
    CRasterImage image;
    ASSERT_TRUE(LoadPicture(image, 4, 3, 8)) << image.GetLastError();
    // Each failure in turn, on the same image.
    const auto failed = [&image](bool loaded, const std::string& error) {
        EXPECT_FALSE(loaded) << error;
        EXPECT_EQ(image.GetLastError(), error);
        EXPECT_TRUE(image.IsValid() && image.GetWidth() == 4 && image.GetType() == kImageBmp &&
                    ScreenPixel(image, 3, 2) == Pattern(8, 3, 2))
            << "the previous picture was dropped at " << error;
    };
    failed(image.Load(text, kImageBmp), "Not a BMP");
    failed(image.Load(text, kImageAny), "Decode: Unknown or wrong format");
    failed(image.Load(files.File("absent.bmp"), kImageBmp), "Unable to open file");
    failed(image.Load(files.Path(), kImageBmp), "Unable to open file");
    failed(image.LoadMemory("\x01\x02\x03 junk", 9, kImageWbmp), "Not a WBMP");
    failed(image.LoadResource("IDJ_NO_SUCH_PICTURE", kImageJpeg), "Unable to load resource!");
}

TEST(RasterImageRotate, OtherAnglesUseNearestNeighbourAndNoAngleIsRefused)
{
    CRasterImage image;
    ASSERT_TRUE(LoadPicture(image, 41, 21, 24));
    const std::uint32_t centre = ScreenPixel(image, 20, 10);
    ASSERT_TRUE(image.Rotate(30.0f));
    const double t = 30.0 * 3.14159265358979323846 / 180.0;
    EXPECT_EQ(image.GetWidth(), static_cast<int>(std::round(41 * std::cos(t) + 21 * std::sin(t))));
    EXPECT_EQ(image.GetHeight(), static_cast<int>(std::round(41 * std::sin(t) + 21 * std::cos(t))));
    EXPECT_EQ(ScreenPixel(image, image.GetWidth() / 2, image.GetHeight() / 2), centre)
        << "the centre stays where it is";
    EXPECT_EQ(image.Pixels().GetPixel(0, 0), 0u) << "corners outside the old picture stay empty";
    EXPECT_EQ(image.QuarterTurns(), 0);
    // Nothing to turn, or no angle: refused; no turn at all: nothing changes.
    CRasterImage empty;
    EXPECT_FALSE(empty.Rotate(90.0f));
    ASSERT_TRUE(LoadPicture(image, 5, 3, 8));
    EXPECT_FALSE(image.Rotate(std::nanf("")));
    EXPECT_EQ(image.GetWidth(), 5);
    ASSERT_TRUE(image.Rotate(0.0f));
    ASSERT_TRUE(image.Rotate(360.0f));
    EXPECT_EQ(image.GetWidth(), 5);
    EXPECT_EQ(image.QuarterTurns(), 0);
}

TEST(RasterImage, CopyTakesPixelsAndInformationAndDestroyEmpties)
{
    CRasterImage source;
    ASSERT_TRUE(LoadPicture(source, 6, 4, 8));
    source.SetTransIndex(3);
    source.Enable(false);

    CRasterImage copy;
    copy.Copy(source);
    ASSERT_TRUE(copy.IsValid());
    EXPECT_EQ(copy.GetTransIndex(), 3);
    EXPECT_FALSE(copy.IsEnabled());
    EXPECT_EQ(copy.GetType(), kImageBmp);
    ASSERT_TRUE(copy.Rotate(90.0f));
    EXPECT_EQ(source.GetWidth(), 6) << "turning the copy changed the source";
    EXPECT_EQ(ScreenPixel(source, 5, 3), Pattern(8, 5, 3));

    CRasterImage frame;
    frame.Copy(source, false);
    ASSERT_TRUE(frame.IsValid());
    EXPECT_EQ(frame.GetWidth(), 6);
    EXPECT_EQ(frame.GetHeight(), 4);
    EXPECT_EQ(ScreenPixel(frame, 5, 3), 0u) << "pixels were copied although not asked for";
    EXPECT_EQ(frame.Pixels().Palette()[1].green, 254) << "the palette belongs to the frame";

    CRasterImage empty;
    copy.Copy(empty);
    EXPECT_FALSE(copy.IsValid());
    ASSERT_TRUE(frame.Rotate(90.0f));
    EXPECT_TRUE(frame.Destroy());
    EXPECT_FALSE(frame.IsValid());
    EXPECT_EQ(frame.GetWidth(), 0);
    EXPECT_EQ(frame.QuarterTurns(), 0);
}

TEST(RasterImage, TransparentIndexComesFromAPixel)
{
    CRasterImage image;
    ASSERT_TRUE(LoadPicture(image, 5, 3, 8));
    // Pixel (0, 0) counts from the bottom: the bottom-left pixel on screen.
    const std::uint32_t index = image.GetPixelIndex(0, 0);
    EXPECT_EQ(index, Pattern(8, 0, 2));
    image.SetTransIndex(static_cast<int>(index));
    EXPECT_EQ(image.GetTransIndex(), static_cast<int>(index));
    const RgbQuad q = image.Pixels().Palette()[index];
    EXPECT_EQ(image.GetTransColour(), (std::uint32_t{q.blue} << 16) | (std::uint32_t{q.green} << 8) | q.red);
    image.SetTransIndex(-7);
    EXPECT_EQ(image.GetTransIndex(), -1);
    image.SetTransIndex(5);
    ASSERT_TRUE(LoadPicture(image, 2, 2, 8));
    EXPECT_EQ(image.GetTransIndex(), -1) << "a new picture forgets the old one's transparency";

    CRasterImage colour;
    ASSERT_TRUE(LoadPicture(colour, 5, 3, 24));
    EXPECT_EQ(colour.GetPixelIndex(0, 0), 0u) << "a 24-bit picture has no palette index";
}

TEST(RasterImage, JpegFilesKeepTheirPath)
{
    const std::string jpeg = SLEEVIT_SOURCE_DIR "/fuzz/corpus/jpeg/baseline_420.jpg";
    CRasterImage image;
    ASSERT_TRUE(image.Load(jpeg, kImageAny)) << image.GetLastError();
    EXPECT_EQ(image.SourcePath(), jpeg);
    ASSERT_TRUE(image.Rotate(90.0f));
    EXPECT_EQ(image.SourcePath(), jpeg) << "a quarter turn can be applied to the file's data too";
    ASSERT_TRUE(image.Rotate(10.0f));
    EXPECT_TRUE(image.SourcePath().empty()) << "resampled pixels no longer match the file";
    ASSERT_TRUE(image.Load(jpeg, kImageJpeg));
    ASSERT_TRUE(LoadPicture(image, 2, 2, 24));
    EXPECT_TRUE(image.SourcePath().empty()) << "the BMP took over";
}

} // namespace
