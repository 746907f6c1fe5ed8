#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The language file format: lines "dddd=text" (the key as four decimal digits, the
// equals sign right behind it). An entry is found by searching the whole file text for
// its key and equals sign, the first occurrence winning, wherever it stands: section
// headers and comment lines mean nothing of their own. In a text, "\r", "\t" and "\n"
// stand for a carriage return, a tab and a line feed; trailing white space is dropped.

// Language files are a few kilobytes; a larger one is refused as unreadable, which
// bounds the memory that one text per key (each up to the end of its line) can take.
inline constexpr std::size_t kMaxLanguageFileBytes = 256u * 1024u;

// What a file gives each key of the catalogue, by catalogue position.
struct LanguageEntries {
    std::vector<std::string> texts; // "" for a key without an entry
    std::vector<bool> present;      // the file holds the key's "dddd=" somewhere
};

// The entries of a file text as ReadTextFile gives it (UTF-8, every line ending in CR LF).
LanguageEntries ParseLanguageText(const std::string& text);

// The bytes of a language file; false when it cannot be read or exceeds the limit.
bool ReadLanguageFileBytes(const std::string& path, std::string& bytes);

// The translator's guide lines written around the entries: the head (32000), the
// section headers (32001 controls, 32002 menu, 32003 messages, 32004 dialogs) and the
// closing line (32005). Each starts with a line break except the head; lines are
// separated by CR LF. nullptr for another id.
const char* LanguageFileFragment(int id);

enum class LanguageFileKind {
    Language, // a language file as the program reads it
    Template, // the same for a translator to fill in, closing with the line for their name
};

// The text of a language file holding texts (by catalogue position, one per key) under
// the conventional headers, in UTF-8 with CR LF line ends. False when some text would
// not read back as it is (a backslash before r, t or n, trailing white space, another
// key's pattern inside it); text is then empty.
bool FormatLanguageFile(const std::vector<std::string>& texts, LanguageFileKind kind, std::string& text);

// The bytes to store: 8-bit text when every character fits in ISO 8859-1, else UTF-16
// little-endian after the FF FE mark.
std::string EncodeLanguageFile(const std::string& utf8);
