// The bitmap reader's rules where bitmap files and the bitmaps inside metafiles once
// disagreed are WMF case files (tests/images/cases/wmf/dib_*); a metafile record is a
// whole number of words, so a bitmap of an odd number of bytes is read here directly.
#include <gtest/gtest.h>

#include "MetafileBuilder.h"
#include "images/DibReader.h"

using namespace testmf;

namespace {

TEST(DibReader, RunLengthDataOfOneByteIsRefused)
{
    Bytes dib = DibHeader(40, 1, 1, 8, 1, 1);
    dib.insert(dib.end(), {0, 0, 0, 0, 1});
    PixelBlock p;
    EXPECT_FALSE(CDibReader::ReadPacked(dib.data(), dib.size(), CDibReader::kRgbColours, p));
    EXPECT_FALSE(p.IsValid());
}

} // namespace
