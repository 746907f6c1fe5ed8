#include "images/DecoderKit.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

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
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() /
        ("sleevit_decode_" + std::to_string(type) + "_" + std::to_string(file.size()));
    {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    }
    Decoded r;
    CFileStream in;
    if (in.Open(path.string()))
        r.ok = DecoderFor(type)(in, r.image, r.error);
    else
        r.error = "cannot open " + path.string();
    in.Close();
    std::filesystem::remove(path);
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

} // namespace kit
