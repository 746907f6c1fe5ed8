// The view's skins: the Skins menu, its commands and what the papers get.
#include <QMenu>

#include "app/AppOptions.h"
#include "app/MainMenu.h"
#include "app/Paper.h"
#include "skins/Skin.h"
#include "view/TheView.h"

namespace {
// The Skins submenu: Default, Alternative, Random, a separator, then the folders.
constexpr int kFirstFolderEntry = 4;
} // namespace

void CTheView::BuildSkinMenu()
{
    skins_->ListFolders();
    QMenu* menu = menu_ ? menu_->Popup(kMenuSkins) : nullptr;
    if (!menu) {
        return;
    }
    int position = kFirstFolderEntry;
    for (const SkinMenuEntry& entry : skins_->FolderMenuEntries()) {
        // Folders past the last command id are listed but cannot be chosen.
        menu_->InsertItem(menu, position++, entry.commandId, entry.name);
    }
}

void CTheView::ApplySkinToPapers()
{
    for (SideState& side : sides_) {
        const bool left = &side == &sides_[0];
        PaperSkin paper = skins_->ForPaper(left);
        side.paper->SetOverlay(paper.overlay, paper.overlayPosition.x, paper.overlayPosition.y);
        side.paper->SetBackground(paper.background);
        side.paper->SetBackColour(paper.backColour);
    }
}

void CTheView::RegisterSkinCommands()
{
    auto apply = [this](int id) {
        if (skins_->OnCommand(id) == SkinOutcome::Changed) {
            options_.selectedSkin = skins_->SelectedSkin();
            ApplySkinToPapers();
            update();
        }
    };
    auto state = [this](int id, CommandState& s) {
        auto known = skins_->CommandState(id);
        s.enabled = known.has_value() && known->enabled;
        s.checked = known.has_value() && known->checked;
    };
    for (int id : {int(kCmdSkinDefault), int(kCmdSkinAlternative), int(kCmdSkinRandom)}) {
        commands_.OnRange(id, id, apply);
        commands_.OnStateRange(id, id, state);
    }
    commands_.OnRange(kCmdFirstSkinFolder, kCmdLastSkinFolder, apply);
    commands_.OnStateRange(kCmdFirstSkinFolder, kCmdLastSkinFolder, state);
}
