#pragma once

// Pictures the benchmarks write for themselves.
#include <cstdio>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace bench {

// A picture with detail everywhere (so that it compresses like a photograph, not like a
// flat colour), different for every seed.
inline bool WriteJpeg(const std::string& path, int w, int h, unsigned seed, int quality)
{
    FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr)
        return false;
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    jpeg_stdio_dest(&c, out);
    c.image_width = JDIMENSION(w);
    c.image_height = JDIMENSION(h);
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, quality, TRUE);
    jpeg_start_compress(&c, TRUE);
    std::vector<unsigned char> row(std::size_t(w) * 3);
    unsigned noise = seed * 2654435761u + 1;
    while (c.next_scanline < c.image_height) {
        const unsigned y = c.next_scanline;
        for (int x = 0; x < w; ++x) {
            noise = noise * 1664525u + 1013904223u;
            const unsigned n = (noise >> 24) & 0x1F;
            row[3 * std::size_t(x)] = static_cast<unsigned char>((x * 255 / w + seed * 37 + n) & 0xFF);
            row[3 * std::size_t(x) + 1] = static_cast<unsigned char>((y * 255 / unsigned(h) + n) & 0xFF);
            row[3 * std::size_t(x) + 2] = static_cast<unsigned char>(((x / 64 + y / 64) % 2 ? 200 : 60) + n);
        }
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    return std::fclose(out) == 0;
}

} // namespace bench
