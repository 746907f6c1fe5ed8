// sleevit-cli: the program's work without a window.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/Commands.h"

static int Usage()
{
    std::fputs("usage: sleevit-cli <command> [arguments]\n"
               "commands:\n"
               "  formats [FILE]          list the cover formats of the catalogue\n",
               stderr);
    return 2;
}

int main(int argc, char** argv)
{
    if (argc < 2)
        return Usage();
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    // Each command: its name and the function that runs it.
    struct Command {
        const char* name;
        int (*run)(const std::vector<std::string>&);
    };
    static const Command kCommands[] = {
        {"formats", RunFormatsCommand},
    };
    for (const Command& c : kCommands)
        if (command == c.name)
            return c.run(args);
    std::fprintf(stderr, "sleevit-cli: unknown command '%s'\n", command.c_str());
    return Usage();
}
