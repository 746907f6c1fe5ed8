#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The text of a metafile's text records as Unicode.

// The character set of a font that holds symbols rather than letters.
inline constexpr int kSymbolCharset = 2;

// 8-bit text in the character set its font names: the Windows code page of that set
// (Western, Central European, Cyrillic, Greek, Turkish, Baltic, Hebrew, Arabic,
// Vietnamese, Thai, and the two-byte Japanese, Korean and Chinese ones), the symbol
// set's Greek letters and signs for the symbol set, and Western for any other set.
// A byte sequence the set does not define becomes U+FFFD. advances, when given with one
// entry a byte, ends with one a character: those of a two-byte character added up.
std::u32string DecodeMetafileBytes(const std::uint8_t* bytes, std::size_t count, int charset,
                                   std::vector<double>* advances = nullptr);

// Little-endian 16-bit units (units * 2 bytes), surrogate pairs joined; a unit that
// cannot stand alone becomes U+FFFD. advances as above, one entry a unit.
std::u32string DecodeMetafileUtf16(const std::uint8_t* bytes, std::size_t units,
                                   std::vector<double>* advances = nullptr);

// A font's family name as UTF-8: up to the first NUL, control characters dropped.
std::string FaceNameToUtf8(const std::u32string& name);
