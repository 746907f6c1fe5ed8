#include "PdfTestSupport.h"

#include "RunProgram.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

SurfaceColour PagePicture::At(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width || y >= height)
        return 0xFFFFFFFFu;
    const std::uint8_t* p = rgb.data() + (std::size_t(y) * std::size_t(width) + std::size_t(x)) * 3;
    return RgbColour(p[0], p[1], p[2]);
}

namespace {

// One binary PPM (P6, maxval 255) of the ones pdftoppm writes one after another.
bool ReadPpm(std::istream& in, PagePicture& pic)
{
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

std::vector<PagePicture> RasterisePdf(const std::string& pdf, int dpi)
{
    std::vector<PagePicture> pages;
    const ProgramResult r = RunProgram("pdftoppm -r " + std::to_string(dpi) + " \"" + pdf + "\"");
    std::istringstream in(r.out);
    for (PagePicture pic; r.status == 0 && ReadPpm(in, pic); pic = PagePicture())
        pages.push_back(std::move(pic));
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

int ColourDistance(SurfaceColour a, SurfaceColour b)
{
    int d = 0;
    for (int s = 0; s < 24; s += 8)
        d = std::max(d, std::abs(int((a >> s) & 0xFF) - int((b >> s) & 0xFF)));
    return d;
}
