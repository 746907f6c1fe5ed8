// sleevit-cli formats [FILE]: the cover formats of a catalogue, one line each.
#include <cstdio>
#include <string>
#include <vector>

#include "app/ProgramFolder.h"
#include "cli/Commands.h"
#include "cli/StderrMessages.h"
#include "formats/FormatCatalogue.h"

namespace {

std::string Mm(double v)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.1f", v);
    return buffer;
}

std::string PositionText(const PointMm& p)
{
    if (p.x == kAutoPosition)
        return "auto";
    if (p.x == kMirrorPosition && p.y == kMirrorPosition)
        return "mirror";
    return Mm(p.x) + "," + Mm(p.y);
}

} // namespace

int RunFormatsCommand(const std::vector<std::string>& args)
{
    if (args.size() > 1) {
        std::fputs("usage: sleevit-cli formats [FILE]\n", stderr);
        return 2;
    }
    const std::string path = args.empty() ? CatalogueReadPath() : args[0];
    CStderrMessages messages;
    FormatCatalogue catalogue;
    if (!catalogue.LoadCatalogue(path, messages)) {
        std::fprintf(stderr, "sleevit-cli: cannot read %s\n", path.c_str());
        return 1;
    }
    std::printf("%s: %d formats\n", path.c_str(), catalogue.GetCount());
    std::printf("%3s  %-28s %-13s %-15s %-13s %-13s %s\n", "#", "name", "type", "size (mm)", "left", "right",
                "detection");
    for (int i = 0; i < catalogue.GetCount(); ++i) {
        const CoverFormat& f = *catalogue.Get(i);
        const std::string size = f.hasSize ? Mm(f.size.width) + " x " + Mm(f.size.height) : "none";
        char ratio[64];
        if (f.autodetect)
            std::snprintf(ratio, sizeof ratio, "%.3f", catalogue.GetAspectRatio(i));
        else
            std::snprintf(ratio, sizeof ratio, "off");
        std::string detection = ratio;
        if (f.remap >= 0)
            detection += " -> " + catalogue.GetName(f.remap);
        std::printf("%3d  %-28s %-13s %-15s %-13s %-13s %s\n", i, f.name.c_str(), f.type.c_str(),
                    size.c_str(), PositionText(f.position).c_str(), PositionText(f.position2).c_str(),
                    detection.c_str());
    }
    return 0;
}
