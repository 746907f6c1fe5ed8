// Bringing covers into the sides: the load commands, paper clicks, drops and the load
// itself with detection and the companion back cover.
#include <QApplication>
#include <QFontMetrics>
#include <QLabel>

#include "app/AppOptions.h"
#include "app/AppSettings.h"
#include "app/Paper.h"
#include "app/SleevitDoc.h"
#include "dialogs/ExtendedFileDialog.h"
#include "dialogs/Preview.h"
#include "i18n/DefaultTexts.h"
#include "images/RasterImage.h"
#include "view/TheView.h"

namespace {

// A message about one picture file: the text, the file and the decoder's own words.
std::string LoadReport(const std::string& text, const std::string& path, const std::string& reason)
{
    return text + "\n\n" + path + (reason.empty() ? std::string() : "\n\n" + reason);
}

} // namespace

std::string CTheView::ShortenedLabel(const std::string& name, int statusId) const
{
    QWidget* status = form_.Item(statusId);
    if (!status) {
        return name;
    }
    // Drop leading characters until the rest, with the mark of the cut, fits the status
    // line's text area.
    QFontMetrics metrics(status->font());
    const int room = status->contentsRect().width();
    const QString mark = QStringLiteral("...");
    QString text = ToQt(name);
    if (metrics.horizontalAdvance(text) <= room) {
        return name;
    }
    while (!text.isEmpty() && metrics.horizontalAdvance(mark + text) > room) {
        text.remove(0, text.front().isHighSurrogate() && text.size() > 1 ? 2 : 1);
    }
    return FromQt(mark + text);
}

void CTheView::LoadCover(Side side, const std::string& path, bool withCompanion)
{
    const bool left = side == Side::Left;
    SideState& state = SideOf(side);
    struct WaitCursor {
        bool on;
        explicit WaitCursor(bool show) : on(show)
        {
            if (on) {
                QApplication::setOverrideCursor(Qt::WaitCursor);
            }
        }
        ~WaitCursor() { Off(); }
        // Before a message box, which wants the ordinary pointer.
        void Off()
        {
            if (on) {
                QApplication::restoreOverrideCursor();
                on = false;
            }
        }
    } waitCursor(left);

    const int type = ImageTypeFromPath(path);
    if (type == kUnsupportedImageType) {
        return;
    }
    if (!state.image->Load(path, type)) {
        // The image keeps its previous pixels; the user learns which file failed and why.
        waitCursor.Off();
        const std::string report =
            LoadReport(messages_.Text(kTextLoadFailed), path, state.image->GetLastError());
        // A remembered file that cannot be read is not tried again at the next start
        // (path may be that very string).
        std::string& recent = left ? options_.recentFileLeft : options_.recentFileRight;
        if (recent == path) {
            recent.clear();
        }
        messages_.ShowError(report);
        RefreshSides();
        update();
        return;
    }
    (left ? options_.recentFileLeft : options_.recentFileRight) = path;
    settings_.WriteText(Setting::LastUsedPath, FolderOfPath(path));
    settings_.Sync();

    const std::string name = FileNameOfPath(path);
    UpdateData(true);
    state.fileName = name;
    state.labelText = ShortenedLabel(name, left ? kLeftStatus : kRightStatus);

    if (options_.autoDetectFormat) {
        state.formatIndex =
            DetectFormat(*state.image, document_.Catalogue(), options_.autoRotate != 0, messages_);
    }
    if (!left) {
        sides_[0].paper->SetOtherImage(state.image);
    }
    UpdateData(false);
    state.paper->SetImage(state.image);
    if (!state.image->GetLoadNotice().empty()) {
        // The picture is shown as far as it goes; the user is told it is incomplete.
        RefreshSides();
        waitCursor.Off();
        messages_.ShowInformation(
            LoadReport(messages_.Text(kTextLoadedInPart), path, state.image->GetLoadNotice()));
    }
    if (left) {
        state.paper->SetFormat({state.formatIndex, Side::Left});
        if (options_.autoload2ndImage && withCompanion) {
            const std::string companion = FindCompanion(path, keywords_);
            if (!companion.empty()) {
                LoadCover(Side::Right, companion);
            }
        }
    }
    RefreshSides();
    update();
}

void CTheView::OpenFiles(const std::vector<std::string>& paths)
{
    if (paths.size() > 1 && options_.batchMode != 0) {
        batchFiles_ = paths;
        RunBatchJob();
        return;
    }
    if (!paths.empty()) {
        LoadCover(Side::Left, paths[0]);
    }
    if (paths.size() > 1) {
        LoadCover(Side::Right, paths[1]);
    }
}

void CTheView::OnLoadCommand(Side side)
{
    const std::vector<std::string> chosen = ChooseImageFiles(this, false, settings_);
    if (chosen.empty()) {
        return;
    }
    if (side == Side::Left) {
        StartPendingLeftLoad(chosen.front());
    } else {
        LoadCover(Side::Right, chosen.front());
    }
}

void CTheView::StartPendingLeftLoad(const std::string& path)
{
    // The dialog has just closed: let the window repaint before the picture is read.
    update();
    pendingLeftPath_ = path;
    StartTimer(2, 25);
}

void CTheView::OnLeftPaperClicked()
{
    const std::vector<std::string> chosen = ChooseImageFiles(this, options_.batchMode != 0, settings_);
    if (chosen.size() == 1) {
        LoadCover(Side::Left, chosen.front());
    } else if (chosen.size() > 1) {
        batchFiles_ = chosen;
        RunBatchJob();
    }
}

void CTheView::OnLoadDropped(const std::string& path, int side)
{
    LoadCover(side == 0 ? Side::Left : Side::Right, path);
}

void CTheView::OnBatchDropped(const std::string& path, int step)
{
    if (step == 0) {
        batchFiles_.clear();
    }
    batchFiles_.push_back(path);
    if (step == 2) {
        RunBatchJob();
    }
}
