// Reads arbitrary bytes as Sleevit.dat; checks the catalogue's invariants and that the
// normalised form is stable: once written and read, writing again gives the same text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "CollectingMessages.h"
#include "FuzzCheck.h"
#include "formats/FormatCatalogue.h"

static std::string Normalise(const std::string& bytes)
{
    CCollectingMessages messages;
    FormatCatalogue catalogue;
    catalogue.LoadCatalogueBytes(bytes, messages);
    for (int i = 0; i < catalogue.GetCount(); ++i) {
        Check(catalogue.GetLineCount(i) >= 0 && catalogue.GetLineCount(i) <= kMaxCutLines);
        Check(catalogue.GetRectCount(i) >= 0 && catalogue.GetRectCount(i) <= kMaxCutLines);
        Check(catalogue.GetRemap(i) >= -1 && catalogue.GetRemap(i) < catalogue.GetCount());
        const double ratio = catalogue.GetAspectRatio(i);
        Check(ratio == ratio); // never NaN
    }
    return catalogue.CatalogueText();
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 65536)
        return 0;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string once = Normalise(bytes);
    const std::string twice = Normalise(FormatCatalogue::EncodeForFile(once));
    const std::string thrice = Normalise(FormatCatalogue::EncodeForFile(twice));
    Check(thrice == twice);
    return 0;
}
