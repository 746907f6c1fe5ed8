#pragma once

#include <optional>
#include <string>
#include <vector>

#include "layout/DrawingSurface.h"
#include "layout/PdfDocument.h"

// The printers of the CUPS server the program talks to: the one CUPS_SERVER names, else
// the user's or the system's default (libcups decides). Every call opens its own
// connection, so a server that starts or stops between calls is seen as it is.

// A print queue.
struct CupsPrinter {
    std::string name;     // the queue's name, what a job is sent to
    std::string info;     // its description ("" when it has none)
    std::string location; // "" when it has none
    bool isDefault = false;
};

// A sheet a printer takes: its size and unprintable margins.
struct CupsMedia {
    std::string name; // the media keyword, such as "iso_a4_210x297mm"
    PaperSize size;
    PaperMargins margins;
};

// A job option that feeds the printer's disc tray, such as media-source=disc.
struct CupsTrayChoice {
    std::string option;
    std::string value;
    std::string text; // the printer's own name for the choice, the one that matched
    bool operator==(const CupsTrayChoice&) const = default;
};

class CCupsPrinters {
public:
    // The queues of the server; false (and LastError) when the server cannot be reached.
    bool List(std::vector<CupsPrinter>& printers);
    // The default queue's name; "" when there is none (or no server).
    std::string DefaultPrinter();
    // Whether the server knows the queue; false with LastError when it does not or when
    // the server cannot be reached.
    bool Exists(const std::string& printer);

    // The printer's default sheet, or the named one (a media keyword); nothing (and
    // LastError) when the printer or the sheet is unknown.
    std::optional<CupsMedia> GetMedia(const std::string& printer, const std::string& media = std::string());
    // That sheet's measurements at dpi (the PDF sent is scaled by the printer anyway).
    std::optional<DeviceCaps> GetDeviceCaps(const std::string& printer, int dpi = 600,
                                            const std::string& media = std::string());

    // The first choice of the printer's input-slot, media-source, media-type and media
    // values (in that order) whose keyword or whose name in the printer's own texts
    // contains "cd-r tray" in any case (a dash or an underscore counts as a space when
    // comparing keywords). Nothing when none does or the printer is unknown.
    std::optional<CupsTrayChoice> FindCdTray(const std::string& printer);

    const std::string& LastError() const { return error_; }

private:
    std::string error_;
};

// Whether a choice's name or keyword names the disc tray (exposed for the tests).
bool NamesCdTray(const std::string& text, bool keyword);

// The pairs of a printer's strings file ("key" = "value"; per line, C escapes), at most
// maxBytes of it read (exposed for the tests).
std::vector<std::pair<std::string, std::string>> ParseCupsStrings(const std::string& text);
