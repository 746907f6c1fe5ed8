#pragma once

#include <memory>
#include <string>

class CPrintTarget;
class FormatCatalogue;

// Where sleevit-cli sends a job: exactly one of a PDF file, PNG pictures of the pages,
// or a printer queue (the default printer when the queue is empty).
struct TargetOptions {
    std::string pdf;
    std::string png;
    bool usePrinter = false;
    std::string printer;
    int dpi = 0;  // 0: 600 for PDF and printers, 300 for PNG
    int copies = 1;
    std::string paper; // "a4", "letter" or "" (the locale's sheet, or the tray's for a tray job)
};

// Makes the target, or prints why it cannot and returns nullptr. formatIndex names the
// format whose paper a tray job uses; tray asks for the printer's CD tray.
std::unique_ptr<CPrintTarget> MakePrintTarget(const TargetOptions& options, const FormatCatalogue& catalogue,
                                              int formatIndex, bool tray);
// What the job went to, for the closing line.
std::string DescribeTarget(const TargetOptions& options);
