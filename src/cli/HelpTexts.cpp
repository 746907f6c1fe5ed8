// The texts of sleevit-cli --help, help COMMAND and --version.
#include "cli/HelpTexts.h"

#include <cstdio>
#include <cstring>

#include <cairo.h>
#include <cups/cups.h>
#include <jpeglib.h>
#include <png.h>
#include <zlib.h>

#ifndef SLEEVIT_VERSION
#define SLEEVIT_VERSION "unknown"
#endif
#define SLEEVIT_TEXT(x) #x
#define SLEEVIT_STRING(x) SLEEVIT_TEXT(x)

namespace {

struct Help {
    const char* command;
    const char* text;
};

constexpr Help kHelp[] = {
    {"formats", "usage: sleevit-cli formats [FILE]\n"
                "\n"
                "Lists the cover formats of a catalogue: position, name, internal type, size in\n"
                "millimetres, left and right positions, and the proportions that format detection\n"
                "uses (\"off\" for a format that is never detected). Without FILE the catalogue the\n"
                "window uses is read. Lines the reader does not understand are reported on stderr.\n"},
    {"info", "usage: sleevit-cli info [--crc] FILE...\n"
             "\n"
             "Prints width, height, bits per pixel and the decoder that read each picture file,\n"
             "or why it could not be read. --crc adds a checksum of the decoded pixels.\n"
             "Exit status 1 when any file could not be read.\n"},
    {"decode", "usage: sleevit-cli decode FILE OUT.ppm\n"
               "\n"
               "Writes the decoded picture as a binary PPM, top row first.\n"},
    {"print", "usage: sleevit-cli print [options] (--to|-o OUT.pdf | --png OUT.png | --printer [QUEUE])\n"
              "\n"
              "Prints the covers of the left and right side, as the window's Print Both does.\n"
              "  --left FILE, --right FILE   the pictures of the two sides\n"
              "  --sample                    the built-in sample cover on the left\n"
              "  --left-format NAME|auto     the left cover's format (default auto: detected from\n"
              "  --right-format NAME|auto    the picture's proportions; see 'sleevit-cli formats')\n"
              "  --no-companion              do not load the back cover that belongs to --left\n"
              "  --single-page               both covers on one sheet\n"
              "  --no-lines, --no-border     leave out the cut and fold lines, the border\n"
              "  --no-correction             do not pull covers into the printable area\n"
              "  --to, -o OUT.pdf            a PDF file\n"
              "  --png OUT.png               PNG pictures of the pages (OUT-2.png for page 2)\n"
              "  --printer [QUEUE]           a CUPS queue, the default printer without a name\n"
              "  --paper a4|letter           the sheet (default: the locale's, LC_PAPER)\n"
              "  --dpi N, --copies N, --job-name NAME, --catalogue FILE\n"
              "  --calibration-page [--disc] the page to measure a printer's offsets on\n"
              "A disc-tray format prints on the printer's own disc page, in its disc tray; to a PDF\n"
              "file it prints on the format's own sheet.\n"},
    {"batch", "usage: sleevit-cli batch FILE... [--format NAME|auto] (--to|-o OUT.pdf | --png OUT.png | "
              "--printer [QUEUE])\n"
              "\n"
              "Prints one page per picture through the left side. Files that cannot be read are\n"
              "skipped with a message; the exit status is then 3. Takes the output options of\n"
              "print (--paper, --dpi, --copies, --no-lines, --no-border, --catalogue, ...).\n"},
    {"calibrate", "usage: sleevit-cli calibrate QUEUE [--sheet X,Y] [--disc X,Y] [--show]\n"
                  "\n"
                  "Sets or shows how many millimetres covers are moved right (X) and down (Y) on the\n"
                  "printer QUEUE, for sheets and for discs in its disc tray. Measure them on the\n"
                  "calibration page (print --calibration-page).\n"},
    {"language-template", "usage: sleevit-cli language-template FOLDER\n"
                          "\n"
                          "Writes FOLDER/English.lng (the program's English texts as a language file) and\n"
                          "FOLDER/Template.txt (the same, for a translator to start from).\n"},
};

} // namespace

const char* OverviewHelp()
{
    return "usage: sleevit-cli COMMAND [arguments]\n"
           "       sleevit-cli --help | --version | help COMMAND\n"
           "\n"
           "Prints covers for CD and DVD cases without the window.\n"
           "\n"
           "commands:\n"
           "  formats [FILE]            list the cover formats of the catalogue\n"
           "  info [--crc] FILE...      size, bits per pixel and decoder of picture files\n"
           "  decode FILE OUT.ppm       write a decoded picture as a binary PPM\n"
           "  print [options]           print covers to a PDF file, PNG pages or a printer\n"
           "  batch FILE... [options]   one page per picture\n"
           "  calibrate QUEUE [options] a printer's calibration offsets\n"
           "  language-template FOLDER  write the English texts as a language file\n"
           "\n"
           "'sleevit-cli help COMMAND' tells more about one command.\n"
           "Exit status: 0 done, 1 failed, 2 wrong usage, 3 some files were skipped.\n";
}

const char* CommandHelp(const std::string& command)
{
    for (const Help& h : kHelp)
        if (command == h.command)
            return h.text;
    return nullptr;
}

std::string VersionText()
{
    char line[256];
    std::string text = "sleevit-cli " SLEEVIT_VERSION "\n";
#ifdef LIBJPEG_TURBO_VERSION
    std::snprintf(line, sizeof line, "libjpeg %d.%d (libjpeg-turbo %s)\n", JPEG_LIB_VERSION / 10,
                  JPEG_LIB_VERSION % 10, SLEEVIT_STRING(LIBJPEG_TURBO_VERSION));
#else
    std::snprintf(line, sizeof line, "libjpeg %d.%d\n", JPEG_LIB_VERSION / 10, JPEG_LIB_VERSION % 10);
#endif
    text += line;
    // The libraries that tell their version at run time give the one actually loaded.
    std::snprintf(line, sizeof line, "libpng %s\n", png_get_libpng_ver(nullptr));
    text += line;
    std::snprintf(line, sizeof line, "zlib %s\n", zlibVersion());
    text += line;
    std::snprintf(line, sizeof line, "cairo %s\n", cairo_version_string());
    text += line;
    std::snprintf(line, sizeof line, "cups %d.%d.%d\n", CUPS_VERSION_MAJOR, CUPS_VERSION_MINOR,
                  CUPS_VERSION_PATCH);
    text += line;
    return text;
}
