// sleevit-cli info and decode, run as a user runs them, on pictures made here.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>
#include <zlib.h>

#include "RunProgram.h"
#include "images/ImageDiff.h"

namespace fs = std::filesystem;

namespace {

const std::string kCli = SLEEVIT_CLI;

// A scratch folder of its own for each test, removed afterwards.
class ImageCommands : public testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("sleevit-cli-images-" + std::to_string(::getpid()) + "-" +
                                            testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const
    {
        const std::string path = (dir_ / name).string();
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return path;
    }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

    fs::path dir_;
};

void Le16(std::vector<std::uint8_t>& v, unsigned x)
{
    v.push_back(std::uint8_t(x));
    v.push_back(std::uint8_t(x >> 8));
}
void Le32(std::vector<std::uint8_t>& v, std::uint32_t x)
{
    Le16(v, x & 0xFFFF);
    Le16(v, x >> 16);
}

// A 24-bit BMP of the given RGB pixels (top row first), stored bottom-up as the format wants.
std::vector<std::uint8_t> MakeBmp(int width, int height, const std::vector<std::uint8_t>& rgb)
{
    const std::uint32_t stride = std::uint32_t((width * 3 + 3) / 4 * 4);
    std::vector<std::uint8_t> v = {'B', 'M'};
    Le32(v, 54 + stride * std::uint32_t(height));
    Le32(v, 0);
    Le32(v, 54);
    Le32(v, 40);
    Le32(v, std::uint32_t(width));
    Le32(v, std::uint32_t(height));
    Le16(v, 1);
    Le16(v, 24);
    for (int i = 0; i < 6; ++i)
        Le32(v, 0);
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const std::size_t p = (std::size_t(y) * std::size_t(width) + std::size_t(x)) * 3;
            v.push_back(rgb[p + 2]);
            v.push_back(rgb[p + 1]);
            v.push_back(rgb[p]);
        }
        for (std::uint32_t pad = std::uint32_t(width) * 3; pad < stride; ++pad)
            v.push_back(0);
    }
    return v;
}

// Three by two, every pixel different: a row or channel mix-up cannot go unseen.
const std::vector<std::uint8_t> kPixels = {
    255, 0,  0,  0,   255, 0,   0, 0, 255, // top row: red, green, blue
    10,  20, 30, 200, 150, 100, 1, 2, 3    // bottom row
};

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t nl = text.find('\n'); nl != std::string::npos; nl = text.find('\n', start)) {
        lines.push_back(text.substr(start, nl - start));
        start = nl + 1;
    }
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

TEST_F(ImageCommands, InfoReportsEachFileOnItsOwnLine)
{
    const std::string bmp = Write("cover.bmp", MakeBmp(3, 2, kPixels));
    // The extension only chooses the decoder tried first; the content decides.
    const std::string misnamed = Write("really-a-bmp.gif", MakeBmp(3, 2, kPixels));
    const std::string text = Write("notes.bmp", {'j', 'u', 's', 't', ' ', 't', 'e', 'x', 't', '\n'});
    const std::string missing = Path("missing.png");

    const ProgramResult r = RunProgram(kCli + " info " + bmp + " " + misnamed + " " + text + " " + missing);
    EXPECT_EQ(r.status, 1) << "one file failed, so the status says so";
    const std::vector<std::string> want = {
        bmp + "\t3\t2\t24\tBMP",
        misnamed + "\t3\t2\t24\tBMP",
        text + "\terror\tNot a BMP",
        missing + "\terror\tUnable to open file",
    };
    const std::vector<std::string> have = Lines(r.out);
    ASSERT_EQ(have.size(), want.size()) << r.out;
    for (std::size_t i = 0; i < want.size(); ++i)
        EXPECT_EQ(have[i], want[i]) << "line " << i;

    const ProgramResult good = RunProgram(kCli + " info " + bmp);
    EXPECT_EQ(good.status, 0) << good.out << good.err;
}

TEST_F(ImageCommands, InfoCrcIsTheCrcOfTheTopDownRgbRows)
{
    const std::string bmp = Write("cover.bmp", MakeBmp(3, 2, kPixels));
    const ProgramResult r = RunProgram(kCli + " info --crc " + bmp);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::uint32_t crc =
        std::uint32_t(crc32(crc32(0L, Z_NULL, 0), kPixels.data(), uInt(kPixels.size())));
    char want[16];
    std::snprintf(want, sizeof want, "\t%08x\n", crc);
    EXPECT_EQ(r.out, bmp + "\t3\t2\t24\tBMP" + want);
}

TEST_F(ImageCommands, DecodeWritesTheTopRowFirst)
{
    const std::string bmp = Write("cover.bmp", MakeBmp(3, 2, kPixels));
    const std::string ppm = Path("cover.ppm");
    const ProgramResult r = RunProgram(kCli + " decode " + bmp + " " + ppm);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    RgbPicture pic;
    std::string error;
    ASSERT_TRUE(ReadPnmFile(ppm, pic, error)) << error;
    EXPECT_EQ(pic.width, 3);
    EXPECT_EQ(pic.height, 2);
    EXPECT_EQ(pic.rgb, kPixels);
    // Exactly a P6 header and the samples: nothing after them.
    EXPECT_EQ(fs::file_size(ppm), std::string("P6\n3 2\n255\n").size() + kPixels.size());
}

TEST_F(ImageCommands, DecodeFailuresSayWhyAndLeaveNoFile)
{
    const std::string bmp = Write("cover.bmp", MakeBmp(3, 2, kPixels));
    const std::string text = Write("notes.bmp", {'n', 'o', 'p', 'e', '\n'});
    const struct {
        const char* name;
        std::string args;
        int status;
        std::string errPart;
        std::string noFile; // must not exist afterwards
    } cases[] = {
        {"undecodable input", text + " " + Path("a.ppm"), 1, "notes.bmp: Not a BMP", Path("a.ppm")},
        {"missing input", Path("gone.gif") + " " + Path("b.ppm"), 1, "gone.gif: Unable to open file",
         Path("b.ppm")},
        {"unwritable output", bmp + " " + Path("no-such-dir/c.ppm"), 1, "cannot write", Path("no-such-dir")},
        {"one argument", bmp, 2, "usage: sleevit-cli decode", ""},
        {"three arguments", bmp + " x y", 2, "usage: sleevit-cli decode", ""},
    };
    for (const auto& c : cases) {
        const ProgramResult r = RunProgram(kCli + " decode " + c.args);
        EXPECT_EQ(r.status, c.status) << c.name << ": " << r.err;
        EXPECT_NE(r.err.find(c.errPart), std::string::npos) << c.name << ": have \"" << r.err << "\"";
        EXPECT_EQ(r.out, "") << c.name;
        if (!c.noFile.empty()) {
            EXPECT_FALSE(fs::exists(c.noFile)) << c.name;
        }
    }
}

TEST_F(ImageCommands, UsageNamesTheImageCommands)
{
    const ProgramResult none = RunProgram(kCli + " info");
    EXPECT_EQ(none.status, 2);
    EXPECT_NE(none.err.find("usage: sleevit-cli info"), std::string::npos) << none.err;
    const ProgramResult help = RunProgram(kCli);
    EXPECT_EQ(help.status, 2);
    EXPECT_NE(help.err.find("  info [--crc] FILE..."), std::string::npos) << help.err;
    EXPECT_NE(help.err.find("  decode FILE OUT.ppm"), std::string::npos) << help.err;
}

} // namespace
