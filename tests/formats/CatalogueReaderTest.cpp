#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "CollectingMessages.h"
#include "formats/FormatCatalogue.h"
#include "textfiles/TextEncoding.h"

namespace {

FormatCatalogue Read(const std::string& text, CCollectingMessages& messages)
{
    FormatCatalogue catalogue;
    catalogue.LoadCatalogueBytes(text, messages);
    return catalogue;
}

FormatCatalogue Read(const std::string& text)
{
    CCollectingMessages messages;
    FormatCatalogue catalogue = Read(text, messages);
    EXPECT_TRUE(messages.errors.empty()) << "unexpected message: " << messages.errors.front();
    return catalogue;
}

TEST(CatalogueReader, EmptyAndCommentOnlyFilesGiveAnEmptyCatalogue)
{
    EXPECT_EQ(Read("").GetCount(), 0);
    EXPECT_EQ(Read(";only a comment\r\n\r\n; another\n").GetCount(), 0);
}

TEST(CatalogueReader, FileDefaultsForAbsentKeys)
{
    const FormatCatalogue c = Read("[A]\r\n");
    ASSERT_EQ(c.GetCount(), 1);
    const CoverFormat& f = *c.Get(0);
    EXPECT_EQ(f.name, "A");
    EXPECT_EQ(f.position, (PointMm{-1.0, -1.0}));
    EXPECT_EQ(f.position2, (PointMm{-1.0, -1.0}));
    EXPECT_EQ(f.paperSize, (SizeMm{210.0, 297.0}));
    EXPECT_FALSE(f.hasSize);
    EXPECT_EQ(f.size, (SizeMm{0.0, 0.0}));
    EXPECT_EQ(f.type, "CUSTOM");
    EXPECT_EQ(f.remap, -1);
    EXPECT_EQ(f.spine, kNoSpine);
    EXPECT_FALSE(c.HasSpine(0));
    EXPECT_FALSE(f.label);
    EXPECT_FALSE(f.autodetect);
    // No size: detection gets 0.0 instead of a division by zero.
    EXPECT_EQ(c.GetAspectRatio(0), 0.0);
}

TEST(CatalogueReader, SizesPositionsAndInches)
{
    const FormatCatalogue c =
        Read("[A]\r\nSIZE = (120 , 118.5)\r\nPOSITION = (10.0 , 20.0)\r\nPOSITION2 = MIRROR\r\n"
             "[B]\r\nSIZE INCHES = (4.72 , 4.72)\r\nPOSITION = AUTO\r\nPOSITION2 = AUTO\r\n"
             "[C]\r\nsize = (120, 120)\r\nPOSITION = 10.0\r\nPOSITION2 = (10.0)\r\n"
             "[D]\r\nSIZE = (120, 120) TOP\r\n");
    ASSERT_EQ(c.GetCount(), 4);
    EXPECT_EQ(c.Get(0)->size, (SizeMm{120.0, 118.5}));
    EXPECT_TRUE(c.Get(0)->hasSize);
    EXPECT_EQ(c.Get(0)->position, (PointMm{10.0, 20.0}));
    EXPECT_EQ(c.Get(0)->position2, (PointMm{-2.0, -2.0}));
    EXPECT_NEAR(c.Get(1)->size.width, 119.888, 1e-9);
    EXPECT_NEAR(c.Get(1)->size.height, 119.888, 1e-9);
    EXPECT_EQ(c.Get(1)->position, (PointMm{-1.0, -1.0}));
    EXPECT_EQ(c.Get(2)->size, (SizeMm{120.0, 120.0}));
    EXPECT_EQ(c.Get(2)->position, (PointMm{10.0, 10.0}));
    EXPECT_EQ(c.Get(2)->position2, (PointMm{10.0, 0.0}));
    EXPECT_EQ(c.Get(3)->size, (SizeMm{-9003.0, -9003.0}));
}

TEST(CatalogueReader, KeywordOrderDecidesAmbiguousKeys)
{
    const FormatCatalogue c =
        Read("[A]\r\nHOLESIZE = 41\r\nPOSITION2 = (1, 2)\r\nSPINESIZE = 7\r\nPAPERSIZE = 124, 124\r\n"
             "MY SIZE KEY = (5, 6)\r\n");
    const CoverFormat& f = *c.Get(0);
    EXPECT_EQ(f.holeSize, 41.0);
    EXPECT_EQ(f.size, (SizeMm{5.0, 6.0})); // HOLESIZE and PAPERSIZE did not touch it
    EXPECT_EQ(f.position2, (PointMm{1.0, 2.0}));
    EXPECT_EQ(f.position, (PointMm{-1.0, -1.0}));
    EXPECT_EQ(f.spine, 7.0);
    EXPECT_EQ(f.paperSize, (SizeMm{124.0, 124.0}));
}

TEST(CatalogueReader, LabelAutodetectAndTypeWords)
{
    const FormatCatalogue c = Read("[lower]\r\nlabel = yes\r\nAUTODETECT = yes\r\ntype = cd_tray\r\n"
                                   "[upper]\r\nLABEL = YES\r\nAUTODETECT = NO (1 , 2)\r\nTYPE=CD_TRAY\r\n"
                                   "[mixed]\r\nlabel = YES\r\nTYPE =  DVD\r\n");
    // YES is looked for case-sensitively in the raw line.
    EXPECT_FALSE(c.Get(0)->label);
    EXPECT_TRUE(c.Get(0)->autodetect);
    EXPECT_EQ(c.Get(0)->type, "CD_TRAY");
    EXPECT_TRUE(c.Get(1)->label);
    EXPECT_FALSE(c.Get(1)->autodetect);
    EXPECT_EQ(c.Get(1)->detectRatio, (SizeMm{1.0, 2.0}));
    EXPECT_EQ(c.GetAspectRatio(1), 2.0);
    EXPECT_EQ(c.Get(1)->type, "CUSTOM"); // no delimiter after "=": type unchanged
    EXPECT_TRUE(c.Get(2)->label);
    EXPECT_EQ(c.Get(2)->type, ""); // two blanks: an empty field is stored
}

TEST(CatalogueReader, LinesRectsAndTheTenEntryLimit)
{
    std::string text =
        "[A]\r\nLINE = LEFT, SOLID\r\nLINE = (0, 0)(0, 120), DASHED\r\nRECT = (1,2)(3,4), SOLID\r\n";
    for (int i = 0; i < 12; ++i)
        text += "LINE = (" + std::to_string(i) + ", 0)(0, 0)\r\n";
    const FormatCatalogue c = Read(text);
    const CoverFormat& f = *c.Get(0);
    ASSERT_EQ(f.lines.count, 10);
    EXPECT_EQ(f.lines.entries[0], (CutLine{-9001.0, 0.0, 0.0, 0.0, true}));
    EXPECT_EQ(f.lines.entries[1], (CutLine{0.0, 0.0, 0.0, 120.0, false}));
    EXPECT_EQ(f.lines.entries[9].x1, 7.0); // the eleventh and later lines were dropped
    ASSERT_EQ(f.rects.count, 1);
    EXPECT_EQ(f.rects.entries[0], (CutLine{1.0, 2.0, 3.0, 4.0, true}));
}

TEST(CatalogueReader, RemapResolvesByExactNameAfterTheWholeFile)
{
    const FormatCatalogue c =
        Read("[A]\r\nREMAP = CD Front\r\n[B]\r\nREMAP = cd front\r\n[CD Front]\r\nREMAP =   CD Front\r\n"
             "[D]\r\nREMAP = Missing\r\n[CD Front]\r\n");
    EXPECT_EQ(c.GetRemap(0), 2);  // the first format of that name, read later in the file
    EXPECT_EQ(c.GetRemap(1), -1); // case matters
    EXPECT_EQ(c.GetRemap(2), 2);  // a format may remap to itself
    EXPECT_EQ(c.GetRemap(3), -1);
    EXPECT_FALSE(c.HasRemap(4));
}

TEST(CatalogueReader, InvalidKeysAreReportedWithTheLineAndSkipped)
{
    CCollectingMessages messages;
    const FormatCatalogue c =
        Read("SIZE = (1, 1)\r\nCALIBRATEX = 1.5\r\n[A]\r\nFOO = 1\r\nINCHES = 1\r\nno equals here\r\n"
             "SIZE = (2, 3)\r\n[B]\r\nCALIBRATEY = -0.5\r\n",
             messages);
    ASSERT_EQ(messages.errors.size(), 3u);
    EXPECT_EQ(messages.errors[0],
              "Invalid keyword in configuration file : \nSIZE = (1, 1)\nThe line will be ignored...");
    EXPECT_NE(messages.errors[1].find("FOO = 1"), std::string::npos);
    EXPECT_NE(messages.errors[2].find("INCHES = 1"), std::string::npos);
    ASSERT_EQ(c.GetCount(), 2);
    EXPECT_EQ(c.Get(0)->size, (SizeMm{2.0, 3.0})); // reading went on
    EXPECT_EQ(c.GetCalibrateX(), 1.5);
    EXPECT_EQ(c.GetCalibrateY(), -0.5);
}

TEST(CatalogueReader, HeaderNamesAndLineEnds)
{
    // A blank after the closing bracket stays in the name; LF, CR LF and CR CR LF all end lines.
    const FormatCatalogue c = Read("[CD Front] \n[B]\r\r\nSIZE = (1, 2)\r\n[C]\r\n[]\r\n[");
    ASSERT_EQ(c.GetCount(), 5);
    EXPECT_EQ(c.GetName(0), "CD Front]");
    EXPECT_EQ(c.GetName(1), "B");
    EXPECT_EQ(c.Get(1)->size, (SizeMm{1.0, 2.0}));
    EXPECT_EQ(c.GetName(3), "");
    EXPECT_EQ(c.GetName(4), "");
}

TEST(CatalogueReader, Utf16AndEightBitFiles)
{
    const std::string utf8 = "[Обложка CD]\r\nSIZE = (120, 120)\r\n";
    const FormatCatalogue wide = Read(std::string("\xFF\xFE", 2) + Utf8ToUtf16Le(utf8));
    ASSERT_EQ(wide.GetCount(), 1);
    EXPECT_EQ(wide.GetName(0), "Обложка CD");
    EXPECT_EQ(wide.Get(0)->size, (SizeMm{120.0, 120.0}));

    const FormatCatalogue latin = Read("[Pochette \xE9t\xE9]\nSIZE = (1, 1)\n");
    EXPECT_EQ(latin.GetName(0), "Pochette \xC3\xA9t\xC3\xA9");
}

TEST(CatalogueReader, MissingFileReportsTheFixedTextAndKeepsThePath)
{
    CCollectingMessages messages;
    FormatCatalogue c;
    EXPECT_FALSE(c.LoadCatalogue("/nonexistent/folder/Sleevit.dat", messages));
    ASSERT_EQ(messages.errors.size(), 1u);
    EXPECT_EQ(messages.errors[0], "No configuration file found. Please Reinstall Sleevit.");
    EXPECT_EQ(c.GetFilePath(), "");
    EXPECT_EQ(c.GetCount(), 0);

    // A folder is not a configuration file either.
    EXPECT_FALSE(c.LoadCatalogue(std::filesystem::temp_directory_path().string(), messages));
}

} // namespace
