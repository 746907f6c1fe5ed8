#pragma once

#include <string>
#include <vector>

// language-template FOLDER: writes FOLDER/English.lng (the program's own English texts
// as a language file) and FOLDER/Template.txt (the same for a translator to start from).
int RunLanguageTemplateCommand(const std::vector<std::string>& args);
