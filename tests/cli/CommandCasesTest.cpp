// The command line's answers to the commands of data/commands.txt.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "DataLines.h"
#include "RunProgram.h"
#include "ScratchFolder.h"

namespace {

TEST(CommandCases, EachCommandGivesItsStatusAndTexts)
{
    const std::string data = SLEEVIT_SOURCE_DIR "/tests/cli/data";
    ScratchFolder folder;
    const std::vector<std::pair<std::string, std::string>> words = {
        {"{d}", folder.Path()},
        {"{data}", data},
        {"{src}", SLEEVIT_SOURCE_DIR},
        {"{cli}", SLEEVIT_CLI},
        {"{gif}", SLEEVIT_SOURCE_DIR "/tests/images/damaged/cut_after_2_rows.gif"}};
    int cases = 0;
    for (const std::string& line : ReadDataLines(data + "/commands.txt")) {
        const std::vector<std::string> fields = SplitFields(Unescaped(Replaced(line, words)));
        ASSERT_GE(fields.size(), 2u) << line;
        SCOPED_TRACE(line);
        ++cases;
        // A command that names the program ({cli}) sets its environment first.
        const bool named = line.find("{cli}") != std::string::npos;
        const ProgramResult r = RunProgram(named ? fields[1] : SLEEVIT_CLI " " + fields[1]);
        EXPECT_EQ(std::to_string(r.status), fields[0]) << r.err;
        for (std::size_t k = 2; k < fields.size(); ++k) {
            const std::string& check = fields[k];
            const std::size_t colon = check.find_first_of(":=");
            ASSERT_NE(colon, std::string::npos) << check;
            const std::string kind = check.substr(0, colon + 1);
            const std::string text = check.substr(colon + 1);
            if (kind == "absent:")
                EXPECT_FALSE(std::filesystem::exists(text)) << text;
            else if (kind == "out=" || kind == "err=")
                EXPECT_EQ(kind == "out=" ? r.out : r.err, text);
            else if (kind == "out:" || kind == "err:" || kind == "!err:")
                EXPECT_EQ((kind == "out:" ? r.out : r.err).find(text) != std::string::npos, kind != "!err:")
                    << kind << " \"" << text << "\"\nout: " << r.out << "\nerr: " << r.err;
            else
                ADD_FAILURE() << "unknown check " << check;
        }
    }
    EXPECT_GE(cases, 40);
}

} // namespace
