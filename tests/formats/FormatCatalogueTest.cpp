#include <gtest/gtest.h>

#include "formats/FormatCatalogue.h"

namespace {

FormatCatalogue Named(std::initializer_list<const char*> names)
{
    FormatCatalogue c;
    for (const char* name : names) {
        CoverFormat f;
        f.name = name;
        c.Append(f);
    }
    return c;
}

TEST(FormatCatalogue, AddCopyTheCutLineCapacityOfTenAndTheDetectRatio)
{
    FormatCatalogue c;
    c.AddFormat("New Format");
    const CoverFormat f = *c.Get(0);
    EXPECT_EQ(f.size, (SizeMm{100.0, 100.0}));
    EXPECT_TRUE(f.autodetect);
    EXPECT_TRUE(c.HasSpine(0));
    EXPECT_EQ(c.GetSpine(0), 0.0);
    EXPECT_EQ(f.type, "CUSTOM");
    EXPECT_DOUBLE_EQ(c.GetAspectRatio(0), 1.0);
    EXPECT_EQ(c.CatalogueText().find("PAPER"), std::string::npos) << "the default sheet is not written";

    for (int k = 0; k < 10; ++k)
        EXPECT_TRUE(c.AddLine(0, {double(k), 0, 0, 0, k % 2 == 0}));
    EXPECT_FALSE(c.AddLine(0, {99, 0, 0, 0, true}));
    c.CopyFormat("Copy of New Format", 0);
    ASSERT_EQ(c.GetCount(), 2);
    CoverFormat copy = *c.Get(1);
    EXPECT_EQ(copy.name, "Copy of New Format");
    copy.name = f.name;
    EXPECT_EQ(copy, *c.Get(0));

    double x1, y1, x2, y2;
    EXPECT_TRUE(c.GetLine(0, 4, x1, y1, x2, y2));
    EXPECT_EQ(x1, 4.0);
    EXPECT_FALSE(c.GetLine(0, 10, x1, y1, x2, y2));
    // Replacing and removing keep the order of the others; a full list takes one again
    // once an entry is gone, and bad positions change nothing.
    EXPECT_TRUE(c.SetCutLine(0, false, 4, {40, 1, 2, 3, false}));
    EXPECT_TRUE(c.RemoveCutLine(0, false, 0));
    EXPECT_EQ(c.GetLineCount(0), 9);
    EXPECT_FALSE(c.GetLine(0, 3, x1, y1, x2, y2));
    EXPECT_EQ(x1, 40.0);
    EXPECT_TRUE(c.AddLine(0, {99, 0, 0, 0, true}));
    EXPECT_FALSE(c.RemoveCutLine(0, false, 10));
    EXPECT_FALSE(c.SetCutLine(0, true, 0, {})); // no rectangles yet
    EXPECT_FALSE(c.RemoveCutLine(2, false, 0)); // no such format
    EXPECT_EQ(c.GetLineCount(0), 10);

    // A ratio to detect by, set, is preferred to the size; bad positions get neutral answers.
    c.SetDetectRatio(0, {3.0, 4.0});
    EXPECT_DOUBLE_EQ(c.GetAspectRatio(0), 4.0 / 3.0);
    EXPECT_EQ(c.GetPlacement(5, true, true).width, 0.0);
    EXPECT_EQ(c.GetAspectRatio(-1), 0.0);
}

// Remap targets keep naming the same formats when the list changes; a backup brings the
// list back as it was.
TEST(FormatCatalogue, RemoveSwapAndBackupKeepRemapsOnTheirFormats)
{
    FormatCatalogue c = Named({"A", "B", "C", "D"});
    c.SetRemap(0, 3); // A -> D
    c.SetRemap(3, 1); // D -> B
    c.SetRemap(2, 2); // C -> C
    c.SetType(1, "DVD");
    c.SetType(2, "DVD");
    EXPECT_EQ(c.FindByType("DVD"), 1);
    EXPECT_EQ(c.FindByType("dvd"), -1);
    EXPECT_EQ(FormatCatalogue::GetTypeName(7), "CUSTOM"); // the last kind
    EXPECT_EQ(FormatCatalogue::GetTypeName(8), "");
    c.TakeBackup();

    c.RemoveFormat(1); // B goes: D's remap is cleared, A's follows D
    ASSERT_EQ(c.GetCount(), 3);
    EXPECT_EQ(c.GetName(c.GetRemap(0)), "D");
    EXPECT_EQ(c.GetRemap(2), -1);
    EXPECT_EQ(c.GetName(c.GetRemap(1)), "C");
    c.SwapFormats(0, 2); // order: D, C, A
    EXPECT_EQ(c.GetName(0), "D");
    EXPECT_EQ(c.GetName(c.GetRemap(2)), "D");
    EXPECT_EQ(c.GetName(c.GetRemap(1)), "C");
    c.RemoveFormat(7); // out of range: nothing happens
    EXPECT_EQ(c.GetCount(), 3);

    c.SetName(0, "changed");
    c.AddFormat("New Format");
    c.RestoreBackup();
    ASSERT_EQ(c.GetCount(), 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(c.GetName(i), std::string(1, char('A' + i)));
}

} // namespace
