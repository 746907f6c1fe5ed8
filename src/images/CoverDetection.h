#pragma once

#include <functional>
#include <string>
#include <vector>

class CRasterImage;
class CUserMessages;
class FormatCatalogue;

// The type code a file's extension asks for (BMP, GIF, JPEG, PNG), or
// kUnsupportedImageType for any other extension or none.
inline constexpr int kUnsupportedImageType = 99999;
int ImageTypeFromPath(const std::string& path);

// Chooses a cover format by the picture's proportions among the formats that take part
// in detection, and turns a sideways front + inside cover or DVD sleeve upright (asking
// first when autoRotate is off). Returns a catalogue position, the chosen format's remap
// target when it has one, or -1 for an empty catalogue.
int DetectFormat(CRasterImage& image, const FormatCatalogue& catalogue, bool autoRotate,
                 CUserMessages& messages);

// The keyword pairs that lead from a front cover's file name to its back cover's.
struct CompanionKeywords {
    std::vector<std::string> front{"front", "front + inside", "-f"};
    std::vector<std::string> back{"back", "back", "-b"};
};

// The back-cover paths to try for a front cover, in order: for each keyword pair whose
// front keyword occurs (in any letter case) in the file name, the path with every
// occurrence of that spelling replaced by the back keyword.
std::vector<std::string> CompanionCandidates(const std::string& path, const CompanionKeywords& keywords = {});

// The first candidate that is an existing regular file, or "" when none. Candidates
// are only looked at, never opened, so a named pipe cannot stop the caller.
std::string FindCompanion(const std::string& path, const CompanionKeywords& keywords = {});

// The folder of a path without a trailing "/", or "" when the path names no folder.
std::string FolderOfPath(const std::string& path);
// The file name of a path: everything after the last "/".
std::string FileNameOfPath(const std::string& path);
