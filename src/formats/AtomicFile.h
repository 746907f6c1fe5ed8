#pragma once

#include <string>

// Replaces a file's contents so that a crash or a full disk never leaves it half
// written: the bytes go to a new file in the same folder, are flushed to disk, and the
// new file is then renamed over the old one. False on any failure; the old file is
// then untouched and no temporary file is left behind.
bool WriteFileAtomically(const std::string& path, const std::string& bytes);
