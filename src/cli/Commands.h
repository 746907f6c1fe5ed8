#pragma once

#include <string>
#include <vector>

// Each command takes the arguments after its name and returns the exit status.
int RunFormatsCommand(const std::vector<std::string>& args);
