#include "formats/CoverKind.h"

#include <array>

namespace {

using B = BandRule;
// clang-format off
constexpr std::array<CoverKindTraits, 8> kKinds{{
    // kind                  word            bands             spine  tray   paper  middle borrow sideways
    {CoverKind::Dvd,         "DVD",          B::Whole,         false, false, false, false, false, true},
    {CoverKind::SlimlineDvd, "SLIMLINE_DVD", B::FaceSpineFace, true,  false, false, false, false, false},
    {CoverKind::Photo,       "PHOTO",        B::Whole,         false, false, false, false, false, false},
    {CoverKind::PhotoZoomed, "PHOTO_ZOOMED", B::ZoomedRows,    false, false, false, false, false, false},
    {CoverKind::PlayStation, "PLAYSTATION",  B::SideBands,     false, false, false, false, true,  false},
    {CoverKind::CdFront,     "CD_FRONT",     B::Whole,         false, false, false, true,  false, false},
    {CoverKind::CdTray,      "CD_TRAY",      B::Whole,         false, true,  true,  false, false, false},
    {CoverKind::Custom,      "CUSTOM",       B::Whole,         false, false, false, false, false, false},
}};
// clang-format on

} // namespace

std::span<const CoverKindTraits> CoverKinds()
{
    return kKinds;
}

const CoverKindTraits& TraitsOf(CoverKind kind)
{
    for (const CoverKindTraits& t : kKinds)
        if (t.kind == kind)
            return t;
    return kKinds.back();
}

const CoverKindTraits& TraitsOfWord(const std::string& word)
{
    for (const CoverKindTraits& t : kKinds)
        if (word == t.word)
            return t;
    return TraitsOf(CoverKind::Custom);
}
