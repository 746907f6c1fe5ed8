#pragma once

#include <string>
#include <vector>

#include "formats/CoverFormat.h"

class CUserMessages;

// The ordered list of cover formats, in file order; formats are addressed by position.
// Operations given a position outside 0..count-1 do nothing and answer a neutral value.
class FormatCatalogue {
public:
    int GetCount() const { return static_cast<int>(formats_.size()); }
    const CoverFormat* Get(int i) const;

    std::string GetName(int i) const;
    void SetName(int i, const std::string& name);
    std::string GetType(int i) const;
    void SetType(int i, const std::string& type);
    // What the format's type word decides; Custom's for a position outside the list.
    const CoverKindTraits& GetTraits(int i) const;
    // The type word of the n-th kind in the editor's order, "" outside the list.
    static std::string GetTypeName(int n);

    bool GetLabel(int i) const;
    void SetLabel(int i, bool label);
    bool GetAutodetect(int i) const;
    void SetAutodetect(int i, bool on);
    double GetHoleSize(int i) const;
    void SetHoleSize(int i, double size);
    double GetPaperWidth(int i) const;
    double GetPaperHeight(int i) const;
    void SetPaperWidth(int i, double width);
    void SetPaperHeight(int i, double height);

    bool HasSpine(int i) const;
    double GetSpine(int i) const;
    void SetSpine(int i, double spine);
    bool HasSize(int i) const;

    struct Placement {
        double x = 0.0;
        double y = 0.0;
        double width = 0.0;
        double height = 0.0;
        double holeSize = 0.0;
    };
    // Position (left or, with second, right side), size and hole size. With
    // applyCalibration the catalogue's offsets are added to each coordinate that is not
    // automatic (-1.0).
    Placement GetPlacement(int i, bool second, bool applyCalibration) const;
    // The same for a format held outside the list, with this catalogue's offsets.
    Placement PlacementOf(const CoverFormat& format, bool second, bool applyCalibration) const;
    void SetPlacement(int i, bool second, const Placement& placement);

    // Height divided by width for detection: the detection ratio when given, else the
    // size; 0.0 when neither has a width.
    double GetAspectRatio(int i) const;
    SizeMm GetDetectRatio(int i) const;
    void SetDetectRatio(int i, SizeMm ratio);

    int GetLineCount(int i) const;
    int GetRectCount(int i) const;
    // Entry k of the format's lines or rectangles; returns its solid flag.
    bool GetLine(int i, int k, double& x1, double& y1, double& x2, double& y2) const;
    bool GetRect(int i, int k, double& x1, double& y1, double& x2, double& y2) const;
    bool AddLine(int i, const CutLine& line);
    bool AddRect(int i, const CutLine& rect);
    // Entry k of the format's rectangles (rect) or lines, replaced or removed; false
    // for a bad position.
    bool SetCutLine(int i, bool rect, int k, const CutLine& line);
    bool RemoveCutLine(int i, bool rect, int k);

    bool HasRemap(int i) const;
    int GetRemap(int i) const;
    void SetRemap(int i, int target);

    // Position of the first format whose type equals the text exactly, or -1.
    int FindByType(const std::string& type) const;

    // Appends a format with the editor's defaults.
    void AddFormat(const std::string& name);
    // Appends a deep copy of format i under a new name.
    void CopyFormat(const std::string& name, int i);
    // Removes format i. Remap targets keep pointing at the same formats: later targets
    // are renumbered, a remap to the removed format is cleared.
    void RemoveFormat(int i);
    // Exchanges two positions; remap targets follow their formats.
    void SwapFormats(int i, int j);
    void TakeBackup();
    void RestoreBackup();
    // Appends a format as it is (the reader and tests).
    void Append(CoverFormat format) { formats_.push_back(std::move(format)); }
    void Clear();

    double GetCalibrateX() const { return calibrateX_; }
    double GetCalibrateY() const { return calibrateY_; }
    void SetCalibrateX(double mm) { calibrateX_ = mm; }
    void SetCalibrateY(double mm) { calibrateY_ = mm; }
    const std::string& GetFilePath() const { return filePath_; }
    void SetFilePath(const std::string& path) { filePath_ = path; }

    // Reads Sleevit.dat into the catalogue, replacing what it held. Unknown keys are
    // reported through messages and skipped. False only when the file cannot be read
    // (after the fixed missing-file message); the catalogue is then left as it was.
    bool LoadCatalogue(const std::string& path, CUserMessages& messages);
    // The same from the file's bytes (any supported encoding); never fails.
    void LoadCatalogueBytes(const std::string& bytes, CUserMessages& messages);
    // Writes the catalogue to the file it was read from, replacing it only once the new
    // contents are safely on disk. False when nothing could be written; the old file is
    // then untouched.
    bool SaveCatalogue() const;
    bool SaveCatalogueAs(const std::string& path) const;
    // The normalised file contents as UTF-8 text with CR LF line ends.
    std::string CatalogueText() const;
    // The bytes a text is written as: 8-bit when every character has an 8-bit form,
    // else UTF-16 little-endian after FF FE.
    static std::string EncodeForFile(const std::string& text);

private:
    CoverFormat* At(int i);
    const CoverFormat* At(int i) const { return Get(i); }

    std::vector<CoverFormat> formats_;
    std::vector<CoverFormat> backup_;
    std::string filePath_;
    double calibrateX_ = 0.0;
    double calibrateY_ = 0.0;
};
