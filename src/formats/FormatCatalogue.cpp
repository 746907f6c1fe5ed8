#include "formats/FormatCatalogue.h"

#include <utility>

bool CutLineList::Add(const CutLine& line)
{
    if (count >= kMaxCutLines)
        return false;
    entries[static_cast<std::size_t>(count++)] = line;
    return true;
}

bool CutLineList::Set(int k, const CutLine& line)
{
    if (k < 0 || k >= count)
        return false;
    entries[static_cast<std::size_t>(k)] = line;
    return true;
}

bool CutLineList::Remove(int k)
{
    if (k < 0 || k >= count)
        return false;
    for (int n = k; n + 1 < count; ++n)
        entries[static_cast<std::size_t>(n)] = entries[static_cast<std::size_t>(n + 1)];
    entries[static_cast<std::size_t>(--count)] = CutLine{};
    return true;
}

bool CutLineList::operator==(const CutLineList& other) const
{
    if (count != other.count)
        return false;
    for (int k = 0; k < count; ++k)
        if (!(entries[static_cast<std::size_t>(k)] == other.entries[static_cast<std::size_t>(k)]))
            return false;
    return true;
}

const CoverFormat* FormatCatalogue::Get(int i) const
{
    if (i < 0 || i >= GetCount())
        return nullptr;
    return &formats_[static_cast<std::size_t>(i)];
}

CoverFormat* FormatCatalogue::At(int i)
{
    if (i < 0 || i >= GetCount())
        return nullptr;
    return &formats_[static_cast<std::size_t>(i)];
}

std::string FormatCatalogue::GetName(int i) const
{
    const CoverFormat* f = At(i);
    return f ? f->name : std::string();
}

void FormatCatalogue::SetName(int i, const std::string& name)
{
    if (CoverFormat* f = At(i))
        f->name = name;
}

std::string FormatCatalogue::GetType(int i) const
{
    const CoverFormat* f = At(i);
    return f ? f->type : std::string();
}

void FormatCatalogue::SetType(int i, const std::string& type)
{
    if (CoverFormat* f = At(i))
        f->type = type;
}

const CoverKindTraits& FormatCatalogue::GetTraits(int i) const
{
    const CoverFormat* f = At(i);
    return f ? f->Traits() : TraitsOf(CoverKind::Custom);
}

std::string FormatCatalogue::GetTypeName(int n)
{
    const auto kinds = CoverKinds();
    if (n < 0 || n >= static_cast<int>(kinds.size()))
        return std::string();
    return kinds[static_cast<std::size_t>(n)].word;
}

bool FormatCatalogue::GetLabel(int i) const
{
    const CoverFormat* f = At(i);
    return f && f->label;
}

void FormatCatalogue::SetLabel(int i, bool label)
{
    if (CoverFormat* f = At(i))
        f->label = label;
}

bool FormatCatalogue::GetAutodetect(int i) const
{
    const CoverFormat* f = At(i);
    return f && f->autodetect;
}

void FormatCatalogue::SetAutodetect(int i, bool on)
{
    if (CoverFormat* f = At(i))
        f->autodetect = on;
}

double FormatCatalogue::GetHoleSize(int i) const
{
    const CoverFormat* f = At(i);
    return f ? f->holeSize : 0.0;
}

void FormatCatalogue::SetHoleSize(int i, double size)
{
    if (CoverFormat* f = At(i))
        f->holeSize = size;
}

double FormatCatalogue::GetPaperWidth(int i) const
{
    const CoverFormat* f = At(i);
    return f ? f->paperSize.width : 0.0;
}

double FormatCatalogue::GetPaperHeight(int i) const
{
    const CoverFormat* f = At(i);
    return f ? f->paperSize.height : 0.0;
}

void FormatCatalogue::SetPaperWidth(int i, double width)
{
    if (CoverFormat* f = At(i))
        f->paperSize.width = width;
}

void FormatCatalogue::SetPaperHeight(int i, double height)
{
    if (CoverFormat* f = At(i))
        f->paperSize.height = height;
}

bool FormatCatalogue::HasSpine(int i) const
{
    const CoverFormat* f = At(i);
    return f && f->spine != kNoSpine;
}

double FormatCatalogue::GetSpine(int i) const
{
    const CoverFormat* f = At(i);
    return f ? f->spine : 0.0;
}

void FormatCatalogue::SetSpine(int i, double spine)
{
    if (CoverFormat* f = At(i))
        f->spine = spine;
}

bool FormatCatalogue::HasSize(int i) const
{
    const CoverFormat* f = At(i);
    return f && f->hasSize;
}

FormatCatalogue::Placement FormatCatalogue::GetPlacement(int i, bool second, bool applyCalibration) const
{
    const CoverFormat* f = At(i);
    return f != nullptr ? PlacementOf(*f, second, applyCalibration) : Placement{};
}

FormatCatalogue::Placement FormatCatalogue::PlacementOf(const CoverFormat& format, bool second,
                                                        bool applyCalibration) const
{
    Placement p;
    const PointMm& pos = second ? format.position2 : format.position;
    p.x = pos.x;
    p.y = pos.y;
    p.width = format.size.width;
    p.height = format.size.height;
    p.holeSize = format.holeSize;
    if (applyCalibration) {
        // Only the automatic value is spared; a mirror marker is offset like any number.
        if (p.x != kAutoPosition)
            p.x += calibrateX_;
        if (p.y != kAutoPosition)
            p.y += calibrateY_;
    }
    return p;
}

void FormatCatalogue::SetPlacement(int i, bool second, const Placement& placement)
{
    CoverFormat* f = At(i);
    if (f == nullptr)
        return;
    PointMm& pos = second ? f->position2 : f->position;
    pos = {placement.x, placement.y};
    f->size = {placement.width, placement.height};
    f->hasSize = true;
    f->holeSize = placement.holeSize;
}

double FormatCatalogue::GetAspectRatio(int i) const
{
    const CoverFormat* f = At(i);
    if (f == nullptr)
        return 0.0;
    if (f->detectRatio.width != 0.0)
        return f->detectRatio.height / f->detectRatio.width;
    if (f->size.width != 0.0)
        return f->size.height / f->size.width;
    return 0.0;
}

SizeMm FormatCatalogue::GetDetectRatio(int i) const
{
    const CoverFormat* f = At(i);
    return f ? f->detectRatio : SizeMm{};
}

void FormatCatalogue::SetDetectRatio(int i, SizeMm ratio)
{
    if (CoverFormat* f = At(i))
        f->detectRatio = ratio;
}

int FormatCatalogue::GetLineCount(int i) const
{
    const CoverFormat* f = At(i);
    return f ? f->lines.count : 0;
}

int FormatCatalogue::GetRectCount(int i) const
{
    const CoverFormat* f = At(i);
    return f ? f->rects.count : 0;
}

static bool GetEntry(const CutLineList* list, int k, double& x1, double& y1, double& x2, double& y2)
{
    if (list == nullptr || k < 0 || k >= list->count)
        return false;
    const CutLine& e = list->entries[static_cast<std::size_t>(k)];
    x1 = e.x1;
    y1 = e.y1;
    x2 = e.x2;
    y2 = e.y2;
    return e.solid;
}

bool FormatCatalogue::GetLine(int i, int k, double& x1, double& y1, double& x2, double& y2) const
{
    const CoverFormat* f = At(i);
    return GetEntry(f ? &f->lines : nullptr, k, x1, y1, x2, y2);
}

bool FormatCatalogue::GetRect(int i, int k, double& x1, double& y1, double& x2, double& y2) const
{
    const CoverFormat* f = At(i);
    return GetEntry(f ? &f->rects : nullptr, k, x1, y1, x2, y2);
}

bool FormatCatalogue::AddLine(int i, const CutLine& line)
{
    CoverFormat* f = At(i);
    return f && f->lines.Add(line);
}

bool FormatCatalogue::AddRect(int i, const CutLine& rect)
{
    CoverFormat* f = At(i);
    return f && f->rects.Add(rect);
}

bool FormatCatalogue::SetCutLine(int i, bool rect, int k, const CutLine& line)
{
    CoverFormat* f = At(i);
    return f && (rect ? f->rects : f->lines).Set(k, line);
}

bool FormatCatalogue::RemoveCutLine(int i, bool rect, int k)
{
    CoverFormat* f = At(i);
    return f && (rect ? f->rects : f->lines).Remove(k);
}

bool FormatCatalogue::HasRemap(int i) const
{
    const CoverFormat* f = At(i);
    return f && f->remap != -1;
}

int FormatCatalogue::GetRemap(int i) const
{
    const CoverFormat* f = At(i);
    return f ? f->remap : -1;
}

void FormatCatalogue::SetRemap(int i, int target)
{
    if (CoverFormat* f = At(i))
        f->remap = (target >= 0 && target < GetCount()) ? target : -1;
}

int FormatCatalogue::FindByType(const std::string& type) const
{
    for (int i = 0; i < GetCount(); ++i)
        if (formats_[static_cast<std::size_t>(i)].type == type)
            return i;
    return -1;
}

void FormatCatalogue::AddFormat(const std::string& name)
{
    CoverFormat f;
    f.name = name;
    f.size = {100.0, 100.0};
    f.hasSize = true;
    // The editor's formats have no paper of their own; 0.0 says so.
    f.paperSize = {0.0, 0.0};
    f.autodetect = true;
    f.spine = 0.0;
    formats_.push_back(std::move(f));
}

void FormatCatalogue::CopyFormat(const std::string& name, int i)
{
    const CoverFormat* f = At(i);
    if (f == nullptr)
        return;
    CoverFormat copy = *f;
    copy.name = name;
    formats_.push_back(std::move(copy));
}

void FormatCatalogue::RemoveFormat(int i)
{
    if (At(i) == nullptr)
        return;
    formats_.erase(formats_.begin() + i);
    for (CoverFormat& f : formats_) {
        if (f.remap == i)
            f.remap = -1;
        else if (f.remap > i)
            --f.remap;
    }
}

void FormatCatalogue::SwapFormats(int i, int j)
{
    if (At(i) == nullptr || At(j) == nullptr || i == j)
        return;
    std::swap(formats_[static_cast<std::size_t>(i)], formats_[static_cast<std::size_t>(j)]);
    for (CoverFormat& f : formats_) {
        if (f.remap == i)
            f.remap = j;
        else if (f.remap == j)
            f.remap = i;
    }
}

void FormatCatalogue::TakeBackup()
{
    backup_ = formats_;
}

void FormatCatalogue::RestoreBackup()
{
    formats_ = backup_;
}

void FormatCatalogue::Clear()
{
    formats_.clear();
    backup_.clear();
    calibrateX_ = calibrateY_ = 0.0;
}
