#pragma once

#include <string>

// Conversions between the encodings of the program's text files and the UTF-8 it
// works in.

// Each byte is the character of the same code (ISO 8859-1).
std::string Latin1ToUtf8(const std::string& bytes);
// Little-endian 16-bit units, surrogate pairs joined; a unit that cannot stand alone
// becomes U+FFFD. An odd last byte is ignored.
std::string Utf16LeToUtf8(const std::string& bytes);
// True when every character of a UTF-8 text is at most U+00FF, with the 8-bit form in out.
bool Utf8ToLatin1(const std::string& utf8, std::string& out);
// Little-endian 16-bit units, with no byte-order mark.
std::string Utf8ToUtf16Le(const std::string& utf8);

// The text with every byte that is not part of a well-formed UTF-8 character replaced by
// U+FFFD: file names from an older 8-bit system, shown or handed to libraries that
// insist on UTF-8.
std::string ValidUtf8(const std::string& bytes);
