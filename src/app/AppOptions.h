#pragma once

#include <string>

class AppSettings;

// The process-wide copies of the persisted options: read at the moments start-up reads
// them, changed during the run (options dialog, loads, the view), written back at
// shut-down.
struct AppOptions {
    int language = 0;
    int drawCutAndFoldLines = 1;
    int autoRotate = 1;
    int batchMode = 0;
    int checkPrintableArea = 1;
    int maskPrintJobName = 0;
    std::string printJobName = "Microsoft Word - Document1";
    int autoload2ndImage = 1;
    int reloadOnStartup = 1;
    std::string recentFileLeft;
    std::string recentFileRight;
    int autoDetectFormat = 1;
    int lastUsedLeftFormat = 0;
    int lastUsedRightFormat = 0;
    int selectedSkin = -1;
    int printBorder = 1;
    int showSplash = 1;
    int nrCoversPrinted = 0;
    bool firstStartOfVersion = false;
    bool showDonationDialog = true;
};
