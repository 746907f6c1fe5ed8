#include "dialogs/CutLineDialog.h"

#include <charconv>
#include <cmath>

#include <QComboBox>

#include "app/DialogTextSource.h"

namespace {

// The edge words in the order of the edge kinds (left -9001 down to bottom -9004), as
// the catalogue file and the cut-line list spell them.
constexpr std::array<const char*, 4> kEdgeWords{{"LEFT", "RIGHT", "TOP", "BOTTOM"}};

int EdgeOf(double x1)
{
    for (int n = 0; n < int(kEdgeWords.size()); ++n)
        if (x1 == kEdgeLeft - n)
            return n;
    return -1;
}

} // namespace

bool IsTypedLength(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return false;
    const std::size_t last = text.find_last_not_of(' ');
    double value = 0.0;
    const char* end = text.data() + last + 1;
    const auto [stop, error] = std::from_chars(text.data() + first, end, value, std::chars_format::fixed);
    return error == std::errc() && stop == end && std::isfinite(value) && value >= 0.0;
}

CCutLineDialog::CCutLineDialog(QWidget* parent, bool rectangle, LengthUnit unit)
    : CTemplateDialog(kTemplateId, parent), rectangle_(rectangle), unit_(unit)
{
    entry_.solid = true;
}

void CCutLineDialog::DoDataExchange(bool save)
{
    ExchangeText(save, kIdX1, values_[0]);
    ExchangeText(save, kIdY1, values_[1]);
    ExchangeText(save, kIdX2, values_[2]);
    ExchangeText(save, kIdY2, values_[3]);
    ExchangeCheck(save, kIdDashed, dashed_);
    ExchangeIndex(save, kIdEdgeList, edge_);
    if (save) {
        alongEdge_ = Form().Checked(kIdEdge) ? 1 : 0;
    } else {
        Form().SetChecked(alongEdge_ != 0 ? kIdEdge : kIdPoints, true);
    }
}

void CCutLineDialog::OnInitDialog()
{
    if (rectangle_) {
        // The template's texts are the line's; a rectangle has its own.
        TranslateDialog(*this, kRectTextPairs, kRectCaptionKey);
        setWindowTitle(ToQt(DialogText(kRectCaptionKey, "Cut Rectangle")));
        Form().SetText(kIdFromCaption, DialogText(8046, "Left, top:"));
        Form().SetText(kIdToCaption, DialogText(8047, "Width, height:"));
    } else {
        TranslateDialog(*this, kLineTextPairs, kLineCaptionKey);
    }
    // The unit's name as the format editor's unit group shows it.
    Form().SetText(kIdUnit, unit_ == LengthUnit::Inches ? DialogText(7028, "Inches")
                                                        : DialogText(7029, "Millimeters"));

    if (auto* edges = Form().ItemAs<QComboBox>(kIdEdgeList)) {
        edges->clear();
        for (const char* word : kEdgeWords)
            edges->addItem(QString::fromLatin1(word));
        // A template gives a drop-down list the height of its open list; closed it is
        // one line high.
        edges->resize(edges->width(), edges->sizeHint().height());
    }
    for (int id : {kIdPoints, kIdEdge, kIdEdgeList}) {
        if (QWidget* item = Form().Item(id))
            item->setVisible(!rectangle_);
    }

    const int edge = rectangle_ ? -1 : EdgeOf(entry_.x1);
    alongEdge_ = edge >= 0 ? 1 : 0;
    edge_ = edge >= 0 ? edge : 0;
    const double numbers[4] = {entry_.x1, entry_.y1, entry_.x2, entry_.y2};
    for (std::size_t n = 0; n < values_.size(); ++n)
        values_[n] = edge >= 0 ? std::string() : FormatValue(numbers[n], unit_);
    dashed_ = entry_.solid ? 0 : 1;
    UpdateData(false);
    EnableControls();
}

void CCutLineDialog::OnCommand(int id, Notification what)
{
    if ((id == kIdPoints || id == kIdEdge) && what == Notification::Clicked) {
        EnableControls();
        return;
    }
    if (what == Notification::TextChanged) {
        EnableControls();
        return;
    }
    CTemplateDialog::OnCommand(id, what);
}

bool CCutLineDialog::Complete() const
{
    if (Form().Checked(kIdEdge) && !rectangle_)
        return Form().CurrentIndex(kIdEdgeList) >= 0;
    for (int id : {kIdX1, kIdY1, kIdX2, kIdY2}) {
        if (!IsTypedLength(Form().Text(id)))
            return false;
    }
    // A rectangle without a width or a height would draw nothing.
    return !rectangle_ ||
           (ParseValue(Form().Text(kIdX2), unit_) > 0.0 && ParseValue(Form().Text(kIdY2), unit_) > 0.0);
}

void CCutLineDialog::EnableControls()
{
    const bool edge = !rectangle_ && Form().Checked(kIdEdge);
    for (int id : {kIdFromCaption, kIdX1, kIdY1, kIdToCaption, kIdX2, kIdY2})
        Form().Enable(id, !edge);
    Form().Enable(kIdEdgeList, edge);
    Form().Enable(kIdOk, Complete());
}

void CCutLineDialog::OnOK()
{
    if (!Complete())
        return;
    UpdateData(true);
    CutLine entry;
    entry.solid = dashed_ == 0;
    if (alongEdge_ != 0 && !rectangle_) {
        entry.x1 = kEdgeLeft - edge_;
    } else {
        entry.x1 = ParseValue(values_[0], unit_);
        entry.y1 = ParseValue(values_[1], unit_);
        entry.x2 = ParseValue(values_[2], unit_);
        entry.y2 = ParseValue(values_[3], unit_);
    }
    entry_ = entry;
    accept();
}
