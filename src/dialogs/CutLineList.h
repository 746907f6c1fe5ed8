#pragma once

#include <string>
#include <vector>

#include "dialogs/FormatEditValues.h"

class FormatCatalogue;
class QListWidget;

// The read-only list of a format's cut markers, fold lines and rectangles that the
// format editor shows: one text per line, then one per rectangle, each coordinate in the
// editor's unit. Cut lines are changed by editing the catalogue file by hand.

// The texts for format i; empty for a format without lines or for a bad position.
std::vector<std::string> CutLineTexts(const FormatCatalogue& catalogue, int i, LengthUnit unit);

// Empties the list and fills it with CutLineTexts.
void FillCutLineList(QListWidget& list, const FormatCatalogue& catalogue, int i, LengthUnit unit);
