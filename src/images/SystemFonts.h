#pragma once

#include <optional>
#include <string>

// Finds the installed font file that best stands for a font a document names: the
// family itself, a metric-compatible or similar family the system knows for it, or the
// system's default sans-serif font (DejaVu Sans on a standard installation).
struct FontFile {
    std::string path;
    int index = 0; // face within a collection file
};

// weight: 100 thin .. 400 normal .. 700 bold .. 900 black. Answers are remembered for
// the life of the process (a bounded number of them); safe to call from any thread.
// Empty only when the system has no font at all.
std::optional<FontFile> FindSystemFont(const std::string& family, int weight, bool italic);
