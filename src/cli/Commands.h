#pragma once

#include <string>
#include <vector>

// Each command takes the arguments after its name and returns the exit status.
int RunFormatsCommand(const std::vector<std::string>& args);
// info [--crc] FILE...: size, bits per pixel and decoder of each file (or its error).
int RunInfoCommand(const std::vector<std::string>& args);
// decode FILE OUT.ppm: the decoded picture as a binary PPM, top row first.
int RunDecodeCommand(const std::vector<std::string>& args);
// print --left FILE [--right FILE] ... --to OUT.pdf | --png OUT.png | --printer [QUEUE]
int RunPrintCommand(const std::vector<std::string>& args);
// batch FILE... --to OUT.pdf [--format NAME]: one page per file through the left side.
int RunBatchCommand(const std::vector<std::string>& args);

// Tells on stderr that a file was loaded only in part, and why; nothing when notice is empty.
void WarnIfPartial(const std::string& path, const std::string& notice);

// calibrate QUEUE [--sheet X,Y] [--disc X,Y] [--show]: a printer's calibration offsets.
int RunCalibrateCommand(const std::vector<std::string>& args);
