#include "images/ImageDiff.h"

#include <cctype>
#include <fstream>
#include <iterator>

bool ReadPnmFile(const std::string& path, RgbPicture& out, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int maxval = 0;
    // "P6", width, height and maxval 255 as decimal words, then one white-space byte and
    // the samples.
    if (!(in >> magic >> out.width >> out.height >> maxval) || magic != "P6" || out.width < 1 ||
        out.height < 1 || maxval != 255 || !std::isspace(in.get())) {
        error = "no binary PPM with 8-bit samples at " + path;
        return false;
    }
    out.rgb.assign(std::istreambuf_iterator<char>(in), {});
    if (out.rgb.size() < std::size_t(out.width) * std::size_t(out.height) * 3) {
        error = "PPM samples cut short in " + path;
        return false;
    }
    out.rgb.resize(std::size_t(out.width) * std::size_t(out.height) * 3);
    return true;
}
