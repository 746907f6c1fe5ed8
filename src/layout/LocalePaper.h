#pragma once

#include <string>

#include "layout/PdfDocument.h"

// The sheet people use where the user lives, from the LC_PAPER part of the locale:
// Letter in the United States and Canada, A4 elsewhere. The installed locale's own
// paper size is asked first; a locale that is not installed is judged by its name
// (the territory after "_"), as LC_ALL, LC_PAPER and LANG give it, in that order.
PaperSize LocalePaper();

// The same rule for a locale name alone, such as "en_US.UTF-8" or "fr_CA".
PaperSize PaperOfLocaleName(const std::string& name);
