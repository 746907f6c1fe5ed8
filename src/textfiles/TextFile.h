#pragma once

#include <string>

// The program's one text-file loader (catalogue, language files, skins, release notes).
// A file that starts with FF FE is UTF-16 little-endian; any other is 8-bit text, one
// character per byte (ISO 8859-1). The text comes back as UTF-8 in which every line,
// the last one included, ends in CR LF: each CR and LF of a line is removed and CR LF
// appended, so LF alone, CR LF and CR CR LF all end a line. False when the file cannot
// be read (text is then empty).
bool ReadTextFile(const std::string& path, std::string& text);

// The same for a file's bytes already in memory.
std::string DecodeTextBytes(const std::string& bytes);

// Files above this size are refused rather than read into memory.
inline constexpr std::size_t kMaxTextFileBytes = 64u * 1024u * 1024u;
