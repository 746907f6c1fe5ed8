#include "images/DecoderKit.h"

#include <cstdio>
#include <fstream>
#include <iterator>

#include <jpeglib.h>
#include <zlib.h>

#include "ScratchFolder.h"
#include "images/ByteStream.h"
#include "images/DecoderTable.h"

namespace kit {

Decoded Decode(int type, const Bytes& file, std::size_t skip)
{
    Decoded r;
    CMemoryStream in(file.data(), file.size());
    if (skip > 0 && !in.Seek(skip)) {
        r.error = "cannot seek";
        return r;
    }
    r.ok = DecoderFor(type)(in, r.image, r.error);
    return r;
}

Decoded DecodeFromFile(int type, const Bytes& file)
{
    const ScratchFolder folder;
    Decoded r;
    CFileStream in;
    if (!in.Open(folder.Write("picture", std::string(file.begin(), file.end()))))
        r.error = "cannot open the file written";
    else
        r.ok = DecoderFor(type)(in, r.image, r.error);
    return r;
}

std::vector<std::uint32_t> Colours(const PixelBlock& p)
{
    std::vector<std::uint32_t> out;
    for (std::int32_t y = p.Height() - 1; y >= 0; --y) {
        for (std::int32_t x = 0; x < p.Width(); ++x) {
            const std::uint32_t c = p.GetColour(x, y); // 0x00BBGGRR
            out.push_back(((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF));
        }
    }
    return out;
}

std::vector<std::uint32_t> Indices(const PixelBlock& p)
{
    std::vector<std::uint32_t> out;
    for (std::int32_t y = p.Height() - 1; y >= 0; --y)
        for (std::int32_t x = 0; x < p.Width(); ++x)
            out.push_back(p.GetPixel(x, y));
    return out;
}

std::uint32_t RgbCrc32(const PixelBlock& p)
{
    Bytes rgb;
    for (const std::uint32_t c : Colours(p))
        rgb.insert(rgb.end(), {std::uint8_t(c >> 16), std::uint8_t(c >> 8), std::uint8_t(c)});
    return std::uint32_t(crc32(crc32(0L, Z_NULL, 0), rgb.data(), uInt(rgb.size())));
}

std::string Fingerprint(const std::vector<std::uint32_t>& values)
{
    std::uint32_t h = 2166136261u; // FNV-1a over the low three bytes of each value
    for (const std::uint32_t v : values) {
        for (int shift = 0; shift < 24; shift += 8)
            h = (h ^ ((v >> shift) & 0xFF)) * 16777619u;
    }
    char text[16];
    std::snprintf(text, sizeof text, "fnv=%08x", static_cast<unsigned>(h));
    return text;
}

std::string Describe(const std::vector<std::uint32_t>& colours)
{
    std::string s;
    char hex[8];
    for (const std::uint32_t c : colours) {
        std::snprintf(hex, sizeof hex, "%06x", static_cast<unsigned>(c));
        s += s.empty() ? hex : std::string(" ") + hex;
    }
    return s;
}

Bytes ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::vector<std::uint32_t> LibjpegColours(const Bytes& file)
{
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, file.data(), static_cast<unsigned long>(file.size()));
    std::vector<std::uint32_t> out;
    if (jpeg_read_header(&cinfo, TRUE) == JPEG_HEADER_OK) {
        cinfo.out_color_space = JCS_RGB;
        jpeg_start_decompress(&cinfo);
        Bytes row(std::size_t(cinfo.output_width) * 3);
        while (cinfo.output_scanline < cinfo.output_height) {
            JSAMPROW rows[1] = {row.data()};
            jpeg_read_scanlines(&cinfo, rows, 1);
            for (std::size_t i = 0; i < row.size(); i += 3)
                out.push_back(std::uint32_t(row[i]) << 16 | std::uint32_t(row[i + 1]) << 8 | row[i + 2]);
        }
        jpeg_finish_decompress(&cinfo);
    }
    jpeg_destroy_decompress(&cinfo);
    return out;
}

} // namespace kit
