#pragma once

#include <string>

// The overview that --help prints: every command with a line on what it does.
const char* OverviewHelp();

// The help of one command (its usage line, options and exit status), or nullptr when
// there is no such command.
const char* CommandHelp(const std::string& command);

// What --version prints: the program's version and the libraries it was built with.
std::string VersionText();
