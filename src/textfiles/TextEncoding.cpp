#include "textfiles/TextEncoding.h"

#include <cstdint>

static void AppendUtf8(std::string& out, std::uint32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Reads one code point from UTF-8 at pos and advances; malformed bytes give U+FFFD.
static std::uint32_t NextCodePoint(const std::string& s, std::size_t& pos)
{
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(s[i]); };
    const std::uint8_t b0 = byte(pos);
    int extra = 0;
    std::uint32_t cp = 0;
    if (b0 < 0x80) {
        ++pos;
        return b0;
    } else if ((b0 & 0xE0) == 0xC0) {
        extra = 1;
        cp = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        extra = 2;
        cp = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        extra = 3;
        cp = b0 & 0x07;
    } else {
        ++pos;
        return 0xFFFD;
    }
    // The sequence's last byte must lie inside the text.
    if (pos + static_cast<std::size_t>(extra) >= s.size()) {
        pos = s.size();
        return 0xFFFD;
    }
    for (int i = 1; i <= extra; ++i) {
        const std::uint8_t b = byte(pos + static_cast<std::size_t>(i));
        if ((b & 0xC0) != 0x80) {
            pos += static_cast<std::size_t>(i);
            return 0xFFFD;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    pos += static_cast<std::size_t>(extra) + 1;
    return cp;
}

std::string Latin1ToUtf8(const std::string& bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes)
        AppendUtf8(out, static_cast<std::uint8_t>(c));
    return out;
}

std::string Utf16LeToUtf8(const std::string& bytes)
{
    std::string out;
    out.reserve(bytes.size());
    const std::size_t units = bytes.size() / 2;
    const auto unit = [&](std::size_t i) {
        return static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[2 * i])) |
               (static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[2 * i + 1])) << 8);
    };
    for (std::size_t i = 0; i < units; ++i) {
        const std::uint32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units) {
            const std::uint32_t low = unit(i + 1);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        AppendUtf8(out, (u >= 0xD800 && u <= 0xDFFF) ? 0xFFFD : u);
    }
    return out;
}

bool Utf8ToLatin1(const std::string& utf8, std::string& out)
{
    out.clear();
    out.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        const std::uint32_t cp = NextCodePoint(utf8, pos);
        if (cp > 0xFF)
            return false;
        out += static_cast<char>(cp);
    }
    return true;
}

std::string Utf8ToUtf16Le(const std::string& utf8)
{
    std::string out;
    out.reserve(utf8.size() * 2);
    const auto put = [&](std::uint32_t u) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>((u >> 8) & 0xFF);
    };
    for (std::size_t pos = 0; pos < utf8.size();) {
        const std::uint32_t cp = NextCodePoint(utf8, pos);
        if (cp >= 0x10000) {
            put(0xD800 + ((cp - 0x10000) >> 10));
            put(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            put(cp);
        }
    }
    return out;
}

std::string ValidUtf8(const std::string& bytes)
{
    std::string out;
    out.reserve(bytes.size());
    const std::size_t n = bytes.size();
    std::size_t i = 0;
    while (i < n) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        std::size_t len = 0;
        unsigned lowest = 0; // the smallest code of that length, to refuse overlong forms
        if (b < 0x80)
            len = 1;
        else if (b >= 0xC2 && b <= 0xDF)
            len = 2, lowest = 0x80;
        else if (b >= 0xE0 && b <= 0xEF)
            len = 3, lowest = 0x800;
        else if (b >= 0xF0 && b <= 0xF4)
            len = 4, lowest = 0x10000;
        bool ok = len > 0 && i + len <= n;
        unsigned code = len == 1 ? b : (b & (0x7Fu >> len));
        for (std::size_t k = 1; ok && k < len; ++k) {
            const auto c = static_cast<unsigned char>(bytes[i + k]);
            ok = (c & 0xC0) == 0x80;
            code = (code << 6) | (c & 0x3Fu);
        }
        // Surrogates and codes past U+10FFFF are not characters.
        ok = ok && code >= lowest && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF);
        if (ok) {
            out.append(bytes, i, len);
            i += len;
        } else {
            out += "\xEF\xBF\xBD";
            ++i;
        }
    }
    return out;
}
