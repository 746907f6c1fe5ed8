#pragma once

#include <string>

class CDrawingSurface;
class CPrintTarget;

// The page a user measures a printer's offsets on: a frame 10 mm inside the sheet's
// edges, a cross through the sheet's centre with millimetre rulers along both arms
// (longer ticks every 5 and 10 mm), and the outline of a disc of discMm with its hole,
// all centred on the sheet. Printed without any calibration, so what the ruler shows is
// the printer's own error.
void DrawCalibrationPage(CDrawingSurface& surface, double discMm, double holeMm);

// Prints the calibration page as a one-page job; false with target.LastError() on failure.
bool PrintCalibrationPage(CPrintTarget& target, const std::string& jobName, double discMm, double holeMm);
