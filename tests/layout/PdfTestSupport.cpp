#include "PdfTestSupport.h"

#include "RunProgram.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <jpeglib.h>

SurfaceColour PagePicture::At(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width || y >= height)
        return 0xFFFFFFFFu;
    const std::uint8_t* p = rgb.data() + (std::size_t(y) * std::size_t(width) + std::size_t(x)) * 3;
    return RgbColour(p[0], p[1], p[2]);
}

namespace {

// A binary PPM (P6, maxval 255) as pdftoppm writes it.
bool ReadPpm(const std::string& path, PagePicture& pic)
{
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int maxval = 0;
    if (!(in >> magic >> pic.width >> pic.height >> maxval) || magic != "P6" || maxval != 255 ||
        pic.width <= 0 || pic.height <= 0 || pic.width > 20000 || pic.height > 20000)
        return false;
    in.get();
    pic.rgb.resize(std::size_t(pic.width) * std::size_t(pic.height) * 3);
    in.read(reinterpret_cast<char*>(pic.rgb.data()), std::streamsize(pic.rgb.size()));
    return bool(in);
}

} // namespace

std::vector<PagePicture> RasterisePdf(const std::string& pdf, int dpi, const std::string& scratchFolder)
{
    std::vector<PagePicture> pages;
    const std::string prefix = scratchFolder + "/page";
    const std::string cmd = "pdftoppm -r " + std::to_string(dpi) + " \"" + pdf + "\" \"" + prefix + "\" 2>&1";
    if (RunProgram(cmd).status != 0)
        return pages;
    std::vector<std::string> files;
    for (const auto& e : std::filesystem::directory_iterator(scratchFolder)) {
        const std::string name = e.path().filename().string();
        if (name.rfind("page-", 0) == 0 && e.path().extension() == ".ppm")
            files.push_back(e.path().string());
    }
    std::sort(files.begin(), files.end());
    for (const auto& f : files) {
        PagePicture pic;
        if (ReadPpm(f, pic))
            pages.push_back(std::move(pic));
        std::filesystem::remove(f);
    }
    return pages;
}

std::vector<PdfImageRow> ListPdfImages(const std::string& pdf)
{
    std::vector<PdfImageRow> rows;
    const ProgramResult listed = RunProgram("pdfimages -list \"" + pdf + "\"");
    if (listed.status != 0)
        return rows;
    std::istringstream lines(listed.out);
    std::string line;
    // page num type width height color comp bpc enc interp object ID ...
    while (std::getline(lines, line)) {
        std::istringstream f(line);
        PdfImageRow r;
        int num = 0, comp = 0, bpc = 0;
        std::string color, interp;
        if (f >> r.page >> num >> r.type >> r.width >> r.height >> color >> comp >> bpc >> r.encoding >>
            interp >> r.object)
            rows.push_back(r);
    }
    return rows;
}

bool WriteJpegFile(const std::string& path, int w, int h,
                   const std::function<SurfaceColour(int, int)>& colour, int quality, int exifOrientation)
{
    FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr)
        return false;
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, out);
    cinfo.image_width = JDIMENSION(w);
    cinfo.image_height = JDIMENSION(h);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    if (exifOrientation >= 1 && exifOrientation <= 8) {
        // "Exif\0\0", a big-endian TIFF header, one directory with the orientation tag (SHORT, 1).
        std::uint8_t exif[] = "Exif\0\0MM\0\x2a\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0?\0\0\0\0\0";
        exif[25] = std::uint8_t(exifOrientation);
        jpeg_write_marker(&cinfo, JPEG_APP0 + 1, exif, sizeof exif);
    }
    std::vector<std::uint8_t> row(std::size_t(w) * 3);
    while (cinfo.next_scanline < cinfo.image_height) {
        const int y = int(cinfo.next_scanline);
        for (int x = 0; x < w; ++x) {
            const SurfaceColour c = colour(x, y);
            row[3 * std::size_t(x)] = std::uint8_t(c);
            row[3 * std::size_t(x) + 1] = std::uint8_t(c >> 8);
            row[3 * std::size_t(x) + 2] = std::uint8_t(c >> 16);
        }
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&cinfo, &r, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return std::fclose(out) == 0;
}

int ColourDistance(SurfaceColour a, SurfaceColour b)
{
    int d = 0;
    for (int s = 0; s < 24; s += 8)
        d = std::max(d, std::abs(int((a >> s) & 0xFF) - int((b >> s) & 0xFF)));
    return d;
}
