#include "dialogs/FormatEditDialog.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QListWidget>
#include <QMessageBox>
#include <QPalette>
#include <QResizeEvent>
#include <QToolButton>

#include <functional>

#include "app/DialogTextSource.h"
#include "app/Paper.h"
#include "app/ProgramFolder.h"
#include "dialogs/CutLineDialog.h"
#include "dialogs/CutLineList.h"
#include "formats/FormatCatalogue.h"
#include "images/RasterImage.h"

using namespace FormatEditIds;

namespace {

// Format list rows alternate between this pale green (even positions) and white.
const QColor kEvenRowColour(240, 255, 240);

// Up and down arrows beside a field. The up arrow reports -1 and the down arrow +1, the
// way an up-down control counts.
class CUpDown final : public QWidget {
public:
    CUpDown(QWidget* parent, std::function<void(int)> onStep) : QWidget(parent), onStep_(std::move(onStep))
    {
        up_ = MakeArrow(Qt::UpArrow, QStringLiteral("up"), -1);
        down_ = MakeArrow(Qt::DownArrow, QStringLiteral("down"), +1);
    }

protected:
    void resizeEvent(QResizeEvent*) override
    {
        const int half = height() / 2;
        up_->setGeometry(0, 0, width(), half);
        down_->setGeometry(0, half, width(), height() - half);
    }

private:
    QToolButton* MakeArrow(Qt::ArrowType arrow, const QString& name, int delta)
    {
        auto* button = new QToolButton(this);
        button->setObjectName(name);
        button->setArrowType(arrow);
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QToolButton::clicked, this, [this, delta] {
            if (onStep_)
                onStep_(delta);
        });
        return button;
    }

    std::function<void(int)> onStep_;
    QToolButton* up_ = nullptr;
    QToolButton* down_ = nullptr;
};

// A thin dark line; two of them make the corner mark beside each pair of position fields.
QWidget* MakeMarkLine(QWidget* parent)
{
    auto* line = new QWidget(parent);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::WindowText));
    line->setPalette(palette);
    return line;
}

std::uint32_t ToColourRef(const QColor& colour)
{
    return static_cast<std::uint32_t>(colour.red()) | (static_cast<std::uint32_t>(colour.green()) << 8) |
           (static_cast<std::uint32_t>(colour.blue()) << 16);
}

// The first of the known kinds whose word begins with the format's type, ignoring case;
// Custom when none does (or the type is empty). The kinds stand in the list in table order.
int TypeEntryFor(const std::string& type)
{
    const QString wanted = ToQt(type);
    const auto kinds = CoverKinds();
    if (!wanted.isEmpty()) {
        for (std::size_t n = 0; n < kinds.size(); ++n) {
            if (QString::fromLatin1(kinds[n].word).startsWith(wanted, Qt::CaseInsensitive))
                return static_cast<int>(n);
        }
    }
    for (std::size_t n = 0; n < kinds.size(); ++n) {
        if (kinds[n].kind == CoverKind::Custom)
            return static_cast<int>(n);
    }
    return -1;
}

} // namespace

const std::array<TextPair, 35> CFormatEditDialog::kTextPairs = {{
    {kRemove, 7001},
    {kAdd, 7002},
    {kCopy, 7003},
    {kMoveUp, 7004},
    {kMoveDown, 7005},
    {kNameCaption, 7006},
    {kTypeCaption, 7007},
    {kLabel, 7008},
    {kHoleCaption, 7009},
    {kRemap, 7010},
    {kSpine, 7011},
    {kSpineCaption, 7012},
    {kAutodetect, 7013},
    {kCutLinesCaption, 7014},
    {kAddLine, 7015},
    {kAddRect, 7016},
    {kEditLine, 7017},
    {kDeleteLine, 7018},
    {kLeftGroup, 7019},
    {kRightGroup, 7020},
    {kLeftAutomatic, 7021},
    {kRightAutomatic, 7021},
    {kLeftManual, 7022},
    {kRightManual, 7022},
    {kSizeGroup, 7023},
    {kWidthCaption, 7024},
    {kPaperWidthCaption, 7024},
    {kHeightCaption, 7025},
    {kPaperHeightCaption, 7025},
    {kPaperGroup, 7026},
    {kUnitGroup, 7027},
    {kInches, 7028},
    {kMillimetres, 7029},
    {kIdOk, 7030},
    {kIdCancel, 7031},
}};

CFormatEditDialog::CFormatEditDialog(QWidget* parent, FormatCatalogue& catalogue,
                                     std::string catalogueReadPath, int startIndex)
    : CTemplateDialog(kTemplateId, parent), catalogue_(catalogue), readPath_(std::move(catalogueReadPath)),
      initialFormat_(startIndex)
{
}

CFormatEditDialog::~CFormatEditDialog()
{
    // The previews outlive the sample picture by a moment while the window is torn down.
    for (int id : {kLeftPreview, kRightPreview}) {
        if (CPaper* paper = Preview(id))
            paper->SetImage(nullptr);
    }
}

QWidget* CFormatEditDialog::CreateControl(const ControlTemplate& control, QWidget* parent)
{
    const int id = control.id;
    switch (control.kind) {
    case ControlKind::ListView: {
        auto* list = new QListWidget(parent);
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->setSelectionBehavior(QAbstractItemView::SelectRows);
        list->setUniformItemSizes(true);
        connect(list, &QListWidget::itemSelectionChanged, this,
                [this, id] { OnCommand(id, Notification::SelectionChanged); });
        return list;
    }
    case ControlKind::Spin:
        return new CUpDown(parent, [this, id](int delta) { OnSpin(id, delta); });
    case ControlKind::Paper:
        return new CPaper(catalogue_, parent);
    case ControlKind::Custom:
        return MakeMarkLine(parent);
    default:
        return nullptr;
    }
}

QListWidget* CFormatEditDialog::FormatList() const
{
    return Form().ItemAs<QListWidget>(kList);
}

CPaper* CFormatEditDialog::Preview(int id) const
{
    return Form().ItemAs<CPaper>(id);
}

int CFormatEditDialog::SelectedFormat() const
{
    QListWidget* list = FormatList();
    if (list == nullptr)
        return -1;
    const QList<QListWidgetItem*> selected = list->selectedItems();
    if (selected.isEmpty())
        return -1;
    const int row = list->row(selected.front());
    return row < catalogue_.GetCount() ? row : -1;
}

void CFormatEditDialog::DoDataExchange(bool save)
{
    ExchangeText(save, kName, fields_.name);
    ExchangeText(save, kHole, fields_.hole);
    ExchangeText(save, kLeftX, fields_.leftX);
    ExchangeText(save, kLeftY, fields_.leftY);
    ExchangeText(save, kRightX, fields_.rightX);
    ExchangeText(save, kRightY, fields_.rightY);
    ExchangeText(save, kWidth, fields_.width);
    ExchangeText(save, kHeight, fields_.height);
    ExchangeText(save, kSpineValue, fields_.spine);
    ExchangeText(save, kPaperWidth, fields_.paperWidth);
    ExchangeText(save, kPaperHeight, fields_.paperHeight);
    ExchangeCheck(save, kAutodetect, fields_.autodetect);
    ExchangeCheck(save, kLabel, fields_.label);
    ExchangeCheck(save, kRemap, fields_.remap);
    ExchangeCheck(save, kSpine, fields_.spineOn);
    if (save) {
        fields_.leftManual = Form().Checked(kLeftManual) ? 1 : 0;
        fields_.rightManual = Form().Checked(kRightManual) ? 1 : 0;
    } else {
        // Checking one radio of an exclusive group clears the other.
        Form().SetChecked(fields_.leftManual ? kLeftManual : kLeftAutomatic, true);
        Form().SetChecked(fields_.rightManual ? kRightManual : kRightAutomatic, true);
        Form().SetChecked(unit_ == LengthUnit::Inches ? kInches : kMillimetres, true);
    }
}

void CFormatEditDialog::OnInitDialog()
{
    TranslateDialog(*this, kTextPairs, kCaptionKey);
    refreshing_ = true;
    catalogue_.TakeBackup();
    backupTaken_ = true;

    sample_ = std::make_unique<CRasterImage>(kImageJpeg);
    if (callerSample_ != nullptr && callerSample_->IsValid())
        sample_->Copy(*callerSample_);
    else
        sample_->LoadResource("IDJ_SAMPLE_DVD_COVER", kImageJpeg);

    // Every radio is a child of the dialog; the groups keep each pair to itself.
    auto makeGroup = [this](int first, int second) {
        auto* group = new QButtonGroup(this);
        group->setExclusive(true);
        if (auto* button = Form().ItemAs<QAbstractButton>(first))
            group->addButton(button);
        if (auto* button = Form().ItemAs<QAbstractButton>(second))
            group->addButton(button);
        return group;
    };
    leftGroup_ = makeGroup(kLeftAutomatic, kLeftManual);
    rightGroup_ = makeGroup(kRightAutomatic, kRightManual);
    unitGroup_ = makeGroup(kInches, kMillimetres);

    // A template gives a drop-down list the height of its open list; closed it is one
    // line high.
    for (int id : {kType, kRemapList}) {
        if (auto* combo = Form().ItemAs<QComboBox>(id))
            combo->resize(combo->width(), combo->sizeHint().height());
    }
    if (auto* types = Form().ItemAs<QComboBox>(kType)) {
        types->clear();
        for (const CoverKindTraits& kind : CoverKinds())
            types->addItem(QString::fromLatin1(kind.word));
        types->setCurrentIndex(-1);
    }

    FillLists();
    int start = initialFormat_;
    if (start < 0 || start >= catalogue_.GetCount())
        start = catalogue_.GetCount() > 0 ? 0 : -1;
    SelectRow(start);

    if (auto* cutLines = Form().ItemAs<QListWidget>(kCutLines)) {
        const FixedFontLayout listFont(TemplateFont{9, 400, false, "Courier New"}, 96.0);
        cutLines->setFont(listFont.Font());
        cutLines->setSelectionMode(QAbstractItemView::SingleSelection);
    }
    const std::uint32_t face = ToColourRef(palette().color(QPalette::Button));
    for (int id : {kLeftPreview, kRightPreview}) {
        if (CPaper* paper = Preview(id)) {
            paper->SetImage(sample_.get());
            paper->SetDrawLines(1);
            paper->SetBackColour(face);
            paper->SetIsLeft(id == kLeftPreview ? 1 : 0);
        }
    }
    Refresh();
    refreshing_ = false;
    if (start < 0)
        UpdateData(false);
}

void CFormatEditDialog::FillLists()
{
    const bool was = refreshing_;
    refreshing_ = true;
    if (QListWidget* list = FormatList()) {
        list->clear();
        for (int i = 0; i < catalogue_.GetCount(); ++i) {
            auto* item = new QListWidgetItem(ToQt(catalogue_.GetName(i)), list);
            item->setForeground(Qt::black);
            item->setBackground(i % 2 == 0 ? kEvenRowColour : QColor(Qt::white));
        }
    }
    FillRemapList();
    refreshing_ = was;
}

void CFormatEditDialog::FillRemapList()
{
    // Entry n of the remap list is format n.
    if (auto* remap = Form().ItemAs<QComboBox>(kRemapList)) {
        remap->clear();
        for (int i = 0; i < catalogue_.GetCount(); ++i)
            remap->addItem(ToQt(catalogue_.GetName(i)));
        remap->setCurrentIndex(-1);
    }
}

void CFormatEditDialog::SelectRow(int row)
{
    QListWidget* list = FormatList();
    if (list == nullptr)
        return;
    const bool was = refreshing_;
    refreshing_ = true;
    if (row >= 0 && row < list->count()) {
        list->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
        list->scrollToItem(list->item(row));
    } else {
        list->clearSelection();
    }
    refreshing_ = was;
}

void CFormatEditDialog::RepaintPreviews()
{
    for (int id : {kLeftPreview, kRightPreview}) {
        if (CPaper* paper = Preview(id))
            paper->update();
    }
}

void CFormatEditDialog::Refresh()
{
    const int sel = SelectedFormat();
    if (sel < 0)
        return;
    const bool was = refreshing_;
    refreshing_ = true;
    CTemplateForm& form = Form();
    const std::string type = catalogue_.GetType(sel);
    const CoverKindTraits& kind = catalogue_.GetTraits(sel);

    form.Enable(kMoveUp, sel > 0);
    form.Enable(kMoveDown, sel < catalogue_.GetCount() - 1);

    fields_.name = catalogue_.GetName(sel);
    form.SetCurrentIndex(kType, TypeEntryFor(type));

    fields_.autodetect = catalogue_.GetAutodetect(sel) ? 1 : 0;
    const bool label = catalogue_.GetLabel(sel);
    fields_.label = label ? 1 : 0;
    for (int id : {kHole, kHoleCaption, kHoleSpin})
        form.Enable(id, label);
    fields_.hole = label ? FormatValue(catalogue_.GetHoleSize(sel), unit_) : std::string();

    const bool remap = catalogue_.HasRemap(sel);
    fields_.remap = remap ? 1 : 0;
    form.Enable(kRemapList, remap);
    form.SetCurrentIndex(kRemapList, remap ? catalogue_.GetRemap(sel) : -1);

    const bool spine = catalogue_.HasSpine(sel);
    fields_.spineOn = spine ? 1 : 0;
    form.Enable(kSpine, kind.spineOption);
    for (int id : {kSpineValue, kSpineCaption, kSpineSpin})
        form.Enable(id, spine);
    fields_.spine = spine ? FormatValue(catalogue_.GetSpine(sel), unit_) : std::string();

    fields_.paperWidth = FormatValue(catalogue_.GetPaperWidth(sel), unit_);
    fields_.paperHeight = FormatValue(catalogue_.GetPaperHeight(sel), unit_);
    for (int id : {kPaperWidth, kPaperWidthCaption, kPaperWidthSpin, kPaperHeight, kPaperHeightCaption,
                   kPaperHeightSpin})
        form.Enable(id, kind.ownPaper);

    for (int id : {kLeftPreview, kRightPreview}) {
        if (CPaper* paper = Preview(id)) {
            paper->SetImage(sample_.get());
            paper->SetPaperSize(catalogue_.GetPaperWidth(sel), catalogue_.GetPaperHeight(sel));
            paper->SetCdTray(kind.discTray ? 1 : 0);
        }
    }

    const FormatCatalogue::Placement left = catalogue_.GetPlacement(sel, false, false);
    fields_.leftManual = left.x != kAutoPosition ? 1 : 0;
    for (int id : {kLeftX, kLeftY, kLeftXSpin, kLeftYSpin})
        form.Enable(id, fields_.leftManual != 0);
    fields_.leftX = FormatValue(left.x, unit_);
    fields_.leftY = FormatValue(left.y, unit_);
    fields_.width = FormatValue(left.width, unit_);
    fields_.height = FormatValue(left.height, unit_);

    const FormatCatalogue::Placement right = catalogue_.GetPlacement(sel, true, false);
    fields_.rightManual = right.x != kAutoPosition ? 1 : 0;
    for (int id : {kRightX, kRightY, kRightXSpin, kRightYSpin})
        form.Enable(id, fields_.rightManual != 0);
    fields_.rightX = FormatValue(right.x, unit_);
    fields_.rightY = FormatValue(right.y, unit_);

    if (CPaper* paper = Preview(kLeftPreview))
        paper->SetFormat({sel, Side::Left});
    if (CPaper* paper = Preview(kRightPreview))
        paper->SetFormat({sel, Side::Right});

    if (auto* cutLines = form.ItemAs<QListWidget>(kCutLines))
        FillCutLineList(*cutLines, catalogue_, sel, unit_);
    form.Enable(kAddLine, true);
    form.Enable(kAddRect, true);
    EnableCutLineButtons();

    UpdateData(false);
    refreshing_ = was;
}

void CFormatEditDialog::OnCommand(int id, Notification what)
{
    if (id == kIdOk || id == kIdCancel) {
        CTemplateDialog::OnCommand(id, what);
        return;
    }
    if (id == kList) {
        if (what == Notification::SelectionChanged && !refreshing_)
            Refresh();
        return;
    }
    if (id == kCutLines) {
        if (what == Notification::DoubleClicked && !refreshing_)
            OnEditCutLine();
        else
            EnableCutLineButtons();
        return;
    }
    // Programmatic changes while the controls are filled must not echo back.
    if (refreshing_)
        return;
    switch (what) {
    case Notification::Clicked:
        switch (id) {
        case kAdd:
            OnAdd();
            break;
        case kCopy:
            OnCopy();
            break;
        case kRemove:
            OnRemove();
            break;
        case kAddLine:
        case kAddRect:
            OnAddCutLine(id == kAddRect);
            break;
        case kEditLine:
            OnEditCutLine();
            break;
        case kDeleteLine:
            OnDeleteCutLine();
            break;
        case kMoveUp:
            OnMove(-1);
            break;
        case kMoveDown:
            OnMove(+1);
            break;
        case kLeftAutomatic:
        case kLeftManual:
            OnLeftRadio(id == kLeftManual);
            break;
        case kRightAutomatic:
        case kRightManual:
            OnRightRadio(id == kRightManual);
            break;
        case kInches:
        case kMillimetres:
            unit_ = id == kInches ? LengthUnit::Inches : LengthUnit::Millimetres;
            Refresh();
            break;
        default:
            OnCheck(id);
            break;
        }
        break;
    case Notification::SelectionAccepted: {
        const int sel = SelectedFormat();
        if (sel < 0)
            break;
        if (id == kType) {
            const std::string type = FormatCatalogue::GetTypeName(Form().CurrentIndex(kType));
            if (!type.empty())
                catalogue_.SetType(sel, type);
            Refresh();
        } else if (id == kRemapList) {
            catalogue_.SetRemap(sel, Form().CurrentIndex(kRemapList));
        }
        break;
    }
    case Notification::TextChanged:
        if (id == kName)
            OnNameChanged();
        else
            OnTypedValue(id);
        break;
    default:
        break;
    }
}

void CFormatEditDialog::OnCheck(int id)
{
    const int sel = SelectedFormat();
    if (sel < 0)
        return;
    const bool checked = Form().Checked(id);
    switch (id) {
    case kLabel:
        catalogue_.SetLabel(sel, checked);
        Refresh();
        break;
    case kRemap:
        Form().Enable(kRemapList, checked);
        catalogue_.SetRemap(sel, checked ? Form().CurrentIndex(kRemapList) : -1);
        break;
    case kSpine:
        catalogue_.SetSpine(sel, checked ? ParseValue(Form().Text(kSpineValue), unit_) : kNoSpine);
        Refresh();
        break;
    case kAutodetect:
        catalogue_.SetAutodetect(sel, checked);
        break;
    default:
        break;
    }
}

void CFormatEditDialog::OnAdd()
{
    catalogue_.AddFormat(FreeNewFormatName(catalogue_));
    FillLists();
    SelectRow(catalogue_.GetCount() - 1);
    Refresh();
}

void CFormatEditDialog::OnCopy()
{
    const int sel = SelectedFormat();
    if (sel < 0)
        return;
    const std::string name = "Copy of " + FromQt(FormatList()->item(sel)->text());
    catalogue_.CopyFormat(name, sel);
    FillLists();
    SelectRow(catalogue_.GetCount() - 1);
    Refresh();
}

void CFormatEditDialog::OnRemove()
{
    const int sel = SelectedFormat();
    if (sel < 0)
        return;
    catalogue_.RemoveFormat(sel);
    // Refilled rather than one row taken out, so the rows below keep alternating colours.
    FillLists();
    const int count = catalogue_.GetCount();
    SelectRow(sel < count ? sel : sel - 1);
    Refresh();
    // With the only format gone the previews point at nothing and show a blank sheet.
    RepaintPreviews();
}

void CFormatEditDialog::OnMove(int direction)
{
    const int sel = SelectedFormat();
    const int target = sel + direction;
    // The buttons are disabled at the ends; the check keeps a stale click harmless.
    if (sel < 0 || target < 0 || target >= catalogue_.GetCount())
        return;
    catalogue_.SwapFormats(sel, target);
    QListWidget* list = FormatList();
    const QString moved = list->item(sel)->text();
    list->item(sel)->setText(list->item(target)->text());
    list->item(target)->setText(moved);
    FillRemapList();
    SelectRow(target);
    // Brings the Move buttons, the remap choice and the previews up to the new place.
    Refresh();
}

void CFormatEditDialog::OnNameChanged()
{
    const int sel = SelectedFormat();
    if (sel < 0)
        return;
    const std::string name = Form().Text(kName);
    catalogue_.SetName(sel, name);
    if (QListWidgetItem* item = FormatList()->item(sel))
        item->setText(ToQt(name));
    if (auto* remap = Form().ItemAs<QComboBox>(kRemapList); remap && sel < remap->count())
        remap->setItemText(sel, ToQt(name));
}

void CFormatEditDialog::OnTypedValue(int id)
{
    const int sel = SelectedFormat();
    if (sel < 0)
        return;
    const double value = ParseValue(Form().Text(id), unit_);
    switch (id) {
    case kHole:
        catalogue_.SetHoleSize(sel, value);
        break;
    case kSpineValue:
        catalogue_.SetSpine(sel, value);
        break;
    case kPaperWidth:
        catalogue_.SetPaperWidth(sel, value);
        break;
    case kPaperHeight:
        catalogue_.SetPaperHeight(sel, value);
        break;
    case kWidth:
    case kHeight:
    case kLeftX:
    case kLeftY:
    case kRightX:
    case kRightY:
        OnPlacementTyped();
        return;
    default:
        return;
    }
    RepaintPreviews();
}

void CFormatEditDialog::OnPlacementTyped()
{
    const int sel = SelectedFormat();
    if (sel < 0)
        return;
    CTemplateForm& form = Form();
    const double width = ParseValue(form.Text(kWidth), unit_);
    const double height = ParseValue(form.Text(kHeight), unit_);
    auto store = [&](bool second, int manualId, int xId, int yId) {
        FormatCatalogue::Placement p = catalogue_.GetPlacement(sel, second, false);
        p.width = width;
        p.height = height;
        if (form.Checked(manualId)) {
            p.x = ParseValue(form.Text(xId), unit_);
            p.y = ParseValue(form.Text(yId), unit_);
        } else {
            p.x = kAutoPosition;
            p.y = kAutoPosition;
        }
        catalogue_.SetPlacement(sel, second, p);
    };
    store(false, kLeftManual, kLeftX, kLeftY);
    store(true, kRightManual, kRightX, kRightY);
    RepaintPreviews();
}

void CFormatEditDialog::OnLeftRadio(bool manual)
{
    const int sel = SelectedFormat();
    if (sel < 0)
        return;
    FormatCatalogue::Placement p = catalogue_.GetPlacement(sel, false, false);
    const PointMm at =
        manual ? DefaultLeftPosition({p.width, p.height}) : PointMm{kAutoPosition, kAutoPosition};
    p.x = at.x;
    p.y = at.y;
    catalogue_.SetPlacement(sel, false, p);
    Refresh();
}

void CFormatEditDialog::OnRightRadio(bool manual)
{
    const int sel = SelectedFormat();
    if (sel < 0)
        return;
    FormatCatalogue::Placement p = catalogue_.GetPlacement(sel, true, false);
    const PointMm at =
        manual ? DefaultRightPosition({p.width, p.height}) : PointMm{kAutoPosition, kAutoPosition};
    p.x = at.x;
    p.y = at.y;
    catalogue_.SetPlacement(sel, true, p);
    Refresh();
}

void CFormatEditDialog::OnSpin(int id, int delta)
{
    const int sel = SelectedFormat();
    if (sel < 0 || refreshing_)
        return;
    bool clamped = false;
    // Steps start from the stored values, not from what is being typed.
    auto step = [&](double value) { return StepValue(value, delta, unit_, clamped); };
    auto stepPlacement = [&](bool second, double FormatCatalogue::Placement::*field) {
        FormatCatalogue::Placement p = catalogue_.GetPlacement(sel, second, false);
        p.*field = step(p.*field);
        catalogue_.SetPlacement(sel, second, p);
    };
    switch (id) {
    case kWidthSpin:
        stepPlacement(false, &FormatCatalogue::Placement::width);
        break;
    case kHeightSpin:
        stepPlacement(false, &FormatCatalogue::Placement::height);
        break;
    case kHoleSpin:
        catalogue_.SetHoleSize(sel, step(catalogue_.GetHoleSize(sel)));
        break;
    case kSpineSpin:
        catalogue_.SetSpine(sel, step(catalogue_.GetSpine(sel)));
        break;
    case kPaperWidthSpin:
        catalogue_.SetPaperWidth(sel, step(catalogue_.GetPaperWidth(sel)));
        break;
    case kPaperHeightSpin:
        catalogue_.SetPaperHeight(sel, step(catalogue_.GetPaperHeight(sel)));
        break;
    case kLeftXSpin:
        stepPlacement(false, &FormatCatalogue::Placement::x);
        break;
    case kLeftYSpin:
        stepPlacement(false, &FormatCatalogue::Placement::y);
        break;
    case kRightXSpin:
        stepPlacement(true, &FormatCatalogue::Placement::x);
        break;
    case kRightYSpin:
        stepPlacement(true, &FormatCatalogue::Placement::y);
        break;
    default:
        return;
    }
    if (clamped) {
        QApplication::beep();
        emit beeped();
    }
    Refresh();
}

void CFormatEditDialog::OnOK()
{
    const std::string path = CatalogueWritePath(readPath_);
    if (!catalogue_.SaveCatalogueAs(path)) {
        // The edits stay in the catalogue and the dialog stays open, so nothing is lost.
        QMessageBox::critical(this, windowTitle(),
                              QStringLiteral("The cover formats could not be saved to\n%1\n\n"
                                             "Your changes are kept. Free some disk space or check the "
                                             "folder's permissions, then press Ok again.")
                                  .arg(ToQt(path)));
        return;
    }
    savedPath_ = path;
    catalogue_.SetFilePath(path);
    accept();
}

void CFormatEditDialog::OnCancel()
{
    // Only a backup this dialog took is put back: one left by an earlier editor, or none
    // at all, would overwrite the catalogue with something else.
    if (backupTaken_)
        catalogue_.RestoreBackup();
    CTemplateDialog::OnCancel();
}

int CFormatEditDialog::SelectedCutLine() const
{
    auto* list = Form().ItemAs<QListWidget>(kCutLines);
    if (list == nullptr || SelectedFormat() < 0)
        return -1;
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->row(selected.front());
}

void CFormatEditDialog::EnableCutLineButtons()
{
    const bool chosen = SelectedCutLine() >= 0;
    Form().Enable(kEditLine, chosen);
    Form().Enable(kDeleteLine, chosen);
}

void CFormatEditDialog::OnAddCutLine(bool rectangle)
{
    const int sel = SelectedFormat();
    if (sel < 0)
        return;
    const int count = rectangle ? catalogue_.GetRectCount(sel) : catalogue_.GetLineCount(sel);
    if (count >= kMaxCutLines) {
        QMessageBox::information(this, QStringLiteral("Sleevit"),
                                 ToQt(DialogText(CCutLineDialog::kFullKey, CCutLineDialog::kFullEnglish)));
        return;
    }
    CCutLineDialog dialog(this, rectangle, unit_);
    if (dialog.DoModal() != QDialog::Accepted)
        return;
    if (rectangle)
        catalogue_.AddRect(sel, dialog.Entry());
    else
        catalogue_.AddLine(sel, dialog.Entry());
    Refresh();
    RepaintPreviews();
    if (auto* list = Form().ItemAs<QListWidget>(kCutLines)) {
        const int row = rectangle ? catalogue_.GetLineCount(sel) + catalogue_.GetRectCount(sel) - 1
                                  : catalogue_.GetLineCount(sel) - 1;
        list->setCurrentRow(row);
    }
}

void CFormatEditDialog::OnEditCutLine()
{
    const int sel = SelectedFormat();
    const int row = SelectedCutLine();
    if (sel < 0 || row < 0)
        return;
    // The list holds the lines first, then the rectangles.
    const bool rectangle = row >= catalogue_.GetLineCount(sel);
    const int k = rectangle ? row - catalogue_.GetLineCount(sel) : row;
    CutLine entry;
    entry.solid = rectangle ? catalogue_.GetRect(sel, k, entry.x1, entry.y1, entry.x2, entry.y2)
                            : catalogue_.GetLine(sel, k, entry.x1, entry.y1, entry.x2, entry.y2);
    CCutLineDialog dialog(this, rectangle, unit_);
    dialog.SetEntry(entry);
    if (dialog.DoModal() != QDialog::Accepted)
        return;
    catalogue_.SetCutLine(sel, rectangle, k, dialog.Entry());
    Refresh();
    RepaintPreviews();
    if (auto* list = Form().ItemAs<QListWidget>(kCutLines))
        list->setCurrentRow(row);
}

void CFormatEditDialog::OnDeleteCutLine()
{
    const int sel = SelectedFormat();
    const int row = SelectedCutLine();
    if (sel < 0 || row < 0)
        return;
    const bool rectangle = row >= catalogue_.GetLineCount(sel);
    catalogue_.RemoveCutLine(sel, rectangle, rectangle ? row - catalogue_.GetLineCount(sel) : row);
    Refresh();
    RepaintPreviews();
}
