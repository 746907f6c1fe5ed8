#include "layout/PngWriter.h"

#include <csetjmp>
#include <cstdio>
#include <vector>

#include <png.h>

#include "formats/AtomicFile.h"
#include "surfaces/RasterSurface.h"

namespace {
// libpng reports errors by longjmp; nothing here owns memory across the jump.
bool WriteRows(std::FILE* file, const CRasterSurface& surface, int dpi)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr)
        return false;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    std::vector<png_byte> row(static_cast<std::size_t>(surface.Width()) * 3);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(surface.Width()),
                 static_cast<png_uint_32>(surface.Height()), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    const png_uint_32 perMetre = static_cast<png_uint_32>(dpi / 0.0254 + 0.5);
    png_set_pHYs(png, info, perMetre, perMetre, PNG_RESOLUTION_METER);
    png_set_compression_level(png, 6);
    png_write_info(png, info);
    for (int y = 0; y < surface.Height(); ++y) {
        const std::uint32_t* src = surface.Row(y);
        for (int x = 0; x < surface.Width(); ++x) {
            row[3 * std::size_t(x)] = static_cast<png_byte>(src[x] >> 16);
            row[3 * std::size_t(x) + 1] = static_cast<png_byte>(src[x] >> 8);
            row[3 * std::size_t(x) + 2] = static_cast<png_byte>(src[x]);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}
} // namespace

bool WritePng(const CRasterSurface& surface, std::FILE* file, int dpi)
{
    return surface.IsValid() && file != nullptr && WriteRows(file, surface, dpi) && std::fflush(file) == 0;
}

bool WritePng(const CRasterSurface& surface, const std::string& path, int dpi)
{
    CAtomicOutput output;
    if (!surface.IsValid() || !output.Open(path))
        return false;
    if (!WritePng(surface, output.File(), dpi)) {
        output.Discard();
        return false;
    }
    return output.Commit();
}
