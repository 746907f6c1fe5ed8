#include "view/TheView.h"

#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QLabel>
#include <QMainWindow>
#include <QPainter>
#include <QTimer>
#include <QUrl>

#include <utility>

#include "app/AppOptions.h"
#include "app/AppSettings.h"
#include "app/MainMenu.h"
#include "app/Paper.h"
#include "app/PrintCycle.h"
#include "app/ProgramFolder.h"
#include "app/SleevitDoc.h"
#include "i18n/GatheredErrors.h"
#include "i18n/LanguageTable.h"
#include "images/ImageDecoder.h"
#include "skins/Skin.h"
#include "skins/SkinPainting.h"
#include "surfaces/RasterSurface.h"

namespace {

constexpr int kTemplateId = 101;
constexpr int kStartupTimer = 1;
constexpr int kLoadLeftTimer = 2;
// Shown when a translator's own file is found at start-up.
const char* const kTranslationFoundText = "Sleevit found a translation.lng which is going to be "
                                          "used...\n\nThanks again for helping translating ;-)";
// Where the website command leads.
const char* const kWebsite = "https://sleevit.org/";

} // namespace

CTheView::CTheView(CSleevitDoc& document, AppOptions& options, AppSettings& settings, LanguageTable& language,
                   std::string programFolder, QWidget* parent)
    : QWidget(parent), document_(document), options_(options), settings_(settings), language_(language),
      programFolder_(std::move(programFolder)), messages_(this), printCycle_(std::make_unique<CPrintCycle>()),
      skins_(std::make_unique<CSkinManager>(programFolder_))
{
    sides_[0].image = &document_.LeftImage();
    sides_[1].image = &document_.RightImage();
    setAttribute(Qt::WA_OpaquePaintEvent);
    form_.Create(
        this, kTemplateId,
        [this](const ControlTemplate& control, QWidget* host) { return CreateControl(control, host); },
        [this](int id, Notification what) { OnControl(id, what); });
    // The window's client area is a fixed 614 x 374 pixels around the form.
    setFixedSize(QSize(614, 374).expandedTo(form_.ClientSize()));
    sides_[0].paper = form_.ItemAs<CPaper>(kLeftPaper);
    sides_[1].paper = form_.ItemAs<CPaper>(kRightPaper);
    for (int id : {int(kLeftStatus), int(kRightStatus)}) {
        if (auto* label = form_.ItemAs<QLabel>(id)) {
            label->setText(QString::fromUtf8(sides_[0].labelText.c_str()));
        }
    }
    messages_.SetTextSource(&language_);
    RegisterCommands();
    RegisterLanguageCommands();
    RegisterSkinCommands();
}

CTheView::~CTheView() = default;

QWidget* CTheView::CreateControl(const ControlTemplate& control, QWidget* host)
{
    if (control.kind != ControlKind::Paper) {
        return nullptr;
    }
    auto* paper = new CPaper(document_.Catalogue(), host);
    paper->setText(ToQt(control.text));
    const int id = control.id;
    connect(paper, &CPaper::clicked, this, [this, id] { OnControl(id, Notification::Clicked); });
    connect(paper, &CPaper::loadDropped, this,
            [this](const QString& path, int side) { OnLoadDropped(FromQt(path), side); });
    connect(paper, &CPaper::batchDropped, this,
            [this](const QString& path, int step, int) { OnBatchDropped(FromQt(path), step); });
    paper->SetBatchModeSource([this] { return options_.batchMode != 0; });
    return paper;
}

void CTheView::ApplyControlColours()
{
    // Texts light grey straight on the dark background; the format lists white on grey.
    // Each of the view's own controls gets its colours: a style sheet on the view itself
    // would reach every dialog opened over it as well.
    const QString labelStyle = QStringLiteral("QLabel { color: #C0C0C0; background: transparent; }");
    const QString listStyle =
        QStringLiteral("QComboBox, QComboBox QAbstractItemView { color: #FFFFFF; background: #808080;"
                       " selection-background-color: #3C3C3C; }");
    for (QLabel* label : findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly)) {
        label->setStyleSheet(labelStyle);
    }
    for (QComboBox* list : findChildren<QComboBox*>(QString(), Qt::FindDirectChildrenOnly)) {
        list->setStyleSheet(listStyle);
    }
}

QComboBox* CTheView::Selector(Side side) const
{
    return form_.ItemAs<QComboBox>(side == Side::Left ? kLeftSelector : kRightSelector);
}

void CTheView::FillSelectors()
{
    const FormatCatalogue& catalogue = document_.Catalogue();
    for (Side side : {Side::Left, Side::Right}) {
        QComboBox* selector = Selector(side);
        if (!selector) {
            continue;
        }
        selector->clear();
        for (int i = 0; i < catalogue.GetCount(); ++i) {
            selector->addItem(ToQt(catalogue.GetName(i)));
        }
    }
}

void CTheView::OnInitialUpdate(QMainWindow* frame, CMainMenu* menu)
{
    frame_ = frame;
    menu_ = menu;
    messages_.SetParent(frame);
    // Styled once the view sits in its frame: styling first and moving it afterwards
    // would style every control twice.
    ApplyControlColours();

    InitDefaults();
    wantedLanguage_ = settings_.ReadInt(Setting::Language);
    FormatCatalogue& catalogue = document_.Catalogue();
    {
        // A catalogue full of bad lines gives one box, not one per line.
        CGatheredErrors errors(messages_);
        catalogue.LoadCatalogue(CatalogueReadPathIn(programFolder_), errors);
        errors.Flush();
    }
    FillSelectors();
    if (language_.IsAvailable(kTranslationLanguage)) {
        wantedLanguage_ = kTranslationLanguage;
        messages_.ShowInformation(kTranslationFoundText);
    }

    UpdateData(true);
    printOnSinglePage_ = 0;
    options_.drawCutAndFoldLines = settings_.ReadInt(Setting::DrawCutAndFoldLines);
    options_.autoRotate = settings_.ReadInt(Setting::AutoRotate);
    options_.batchMode = settings_.ReadInt(Setting::BatchMode);
    options_.checkPrintableArea = settings_.ReadInt(Setting::CheckForPrintableArea);
    options_.maskPrintJobName = settings_.ReadInt(Setting::MaskPrintJobName);
    options_.printJobName = settings_.ReadText(Setting::PrintJobName);
    options_.autoload2ndImage = settings_.ReadInt(Setting::Autoload2ndImage);
    options_.reloadOnStartup = settings_.ReadInt(Setting::ReloadOnStartup);
    options_.recentFileLeft = settings_.ReadText(Setting::RecentFileLeft);
    options_.recentFileRight = settings_.ReadText(Setting::RecentFileRight);
    options_.autoDetectFormat = settings_.ReadInt(Setting::AutoDetectFormat);
    options_.lastUsedLeftFormat = settings_.ReadInt(Setting::LastUsedLeftFormat);
    options_.lastUsedRightFormat = settings_.ReadInt(Setting::LastUsedRightFormat);
    options_.selectedSkin = settings_.ReadInt(Setting::SelectedSkin);
    options_.printBorder = settings_.ReadInt(Setting::PrintBorder);
    drawCutAndFoldLines_ = options_.drawCutAndFoldLines;

    // A stored format that the catalogue no longer has means no format.
    auto fit = [&](int index) { return index >= 0 && index < catalogue.GetCount() ? index : -1; };
    sides_[0].formatIndex = fit(options_.lastUsedLeftFormat);
    sides_[1].formatIndex = fit(options_.lastUsedRightFormat);
    keywords_ = CompanionKeywords{};
    UpdateData(false);

    logo_ = std::make_unique<CRasterImage>();
    if (!logo_->LoadResource("IDG_LOGO", kImageGif)) {
        logo_.reset();
    }

    UpdateData(true);
    sides_[0].paper->SetIsLeft(1);
    sides_[0].paper->SetSinglePage(printOnSinglePage_);
    sides_[1].paper->SetIsLeft(0);
    sides_[1].paper->SetSinglePage(0);
    sides_[0].paper->AcceptFiles(true);
    sides_[1].paper->AcceptFiles(true);
    RefreshSides();
    StartTimer(kStartupTimer, 50);
    if (language_.IsAvailable(wantedLanguage_)) {
        language_.SelectLanguage(wantedLanguage_);
    }
    options_.language = language_.CurrentLanguage();

    BuildSkinMenu();
    skins_->ChooseAtStartup(options_.selectedSkin, options_.firstStartOfVersion);
    options_.selectedSkin = skins_->SelectedSkin();
    ApplySkinToPapers();

    ApplyLanguage();
    printableMessageShown_ = false;
}

void CTheView::OnViewDestroy()
{
    UpdateData(true);
    options_.drawCutAndFoldLines = drawCutAndFoldLines_;
    settings_.WriteInt(Setting::CheckForPrintableArea, options_.checkPrintableArea);
    settings_.WriteInt(Setting::DrawCutAndFoldLines, options_.drawCutAndFoldLines);
    settings_.WriteInt(Setting::AutoRotate, options_.autoRotate);
    settings_.WriteInt(Setting::MaskPrintJobName, options_.maskPrintJobName);
    settings_.WriteText(Setting::PrintJobName, options_.printJobName);
    settings_.WriteInt(Setting::Autoload2ndImage, options_.autoload2ndImage);
    settings_.WriteInt(Setting::ReloadOnStartup, options_.reloadOnStartup);
    settings_.WriteText(Setting::RecentFileLeft, options_.recentFileLeft);
    settings_.WriteText(Setting::RecentFileRight, options_.recentFileRight);
    settings_.WriteInt(Setting::AutoDetectFormat, options_.autoDetectFormat);
    settings_.WriteInt(Setting::BatchMode, options_.batchMode);
    settings_.WriteInt(Setting::LastUsedLeftFormat, sides_[0].formatIndex);
    settings_.WriteInt(Setting::LastUsedRightFormat, sides_[1].formatIndex);
    options_.selectedSkin = skins_->SelectedSkin();
    settings_.WriteInt(Setting::SelectedSkin, options_.selectedSkin);
    settings_.WriteInt(Setting::PrintBorder, options_.printBorder);
    settings_.Sync();
}

void CTheView::UpdateData(bool save)
{
    auto* leftLabel = form_.ItemAs<QLabel>(kLeftStatus);
    auto* rightLabel = form_.ItemAs<QLabel>(kRightStatus);
    if (save) {
        // Status lines show file names as they are: no accelerator marks.
        if (leftLabel) {
            sides_[0].labelText = FromQt(leftLabel->text());
        }
        if (rightLabel) {
            sides_[1].labelText = FromQt(rightLabel->text());
        }
        printOnSinglePage_ = form_.Checked(kSinglePageBox) ? 1 : 0;
        drawCutAndFoldLines_ = form_.Checked(kCutLinesBox) ? 1 : 0;
    } else {
        if (leftLabel) {
            leftLabel->setText(ToQt(sides_[0].labelText));
        }
        if (rightLabel) {
            rightLabel->setText(ToQt(sides_[1].labelText));
        }
        form_.SetChecked(kSinglePageBox, printOnSinglePage_ != 0);
        form_.SetChecked(kCutLinesBox, drawCutAndFoldLines_ != 0);
    }
}

void CTheView::RefreshSides()
{
    const FormatCatalogue& catalogue = document_.Catalogue();
    for (Side side : {Side::Left, Side::Right}) {
        // A side without a format shows no selection rather than the first entry.
        if (QComboBox* selector = Selector(side)) {
            selector->setCurrentIndex(SideOf(side).formatIndex);
        }
    }
    UpdateData(false);
    const int left = sides_[0].formatIndex;
    const int right = sides_[1].formatIndex;
    auto valid = [&](int index) { return index >= 0 && index < catalogue.GetCount(); };
    if (left != -1) {
        CPaper* paper = sides_[0].paper;
        paper->SetSinglePage(printOnSinglePage_);
        paper->SetDrawLines(drawCutAndFoldLines_);
        paper->SetFormat({left, Side::Left});
        if (valid(left)) {
            paper->SetPaperSize(catalogue.GetPaperWidth(left), catalogue.GetPaperHeight(left));
            paper->SetCdTray(catalogue.GetTraits(left).discTray ? 1 : 0);
        }
        paper->SetOtherFormat({right != -1 ? right : CPaper::kNoFormat, Side::Right});
    }
    if (right != -1) {
        CPaper* paper = sides_[1].paper;
        paper->SetSinglePage(printOnSinglePage_);
        paper->SetDrawLines(drawCutAndFoldLines_);
        if (valid(right)) {
            paper->SetPaperSize(catalogue.GetPaperWidth(right), catalogue.GetPaperHeight(right));
            paper->SetCdTray(catalogue.GetTraits(right).discTray ? 1 : 0);
        }
        paper->SetFormat({right, Side::Right});
    }
    // A paper without a format stays blank.
    if (left == -1) {
        sides_[0].paper->SetFormat({CPaper::kNoFormat, Side::Left});
        sides_[0].paper->SetOtherFormat({CPaper::kNoFormat, Side::Right});
    }
    if (right == -1) {
        sides_[1].paper->SetFormat({CPaper::kNoFormat, Side::Right});
        sides_[0].paper->SetOtherFormat({CPaper::kNoFormat, Side::Right});
    }
    EnablePrintButton(kPrintLeftButton, CanPrint(PrintSelection::Left), {0});
    EnablePrintButton(kPrintBothButton, printOnSinglePage_ == 0 && CanPrint(PrintSelection::Both), {0, 1});
    EnablePrintButton(kPrintRightButton, printOnSinglePage_ == 0 && CanPrint(PrintSelection::Right), {1});
    // A disabled button shows no tool tip; the paper, which stays live, tells why too.
    for (int side : {0, 1}) {
        sides_[static_cast<std::size_t>(side)].paper->setToolTip(QString::fromStdString(PrintFault(side)));
    }
}

std::string CTheView::PrintFault(int side) const
{
    const SideState& s = sides_[static_cast<std::size_t>(side)];
    if (!s.image->IsValid()) {
        return std::string();
    }
    return WhyFormatCannotPrint(document_.Catalogue(), s.formatIndex, &messages_);
}

void CTheView::EnablePrintButton(int id, bool enabled, std::initializer_list<int> sides)
{
    std::string fault;
    for (int side : sides) {
        if (fault.empty()) {
            fault = PrintFault(side);
        }
    }
    form_.Enable(id, enabled && fault.empty());
    if (QWidget* button = form_.Item(id)) {
        button->setToolTip(QString::fromStdString(fault));
    }
}

void CTheView::OnControl(int id, Notification what)
{
    switch (id) {
    case kLeftSelector:
    case kRightSelector:
        if (what == Notification::SelectionAccepted) {
            OnFormatSelected(id == kLeftSelector ? Side::Left : Side::Right);
        }
        break;
    case kSinglePageBox:
    case kCutLinesBox:
        UpdateData(true);
        RefreshSides();
        break;
    case kSinglePageLabel:
    case kCutLinesLabel:
        UpdateData(true);
        if (id == kSinglePageLabel) {
            printOnSinglePage_ = printOnSinglePage_ ? 0 : 1;
        } else {
            drawCutAndFoldLines_ = drawCutAndFoldLines_ ? 0 : 1;
        }
        UpdateData(false);
        RefreshSides();
        break;
    case kPrintLeftButton:
        RunPrint(PrintSelection::Left);
        break;
    case kPrintRightButton:
        RunPrint(PrintSelection::Right);
        break;
    case kPrintBothButton:
        RunPrint(PrintSelection::Both);
        break;
    case kLeftPaper:
        OnLeftPaperClicked();
        break;
    case kRightPaper:
        OnLoadCommand(Side::Right);
        break;
    default:
        break;
    }
}

void CTheView::RegisterCommands()
{
    CCommandTable& t = commands_;
    auto loaded = [this](int side) { return sides_[side].image->IsValid(); };
    t.On(kCmdNew, [this] { OnNew(); });
    t.On(kCmdLoadLeft, [this] { OnLoadCommand(Side::Left); });
    t.On(kCmdLoadRight, [this] { OnLoadCommand(Side::Right); });
    t.On(kCmdPrintLeft, [this] { RunPrint(PrintSelection::Left); });
    t.On(kCmdPrintRight, [this] { RunPrint(PrintSelection::Right); });
    t.On(kCmdPrintBoth, [this] { RunPrint(selection_); });
    t.On(kCmdPrintPreview, [this] { RunPreview(); });
    t.On(kCmdPrintSetup, [this] { printCycle_->Setup(this); });
    t.On(kCmdCalibration, [this] { OnCalibration(); });
    t.On(kCmdCalibrationPage, [this] { OnCalibrationPage(); });
    t.On(kCmdExit, [this] {
        if (frame_) {
            frame_->close();
        }
    });
    t.On(kCmdRotateLeft, [this] { OnRotate(Side::Left); });
    t.On(kCmdRotateRight, [this] { OnRotate(Side::Right); });
    t.On(kCmdFormatEditor, [this] { OnFormatEditor(); });
    t.On(kCmdOptions, [this] { OnOptions(); });
    t.On(kCmdAbout, [this] { OnAbout(); });
    t.On(kCmdDonate, [this] { OnDonate(); });
    t.On(kCmdWebsite, [] { QDesktopServices::openUrl(QUrl(QString::fromLatin1(kWebsite))); });

    t.OnState(kCmdRotateLeft, [loaded](CommandState& s) { s.enabled = loaded(0); });
    t.OnState(kCmdRotateRight, [loaded](CommandState& s) { s.enabled = loaded(1); });
    // The Print Left and Right entries stay enabled; asking them sets their buttons.
    // A side without a picture or a format answers with a message instead.
    t.OnState(kCmdPrintLeft, [this](CommandState& s) {
        s.enabled = true;
        EnablePrintButton(kPrintLeftButton, CanPrint(PrintSelection::Left), {0});
    });
    t.OnState(kCmdPrintRight, [this](CommandState& s) {
        s.enabled = true;
        EnablePrintButton(kPrintRightButton, printOnSinglePage_ == 0 && CanPrint(PrintSelection::Right), {1});
    });
    t.OnState(kCmdPrintBoth, [this](CommandState& s) {
        s.enabled = printOnSinglePage_ == 0 && CanPrint(PrintSelection::Both);
    });
    t.OnState(kCmdPrintPreview, [loaded](CommandState& s) { s.enabled = loaded(0) || loaded(1); });
}

void CTheView::OnFormatSelected(Side side)
{
    QComboBox* selector = Selector(side);
    if (selector->currentIndex() < 0 && selector->count() > 0) {
        selector->setCurrentIndex(0);
    }
    SideOf(side).formatIndex = selector->currentIndex();
    RefreshSides();
}

void CTheView::OnNew()
{
    document_.LeftImage().Destroy();
    document_.RightImage().Destroy();
    sides_[0].paper->SetImage(nullptr);
    sides_[0].paper->SetOtherImage(nullptr);
    sides_[1].paper->SetImage(nullptr);
    const std::string noImage = messages_.Text(2006);
    sides_[0].labelText = noImage;
    sides_[1].labelText = noImage;
    UpdateData(false);
    options_.recentFileLeft.clear();
    options_.recentFileRight.clear();
    RefreshSides();
    update();
}

void CTheView::OnRotate(Side side)
{
    SideOf(side).image->Rotate(-90.0f);
    RefreshSides();
    SideOf(side).paper->update();
    if (side == Side::Right) {
        sides_[0].paper->update();
    }
}

void CTheView::StartTimer(int id, int milliseconds)
{
    if (id < 1 || id >= static_cast<int>(timers_.size())) {
        return;
    }
    if (!timers_[id]) {
        timers_[id] = new QTimer(this);
        timers_[id]->setSingleShot(true);
        connect(timers_[id], &QTimer::timeout, this, [this, id] { OnTimer(id); });
    }
    timers_[id]->start(milliseconds);
}

bool CTheView::TimerRunning(int id) const
{
    return id >= 1 && id < static_cast<int>(timers_.size()) && timers_[id] && timers_[id]->isActive();
}

void CTheView::OnTimer(int id)
{
    timers_[id]->stop();
    if (id == kLoadLeftTimer) {
        LoadCover(Side::Left, pendingLeftPath_);
        return;
    }
    if (id != kStartupTimer) {
        return;
    }
    if (language_.IsAvailable(wantedLanguage_) && wantedLanguage_ != kEnglishLanguage) {
        ApplyMenuTexts();
    }
    if (!startFiles_.empty()) {
        // Pictures asked for on the command line take the place of the last run's.
        OpenFiles(std::exchange(startFiles_, {}));
        emit startupTimerDone();
        return;
    }
    if (options_.reloadOnStartup) {
        // The sides come back as the user left them: the left cover's back cover is not
        // looked for, so it cannot take the place of the right picture the user had.
        const std::string right = options_.recentFileRight;
        if (!options_.recentFileLeft.empty()) {
            LoadCover(Side::Left, options_.recentFileLeft, false);
        }
        if (!right.empty()) {
            LoadCover(Side::Right, right);
        }
    }
    emit startupTimerDone();
}

void CTheView::paintEvent(QPaintEvent*)
{
    // The background is composed off screen and shown in one copy, so it never flickers.
    CRasterSurface surface(std::max(1, width()), std::max(1, height()));
    if (!surface.IsValid()) {
        return;
    }
    DrawViewBackground(surface, width(), height(), skins_->State(),
                       logo_ && logo_->IsValid() ? logo_.get() : nullptr);
    QImage picture(surface.Data(), surface.Width(), surface.Height(), surface.Stride(), QImage::Format_RGB32);
    QPainter painter(this);
    painter.drawImage(0, 0, picture);
}
