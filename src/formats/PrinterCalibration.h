#pragma once

#include <optional>
#include <string>

// Per-printer calibration: how far covers are moved (millimetres, right and down) on one
// printer queue, for sheets and for discs, on top of the catalogue's own offsets. Kept
// in the program's settings file (the one the window keeps its options in, an INI file)
// in the section [PrinterCalibration], so the window and sleevit-cli share it. Keys are
// the queue's name with characters other than letters, digits, "-", "_" and "." written
// as %XX, then ".sheet-x", ".sheet-y", ".disc-x", ".disc-y".
struct PrinterCalibration {
    double sheetX = 0;
    double sheetY = 0;
    double discX = 0;
    double discY = 0;
    bool operator==(const PrinterCalibration&) const = default;
};

// The settings file: $XDG_CONFIG_HOME (else ~/.config) /Tessaly/Sleevit.conf.
std::string SettingsFilePath();

// The calibration of a queue; zeros for a queue (or a file) without one. Unreadable
// numbers count as 0.
PrinterCalibration ReadPrinterCalibration(const std::string& iniPath, const std::string& queue);

// Stores a queue's calibration, keeping every other line of the file as it is; the file
// is replaced atomically (its folder made when missing). False when it cannot be written.
bool WritePrinterCalibration(const std::string& iniPath, const std::string& queue,
                             const PrinterCalibration& value);

// Reads "X,Y" (millimetres, a dot for the decimals, each within +-50); nothing when the
// text is not such a pair.
std::optional<std::pair<double, double>> ParseOffsetPair(const std::string& text);
