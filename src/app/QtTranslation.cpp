#include "app/QtTranslation.h"

#include <memory>

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>

#include "i18n/LanguageNames.h"

namespace {

// By language index: the Qt locale code and a near neighbour for when Qt ships no
// translation of the first (Qt has Brazilian but not European Portuguese, Nynorsk but
// not Bokmål). Mestreechs readers are served best by Dutch.
struct QtCodes {
    const char* code;
    const char* neighbour;
};
constexpr QtCodes kCodes[kLanguageCount] = {
    {"", ""},      {"nl", ""},    {"es", ""}, {"fi", ""}, {"sv", ""},         {"fr", ""}, {"de", ""},
    {"it", ""},    {"da", ""},    {"nl", ""}, {"ru", ""}, {"pt_PT", "pt_BR"}, {"et", ""}, {"pl", ""},
    {"pt_BR", ""}, {"nb", "nn"},  {"el", ""}, {"tr", ""}, {"cs", ""},         {"ro", ""}, {"hu", ""},
    {"lv", ""},    {"zh_CN", ""}, {"ja", ""}, {"ca", ""}, {"", ""},
};

QString QtTranslationFile(const char* code)
{
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_") +
           QString::fromLatin1(code) + QStringLiteral(".qm");
}

} // namespace

bool ApplyQtTranslation(int languageIndex)
{
    static std::unique_ptr<QTranslator> installed;
    if (installed) {
        QCoreApplication::removeTranslator(installed.get());
        installed.reset();
    }
    if (languageIndex < 0 || languageIndex >= kLanguageCount || *kCodes[languageIndex].code == '\0')
        return false;
    // The exact file only: Qt's own fall-back to the plain "qtbase" file or to the
    // desktop's language would be no better than English.
    QString file = QtTranslationFile(kCodes[languageIndex].code);
    if (!QFileInfo::exists(file) && *kCodes[languageIndex].neighbour != '\0')
        file = QtTranslationFile(kCodes[languageIndex].neighbour);
    auto translator = std::make_unique<QTranslator>();
    if (!QFileInfo::exists(file) || !translator->load(file))
        return false;
    QCoreApplication::installTranslator(translator.get());
    installed = std::move(translator);
    return true;
}
