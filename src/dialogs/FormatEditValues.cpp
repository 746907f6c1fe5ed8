#include "dialogs/FormatEditValues.h"

#include <charconv>
#include <cmath>
#include <cstddef>

#include "formats/FormatCatalogue.h"

namespace {

// A4 in millimetres, the sheet manual placement starts from.
constexpr double kSheetWidth = 210.0;
constexpr double kSheetHeight = 297.0;
constexpr double kHalfSheetHeight = 148.5;

// One step of an up-down arrow in millimetres.
constexpr double kStepMillimetres = 0.1;
constexpr double kStepInches = 0.254;

// Fixed-point text with a given count of decimals, rounded like printf's %.Nf but never
// with the desktop's decimal comma.
std::string Fixed(double value, int decimals)
{
    // The largest double has 309 integer digits; sign, point and decimals fit beside them.
    char buffer[400];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (ec != std::errc())
        return std::string(); // a NaN or infinity cannot come from the catalogue's reader
    return std::string(buffer, end);
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

std::string FormatValue(double mm, LengthUnit unit)
{
    if (mm == kAutoPosition)
        return std::string();
    if (mm == kEdgeLeft)
        return "LEFT";
    if (mm == kEdgeRight)
        return "RIGHT";
    if (mm == kEdgeTop)
        return "TOP";
    if (mm == kEdgeBottom)
        return "BOTTOM";
    if (unit == LengthUnit::Inches)
        return Fixed(mm / kMillimetresPerInch, 2);
    return Fixed(mm, 1);
}

double ParseValue(const std::string& text, LengthUnit unit)
{
    // Scans [spaces][sign]digits[.digits][e[sign]digits]; every index stays below size().
    const std::size_t size = text.size();
    std::size_t i = 0;
    while (i < size && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < size && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::size_t start = i;
    std::size_t digits = 0;
    while (i < size && IsDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < size && text[i] == '.') {
        ++i;
        while (i < size && IsDigit(text[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return 0.0;
    if (i < size && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < size && (text[j] == '+' || text[j] == '-'))
            ++j;
        if (j < size && IsDigit(text[j])) {
            while (j < size && IsDigit(text[j]))
                ++j;
            i = j;
        }
    }
    double value = 0.0;
    auto [end, ec] = std::from_chars(text.data() + start, text.data() + i, value, std::chars_format::general);
    if (ec != std::errc() || end != text.data() + i || !std::isfinite(value))
        return 0.0;
    if (negative)
        value = -value;
    if (unit == LengthUnit::Inches)
        value *= kMillimetresPerInch;
    // A huge number of inches can still overflow the conversion.
    return std::isfinite(value) ? value : 0.0;
}

double StepValue(double mm, int delta, LengthUnit unit, bool& clamped)
{
    const double step = unit == LengthUnit::Inches ? kStepInches : kStepMillimetres;
    double result = mm;
    if (delta < 0)
        result += step;
    else if (delta > 0)
        result -= step;
    clamped = result < 0.0;
    return clamped ? 0.0 : result;
}

std::string FreeNewFormatName(const FormatCatalogue& catalogue)
{
    auto taken = [&catalogue](const std::string& name) {
        for (int i = 0; i < catalogue.GetCount(); ++i) {
            if (catalogue.GetName(i) == name)
                return true;
        }
        return false;
    };
    const std::string base = "New Format";
    if (!taken(base))
        return base;
    // Among count + 1 candidates at least one is free, so the loop ends by count + 1.
    for (int n = 1;; ++n) {
        std::string candidate = base + " " + std::to_string(n);
        if (!taken(candidate))
            return candidate;
    }
}

PointMm DefaultLeftPosition(const SizeMm& size)
{
    PointMm p{(kSheetWidth - size.width) / 2, (kHalfSheetHeight - size.height) / 2};
    if (p.y <= 0.0)
        p.y = (kSheetHeight - size.height) / 2;
    return p;
}

PointMm DefaultRightPosition(const SizeMm& size)
{
    PointMm p{(kSheetWidth - size.width) / 2, kHalfSheetHeight + (kHalfSheetHeight - size.height) / 2};
    if (p.y + size.height > kSheetHeight)
        p.y = (kSheetHeight - size.height) / 2;
    return p;
}
