// sleevit-cli: the program's work without a window.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/LanguageCommand.h"

static int Usage()
{
    std::fputs("usage: sleevit-cli <command> [arguments]\n"
               "commands:\n"
               "  formats [FILE]          list the cover formats of the catalogue\n"
               "  info [--crc] FILE...    size, bits per pixel and decoder of each picture file\n"
               "  decode FILE OUT.ppm     write the decoded picture as a binary PPM\n"
               "  print [options]         print covers to a PDF file, PNG pages or a printer\n"
               "      --left FILE, --right FILE, --sample (the built-in sample cover on the left)\n"
               "      --left-format NAME|auto, --right-format NAME|auto   (default auto: detected)\n"
               "      --single-page, --no-lines, --no-border, --no-companion, --no-correction\n"
               "      --to OUT.pdf | --png OUT.png | --printer [QUEUE]   (exactly one)\n"
               "      --dpi N, --copies N, --paper a4|letter, --job-name NAME, --catalogue FILE\n"
               "      --calibration-page [--disc]   the page to measure a printer's offsets on\n"
               "  batch FILE... [--format NAME|auto] --to OUT.pdf | --png OUT.png | --printer [QUEUE]\n"
               "      one page per file; exit status 3 when files were skipped\n"
               "  calibrate QUEUE [--sheet X,Y] [--disc X,Y] [--show]\n"
               "      millimetres covers are moved right and down on that printer\n"
               "  language-template FOLDER  write FOLDER/English.lng and FOLDER/Template.txt\n",
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
        {"info", RunInfoCommand},
        {"decode", RunDecodeCommand},
        {"print", RunPrintCommand},
        {"batch", RunBatchCommand},
        {"calibrate", RunCalibrateCommand},
        {"language-template", RunLanguageTemplateCommand},
    };
    for (const Command& c : kCommands)
        if (command == c.name)
            return c.run(args);
    std::fprintf(stderr, "sleevit-cli: unknown command '%s'\n", command.c_str());
    return Usage();
}
