#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "layout/CoverRenderer.h"
#include "layout/Placement.h"

class CPrintTarget;
class CRasterImage;
class CUserMessages;
class FormatCatalogue;

// The job name the printer's queue shows: the masked name when the user asks for one,
// else "Sleevit - " and the left cover's file name.
std::string PrintJobName(bool maskJobName, const std::string& maskedName, const std::string& leftFileName);

// Whether a job must switch the printer to its CD tray: only the left format decides.
bool NeedsCdTray(const FormatCatalogue& catalogue, int leftFormat);

// One side of the main view as a job sees it.
struct JobSide {
    const CRasterImage* image = nullptr; // nullptr or invalid: nothing loaded
    int formatIndex = -1;
};

// Everything an ordinary print job (Print Left, Right, Both, Preview) needs.
struct PrintJobRequest {
    const FormatCatalogue* catalogue = nullptr;
    JobSide left;
    JobSide right;
    PrintSelection selection = PrintSelection::Both;
    bool singlePage = false;
    bool checkPrintableArea = true;
    RenderOptions render; // its preview flag is taken from the target
    // The printer's calibration for this kind of job (sheet or disc): millimetres every
    // cover is moved right and down.
    double offsetXMm = 0;
    double offsetYMm = 0;
    std::string jobName;
    CUserMessages* messages = nullptr;
    // Called after each page with the number of pages done; false cancels the job
    // after the current page.
    std::function<bool(int pagesDone)> progress;
};

struct PrintJobResult {
    bool started = false;
    bool completed = false; // every page drawn and the document ended
    bool cancelled = false;
    int pages = 0;
    int coversPrinted = 0; // what the printed-covers counter grows by
    CoverPlacement leftPlacement;
    CoverPlacement rightPlacement;
    std::string error;
};

// Runs the job on a target: placements at job start for the sides that have pictures
// (on a disc page, centred discs), then the pages of the page plan, each drawing its
// covers.
PrintJobResult RunPrintJob(CPrintTarget& target, const PrintJobRequest& request);

// A batch: many files, one page each, through the left side.
struct BatchJobRequest {
    const FormatCatalogue* catalogue = nullptr;
    std::vector<std::string> files;
    int forcedFormat = -1; // -1: detect each file's format
    // With single page on, every page also carries this cover in its right place.
    bool singlePage = false;
    JobSide right;
    bool autoRotate = true;
    // Any picture the decoders read, whatever its name; else only the names ending in
    // .bmp, .gif, .jpg, .jpeg and .png are taken.
    bool anyPicture = false;
    bool checkPrintableArea = true;
    RenderOptions render;
    double offsetXMm = 0; // the printer's calibration for sheets
    double offsetYMm = 0;
    CUserMessages* messages = nullptr;
    std::function<bool(int pagesDone)> progress;
};

struct BatchJobResult {
    PrintJobResult job;
    std::vector<std::string> printed;
    std::vector<std::string> skipped; // unsupported extension or not decodable
    // Files printed from what could be read of them: the file and what was wrong.
    std::vector<std::pair<std::string, std::string>> partial;
    std::vector<std::string> skipReasons; // why, for each of skipped
    int lastFormat = -1;                  // the format the last page was drawn with
};

// Loads each file in turn into image (a scratch picture of the caller's, never a side's
// own), detects or forces its format, places it with that format and prints it on a
// page of its own, with the right cover beside it on a single page. The job is named
// "Sleevit".
BatchJobResult RunBatchJob(CPrintTarget& target, const BatchJobRequest& request, CRasterImage& image);
