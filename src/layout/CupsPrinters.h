#pragma once

#include <optional>
#include <string>
#include <vector>

#include "layout/PdfDocument.h"
#include "surfaces/DrawingSurface.h"

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

// How a queue prints on discs: the paper source of its disc tray and the disc media
// type where it has them, and the square disc page its driver expects.
struct CupsDiscTray {
    std::string source;    // media-source keyword, such as "cd" or "cddvdtray"; "" when
                           // the queue only has a disc media type (then the disc is
                           // printed on an ordinary sheet wherever the printer puts it)
    std::string mediaType; // media-type keyword, such as "cddvdmedia"; "" when none
    std::string text;      // the printer's own name for the tray (or the media type)
    CupsMedia page;        // the disc page, or for a media type alone the A4/Letter sheet
    bool discPage = false; // page is a square disc page
    // The driver's own disc options (StpCDInnerRadius, StpCDOuterDiameter) exist.
    bool driverDiscOptions = false;
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

    // The queue's disc tray for a disc of discMm: a media source whose keyword or own
    // name says CD, DVD, Disc or Blu-ray (whole words: "LCD" is no tray), a disc media
    // type (disc*, cd, cddvd*), and the smallest square page of the queue that holds the
    // disc (else the largest). Nothing (LastError empty) when the queue has neither a
    // disc source nor a disc media type; nothing with LastError when it cannot be asked.
    std::optional<CupsDiscTray> FindDiscTray(const std::string& printer, double discMm);

    const std::string& LastError() const { return error_; }

private:
    std::string error_;
};

// Whether a paper source's keyword or its name in the printer's texts names the disc tray
// (exposed for the tests).
bool NamesCdTray(const std::string& text, bool keyword);
// Whether a media type keyword is a printable disc (exposed for the tests).
bool IsDiscMediaType(const std::string& keyword);
// Of square sheets (sides in millimetres), the one a disc of discMm is printed on: the
// smallest that holds it, else the largest; -1 when there is none between 60 and 140 mm.
int ChooseDiscPage(const std::vector<double>& sides, double discMm);

// The pairs of a printer's strings file ("key" = "value"; per line, C escapes), at most
// maxBytes of it read (exposed for the tests).
std::vector<std::pair<std::string, std::string>> ParseCupsStrings(const std::string& text);
