#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "i18n/MenuCommands.h"
#include "images/RasterImage.h"
#include "skins/SkinFile.h"
#include "surfaces/DrawingSurface.h"

// Values of selectedSkin: Random, the two built-in skins, then the folder skin at
// position k of the folder list as k + kFirstFolderSkin.
inline constexpr int kSkinRandom = -1;
inline constexpr int kSkinDefault = 0;
inline constexpr int kSkinAlternative = 1;
inline constexpr int kFirstFolderSkin = 2;

// Commands of the Skins submenu: Default, Alternative and Random are in the menu table;
// folder k has the menu entry 12345 + k; only the first eleven (up to 12355) have a
// command behind them, later ones are shown disabled.
inline constexpr int kCmdFirstSkinFolder = 12345;
inline constexpr int kCmdLastSkinFolder = 12355;
// A folder skin's command id is its selectedSkin value plus this.
inline constexpr int kSkinCommandOffset = kCmdFirstSkinFolder - kFirstFolderSkin;

// The view's background colour when no skin says otherwise.
inline constexpr SurfaceColour kDefaultSkinColour = RgbColour(60, 60, 60);

// Pictures compiled into the program that go with the skins but belong to no skin.
inline constexpr char kLogoResource[] = "IDG_LOGO";              // GIF, drawn at the view's bottom left
inline constexpr char kHandCursorResource[] = "IDC_HAND_CURSOR"; // PNG with alpha, 32 x 32
inline constexpr int kHandCursorHotX = 6;
inline constexpr int kHandCursorHotY = 0;
inline constexpr char kSplashResource[] = "IDJ_SPLASHSCREEN"; // JPEG, 430 x 265

// The files of a skin folder. Pictures are recognised by their contents, so the
// extensions are only names.
inline constexpr char kSkinFileName[] = "skin.ini";
inline constexpr char kSkinMainFile[] = "main.jpg";
inline constexpr char kSkinOverlayFile[] = "left.gif";
inline constexpr char kSkinBackgroundFile[] = "background.gif";

// A skin compiled into the program: resource names, positions and colour.
struct BuiltInSkin {
    const char* mainPicture;
    SkinPoint mainPosition;
    const char* leftOverlay;
    SkinPoint leftOverlayPosition;
    const char* paperBackground;
    SurfaceColour backgroundColour;
};
// kSkinDefault or kSkinAlternative; any other index gives the Default skin.
const BuiltInSkin& BuiltInSkinAt(int index);

// Where a random skin comes from: each call is one draw.
using SkinRandom = std::function<std::uint32_t()>;
// The draw for a clock reading in whole seconds: the same second gives the same draw,
// so choosing Random twice within one second picks the same skin twice.
std::uint32_t SkinDrawForSecond(std::int64_t seconds);
// Draws from the current time in seconds.
SkinRandom ClockSeededSkinRandom();

// The skin state of the main view.
struct Skin {
    int selectedSkin = kSkinRandom;
    CRasterImage mainPicture;
    SkinPoint mainPosition;
    CRasterImage leftOverlay;
    SkinPoint leftOverlayPosition;
    CRasterImage paperBackground;
    SurfaceColour backgroundColour = kDefaultSkinColour;
    std::vector<std::string> skinFolders;
};

// What a skin hands to one paper: overlay (Left paper only) with its position in the
// paper's client area, the picture for an empty paper, and the colour around a CD tray.
// A picture that holds no pixels is handed as nullptr.
struct PaperSkin {
    CRasterImage* overlay = nullptr;
    SkinPoint overlayPosition;
    CRasterImage* background = nullptr;
    SurfaceColour backColour = kDefaultSkinColour;
};

// A folder's entry in the Skins submenu, inserted at position 4 + k below Default,
// Alternative, Random and a separator. commandId is 12345 + k.
struct SkinMenuEntry {
    std::string name;
    int commandId = 0;
};

struct SkinCommandState {
    bool enabled = true;
    bool checked = false;
};

enum class SkinOutcome {
    NotHandled, // not a skin command
    Unchanged,  // a skin command that changed no picture, position or colour
    Changed,    // hand ForPaper() to both papers and repaint the whole view
};

// Chooses, loads and remembers the skin. Everything here is independent of the window
// system: the shell asks it what to show and hands the results to the view and papers.
class CSkinManager {
public:
    explicit CSkinManager(std::string programFolder, SkinRandom random = ClockSeededSkinRandom());

    // Start-up, in this order. ListFolders reads the skin folders of programFolder
    // (names as in ListSkinFolders); ChooseAtStartup applies the skin: a stored value
    // that names no skin becomes Random; on the first run of this version (the
    // "ShowPayPalDialog 1.14" setting still at its default 2) a random skin is drawn,
    // otherwise the stored one is applied. Returns true, the look always being set:
    // when the chosen skin cannot be applied the Default skin's pictures are loaded.
    void ListFolders();
    void SetFolders(std::vector<std::string> names);
    bool ChooseAtStartup(int storedSelectedSkin, bool firstRunOfVersion);

    // -1 Random, 0 Default, 1 Alternative, k + 2 the folder skin at position k. True
    // when the skin was applied. A folder skin whose "skin.ini" cannot be read, or an
    // index that names no skin, changes nothing. A picture that cannot be loaded keeps
    // the previous skin's picture.
    bool ApplySkin(int index);
    // Draws r, applies skin r modulo (folders + 2), then remembers Random (-1).
    bool ApplyRandomSkin();

    // Menu commands: kCmdSkinDefault, kCmdSkinAlternative, kCmdSkinRandom and 12345..12355.
    SkinOutcome OnCommand(int commandId);
    // Enabled and checked state of a skin command, asked each time the menu opens;
    // nullopt for an id that is not a skin command (its entry is shown disabled).
    std::optional<SkinCommandState> CommandState(int commandId) const;
    // One entry per folder, in list order (beyond the eleventh they have no command).
    std::vector<SkinMenuEntry> FolderMenuEntries() const;

    const Skin& State() const { return skin_; }
    int SelectedSkin() const { return skin_.selectedSkin; }
    const std::vector<std::string>& Folders() const { return skin_.skinFolders; }
    // What the Left (left = true) or Right paper gets after a change.
    PaperSkin ForPaper(bool left);

private:
    bool ApplyBuiltIn(int index);
    bool ApplyFolder(int k);
    int FolderCount() const { return static_cast<int>(skin_.skinFolders.size()); }

    std::string programFolder_;
    SkinRandom random_;
    Skin skin_;
};
