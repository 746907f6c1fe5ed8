#include "skins/Skin.h"

#include <ctime>
#include <random>
#include <utility>

#include "images/ImageDecoder.h"
#include "skins/SkinFolders.h"

namespace {

const BuiltInSkin kBuiltIn[] = {
    {"IDJ_ANIME_GIRL", {192, 30}, "IDG_LEFTOVERLAY", {182, 33}, "IDJ_WHEELS", kDefaultSkinColour},
    {"IDJ_ANOTHER_ANIME_GIRL",
     {196, 35},
     "IDG_ANOTHER_LEFTOVERLAY",
     {186, 150},
     "IDJ_WHEELS",
     kDefaultSkinColour},
};

CRasterImage* IfValid(CRasterImage& image)
{
    return image.IsValid() ? &image : nullptr;
}

} // namespace

const BuiltInSkin& BuiltInSkinAt(int index)
{
    return kBuiltIn[index == kSkinAlternative ? 1 : 0];
}

std::uint32_t SkinDrawForSecond(std::int64_t seconds)
{
    // A fresh generator per draw, seeded with the second: a pure function of the clock.
    std::mt19937 generator(static_cast<std::uint32_t>(seconds));
    return static_cast<std::uint32_t>(generator());
}

SkinRandom ClockSeededSkinRandom()
{
    return [] { return SkinDrawForSecond(static_cast<std::int64_t>(std::time(nullptr))); };
}

CSkinManager::CSkinManager(std::string programFolder, SkinRandom random)
    : programFolder_(std::move(programFolder)), random_(std::move(random))
{
    if (!random_)
        random_ = ClockSeededSkinRandom();
}

void CSkinManager::ListFolders()
{
    SetFolders(ListSkinFolders(SkinsFolderOf(programFolder_)));
}

void CSkinManager::SetFolders(std::vector<std::string> names)
{
    if (names.size() > kMaxSkinFolders)
        names.resize(kMaxSkinFolders);
    skin_.skinFolders = std::move(names);
}

bool CSkinManager::ChooseAtStartup(int storedSelectedSkin, bool firstRunOfVersion)
{
    int selected = storedSelectedSkin;
    if (selected < kSkinRandom || selected > FolderCount() + 1)
        selected = kSkinRandom;
    skin_.selectedSkin = selected;
    const bool applied = firstRunOfVersion ? ApplyRandomSkin() : ApplySkin(selected);
    if (applied)
        return true;
    // The chosen folder skin cannot be read: show the Default skin rather than a bare
    // view. A remembered Random stays Random; a broken folder choice becomes Default,
    // so that the check mark matches what is shown.
    ApplyBuiltIn(kSkinDefault);
    if (firstRunOfVersion || selected == kSkinRandom)
        skin_.selectedSkin = kSkinRandom;
    return true;
}

bool CSkinManager::ApplySkin(int index)
{
    if (index == kSkinRandom)
        return ApplyRandomSkin();
    if (index == kSkinDefault || index == kSkinAlternative)
        return ApplyBuiltIn(index);
    // Any other value names the folder skin k = index - 2; one below -1 names none.
    return ApplyFolder(index - kFirstFolderSkin);
}

bool CSkinManager::ApplyRandomSkin()
{
    const auto count = static_cast<std::uint32_t>(FolderCount()) + 2u; // at most kMaxSkinFolders + 2
    const auto pick = static_cast<int>(random_() % count);
    const bool applied = ApplySkin(pick);
    skin_.selectedSkin = kSkinRandom;
    return applied;
}

bool CSkinManager::ApplyBuiltIn(int index)
{
    const BuiltInSkin& b = BuiltInSkinAt(index);
    skin_.selectedSkin = index;
    skin_.mainPosition = b.mainPosition;
    skin_.leftOverlayPosition = b.leftOverlayPosition;
    skin_.backgroundColour = b.backgroundColour;
    // A resource that fails to decode leaves the picture as it was.
    skin_.mainPicture.LoadResource(b.mainPicture, kImageJpeg);
    skin_.leftOverlay.LoadResource(b.leftOverlay, kImageGif);
    skin_.paperBackground.LoadResource(b.paperBackground, kImageJpeg);
    return true;
}

bool CSkinManager::ApplyFolder(int k)
{
    if (k < 0 || k >= FolderCount())
        return false;
    const std::string folder =
        SkinsFolderOf(programFolder_) + "/" + skin_.skinFolders[static_cast<std::size_t>(k)];
    SkinFileValues values;
    if (!ReadSkinFile(folder + "/" + kSkinFileName, values))
        return false;
    skin_.selectedSkin = k + kFirstFolderSkin;
    skin_.mainPosition = values.mainPosition;
    skin_.leftOverlayPosition = values.leftOverlayPosition;
    if (values.backgroundColour)
        skin_.backgroundColour = *values.backgroundColour;
    // A missing or broken file leaves the previous skin's picture in place.
    skin_.mainPicture.Load(folder + "/" + kSkinMainFile, kImageAny);
    skin_.leftOverlay.Load(folder + "/" + kSkinOverlayFile, kImageAny);
    skin_.paperBackground.Load(folder + "/" + kSkinBackgroundFile, kImageAny);
    return true;
}

SkinOutcome CSkinManager::OnCommand(int commandId)
{
    bool changed = false;
    if (commandId == kCmdSkinDefault)
        changed = ApplySkin(kSkinDefault);
    else if (commandId == kCmdSkinAlternative)
        changed = ApplySkin(kSkinAlternative);
    else if (commandId == kCmdSkinRandom)
        changed = ApplyRandomSkin();
    else if (commandId >= kCmdFirstSkinFolder && commandId <= kCmdLastSkinFolder)
        changed = ApplySkin(commandId - kSkinCommandOffset);
    else
        return SkinOutcome::NotHandled;
    return changed ? SkinOutcome::Changed : SkinOutcome::Unchanged;
}

std::optional<SkinCommandState> CSkinManager::CommandState(int commandId) const
{
    const int selected = skin_.selectedSkin;
    if (commandId == kCmdSkinDefault)
        return SkinCommandState{true, selected == kSkinDefault};
    if (commandId == kCmdSkinAlternative)
        return SkinCommandState{true, selected == kSkinAlternative};
    if (commandId == kCmdSkinRandom)
        return SkinCommandState{true, selected == kSkinRandom};
    if (commandId >= kCmdFirstSkinFolder && commandId <= kCmdLastSkinFolder)
        return SkinCommandState{true, commandId == selected + kSkinCommandOffset};
    return std::nullopt;
}

std::vector<SkinMenuEntry> CSkinManager::FolderMenuEntries() const
{
    std::vector<SkinMenuEntry> entries;
    entries.reserve(skin_.skinFolders.size());
    int id = kCmdFirstSkinFolder;
    for (const std::string& name : skin_.skinFolders)
        entries.push_back({name, id++}); // at most kMaxSkinFolders entries: no overflow
    return entries;
}

PaperSkin CSkinManager::ForPaper(bool left)
{
    PaperSkin paper;
    if (left) {
        paper.overlay = IfValid(skin_.leftOverlay);
        paper.overlayPosition = skin_.leftOverlayPosition;
    }
    paper.background = IfValid(skin_.paperBackground);
    paper.backColour = skin_.backgroundColour;
    return paper;
}
