#pragma once

#include <memory>
#include <string>

class CPrintTarget;
class CUserMessages;
class FormatCatalogue;

// Where sleevit-cli sends a job: exactly one of a PDF file, PNG pictures of the pages,
// or a printer queue (the default printer when the queue is empty).
struct TargetOptions {
    std::string pdf;
    std::string png;
    bool usePrinter = false;
    std::string printer;
    int dpi = 0; // 0: 600 for PDF and printers, 300 for PNG
    int copies = 1;
    std::string paper; // "a4", "letter" or "": A4 for files (the format's paper for a
                       // tray job), the queue's default sheet for a printer (its disc
                       // page for a tray job)
};

// The disc of a tray job: its diameter and its hole's, in millimetres.
struct TrayDisc {
    double discMm = 120;
    double holeMm = 0;
};

// Makes the target, or prints why it cannot and returns nullptr. formatIndex names the
// format whose paper a tray job uses on files; tray asks for the printer's disc tray
// (messages gives its texts). queue receives the printer queue a job goes to ("" for
// files).
std::unique_ptr<CPrintTarget> MakePrintTarget(const TargetOptions& options, const FormatCatalogue& catalogue,
                                              int formatIndex, bool tray, CUserMessages* messages = nullptr,
                                              std::string* queue = nullptr);
// What the job went to, for the closing line.
std::string DescribeTarget(const TargetOptions& options);

// A printer's calibration for the job's kind (disc or sheet): the offsets the covers are
// drawn with, or for a driver that moves the disc itself, the driver's own adjustment.
void ApplyCalibration(CPrintTarget& target, const std::string& queue, bool disc, double& offsetXMm,
                      double& offsetYMm);
