// sleevit-cli language-template FOLDER: the English language file and the translator's
// template, both made from the built-in English texts.
#include "cli/LanguageCommand.h"

#include <cstdio>
#include <filesystem>

#include "formats/AtomicFile.h"
#include "i18n/DefaultTexts.h"
#include "i18n/LanguageFile.h"

namespace {

bool WriteOne(const std::filesystem::path& path, LanguageFileKind kind)
{
    std::string text;
    if (!FormatLanguageFile(AllDefaultTexts(), kind, text)) {
        std::fprintf(stderr, "sleevit-cli: the English texts cannot be written as a language file\n");
        return false;
    }
    if (!WriteFileAtomically(path.string(), EncodeLanguageFile(text))) {
        std::fprintf(stderr, "sleevit-cli: cannot write %s\n", path.string().c_str());
        return false;
    }
    std::printf("%s\n", path.string().c_str());
    return true;
}

} // namespace

int RunLanguageTemplateCommand(const std::vector<std::string>& args)
{
    if (args.size() != 1) {
        std::fputs("usage: sleevit-cli language-template FOLDER\n", stderr);
        return 2;
    }
    const std::filesystem::path folder(args[0]);
    const bool ok = WriteOne(folder / "English.lng", LanguageFileKind::Language) &&
                    WriteOne(folder / "Template.txt", LanguageFileKind::Template);
    return ok ? 0 : 1;
}
