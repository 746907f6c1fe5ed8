#pragma once

#include <string>

#include "formats/CoverFormat.h"

class FormatCatalogue;

// The unit the format editor shows and reads lengths in; lengths are always stored in
// millimetres. The values match the editor's radio group (Inches first).
enum class LengthUnit { Inches = 0, Millimetres = 1 };

inline constexpr double kMillimetresPerInch = 25.4;

// A stored length as the editor shows it: empty for the automatic marker, the edge word
// for an edge kind, else one decimal in millimetres or two in inches. The decimal point
// is always '.', whatever the desktop's language.
std::string FormatValue(double mm, LengthUnit unit);

// The leading decimal number of a typed text, in millimetres; 0.0 when the text does not
// begin with a number (or names one beyond the range of a double).
double ParseValue(const std::string& text, LengthUnit unit);

// One click of an up-down arrow on a stored length: the up arrow (negative delta) adds
// 0.1 mm, or 0.01 inch in inch mode, the down arrow subtracts it. A result below zero
// becomes zero and sets clamped.
double StepValue(double mm, int delta, LengthUnit unit, bool& clamped);

// The name Add gives a new format: "New Format" while no format is called that, else
// "New Format N" with the first N from 1 up that no format uses.
std::string FreeNewFormatName(const FormatCatalogue& catalogue);

// Where a side switched to manual placement puts a cover of this size on an A4 sheet:
// the left side centred in the upper half (the whole sheet when it does not fit there),
// the right side centred in the lower half (the whole sheet when it would run off it).
PointMm DefaultLeftPosition(const SizeMm& size);
PointMm DefaultRightPosition(const SizeMm& size);
