// The pictures of tests/images/damaged, loaded the way the program loads a cover: each
// gives what its line in expected.txt says (a picture of a size with its notice, or an
// error text).
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "DataLines.h"
#include "images/DecoderTable.h"
#include "images/RasterImage.h"

namespace {

const std::string kFolder = SLEEVIT_SOURCE_DIR "/tests/images/damaged/";

TEST(DamagedPictures, LoadAsExpectedTxtSays)
{
    const std::vector<std::string> lines = ReadDataLines(kFolder + "expected.txt");
    ASSERT_FALSE(lines.empty()) << "no cases in " << kFolder << "expected.txt";
    for (const std::string& line : lines) {
        std::istringstream fields(line);
        std::string file, result;
        fields >> file >> result;
        std::string rest;
        std::getline(fields >> std::ws, rest);
        SCOPED_TRACE(file);
        CRasterImage image;
        const bool ok = image.Load(kFolder + file, TypeFromFileName(file));
        if (result == "BAD") {
            EXPECT_FALSE(ok) << "have a picture of " << image.GetWidth() << "x" << image.GetHeight();
            EXPECT_EQ(image.GetLastError(), rest);
            continue;
        }
        ASSERT_EQ(result, "OK") << "malformed line: " << line;
        ASSERT_TRUE(ok) << image.GetLastError();
        const std::string size = rest.substr(0, rest.find(' '));
        const std::string notice = rest.size() > size.size() ? rest.substr(size.size() + 1) : "-";
        EXPECT_EQ(std::to_string(image.GetWidth()) + "x" + std::to_string(image.GetHeight()), size);
        EXPECT_EQ(image.GetLoadNotice(), notice == "-" ? "" : notice);
        EXPECT_EQ(image.SourcePath().empty(), image.GetType() != kImageJpeg || notice != "-")
            << "only a whole JPEG file is printed from its own bytes";
    }
}

} // namespace
