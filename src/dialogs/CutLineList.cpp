#include "dialogs/CutLineList.h"

#include <QListWidget>

#include "app/TemplateForm.h"
#include "formats/FormatCatalogue.h"

namespace {

// x1 values below this are edge kinds (or the MIN and MAX words): the short form.
constexpr double kEdgeKindLimit = -9000.0;

const char* StyleWord(bool solid)
{
    return solid ? "SOLID" : "DASHED";
}

std::string Corners(const char* head, double x1, double y1, double x2, double y2, bool solid, LengthUnit unit)
{
    return std::string(head) + " = (" + FormatValue(x1, unit) + ", " + FormatValue(y1, unit) + ")(" +
           FormatValue(x2, unit) + ", " + FormatValue(y2, unit) + "), " + StyleWord(solid);
}

} // namespace

std::vector<std::string> CutLineTexts(const FormatCatalogue& catalogue, int i, LengthUnit unit)
{
    std::vector<std::string> texts;
    if (catalogue.Get(i) == nullptr)
        return texts;
    // Both counts are at most ten by the catalogue's own invariant.
    for (int k = 0; k < catalogue.GetLineCount(i); ++k) {
        double x1 = 0.0, y1 = 0.0, x2 = 0.0, y2 = 0.0;
        const bool solid = catalogue.GetLine(i, k, x1, y1, x2, y2);
        if (x1 < kEdgeKindLimit)
            texts.push_back("LINE = " + FormatValue(x1, unit) + ", " + StyleWord(solid));
        else
            texts.push_back(Corners("LINE", x1, y1, x2, y2, solid, unit));
    }
    for (int k = 0; k < catalogue.GetRectCount(i); ++k) {
        double x1 = 0.0, y1 = 0.0, x2 = 0.0, y2 = 0.0;
        const bool solid = catalogue.GetRect(i, k, x1, y1, x2, y2);
        texts.push_back(Corners("RECT", x1, y1, x2, y2, solid, unit));
    }
    return texts;
}

void FillCutLineList(QListWidget& list, const FormatCatalogue& catalogue, int i, LengthUnit unit)
{
    list.clear();
    for (const std::string& text : CutLineTexts(catalogue, i, unit))
        list.addItem(ToQt(text));
}
