// sleevit-cli: the program's work without a window.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/HelpTexts.h"
#include "cli/LanguageCommand.h"

namespace {

// Wrong usage: the overview on stderr, exit status 2.
int Usage()
{
    std::fputs(OverviewHelp(), stderr);
    return 2;
}

int PrintText(const char* text)
{
    std::fputs(text, stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

bool AsksForHelp(const std::string& word)
{
    return word == "--help" || word == "-h";
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return Usage();
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (AsksForHelp(command) || (command == "help" && args.empty()))
        return PrintText(OverviewHelp());
    if (command == "--version")
        return PrintText(VersionText().c_str());
    if (command == "help") {
        if (const char* text = CommandHelp(args.front()))
            return PrintText(text);
        std::fprintf(stderr, "sleevit-cli: unknown command '%s'\n", args.front().c_str());
        return Usage();
    }
    // Each command: its name and the function that runs it.
    struct Command {
        const char* name;
        int (*run)(const std::vector<std::string>&);
    };
    static const Command kCommands[] = {
        {"formats", RunFormatsCommand},
        {"info", RunInfoCommand},
        {"decode", RunDecodeCommand},
        {"print", RunPrintCommand},
        {"batch", RunBatchCommand},
        {"calibrate", RunCalibrateCommand},
        {"language-template", RunLanguageTemplateCommand},
    };
    for (const Command& c : kCommands) {
        if (command != c.name)
            continue;
        // "COMMAND --help" gives that command's help; nothing else is done.
        if (!args.empty() && AsksForHelp(args.front()))
            return PrintText(CommandHelp(command));
        return c.run(args);
    }
    std::fprintf(stderr, "sleevit-cli: unknown command '%s'\n", command.c_str());
    return Usage();
}
