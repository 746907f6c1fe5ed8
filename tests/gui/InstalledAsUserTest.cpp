// The program as an ordinary user has it: installed by root into a prefix the user
// cannot write, started by that user. Runs only under scripts/installed-user-test.sh,
// which installs the program and names the prefix in SLEEVIT_INSTALLED_PREFIX.
#include <gmock/gmock.h>
#include <unistd.h>

#include <filesystem>

#include "app/ProgramFolder.h"
#include "app/TemplateDialog.h"
#include "dialogs/FormatEditDialog.h"
#include "gui/MainWindowSupport.h"
#include "i18n/LanguageNames.h"
#include "i18n/LanguageTable.h"
#include "skins/Skin.h"

namespace fs = std::filesystem;

TEST(InstalledAsUser, LanguagesSkinsUserCatalogueAndSettings)
{
    const QByteArray prefix = qgetenv("SLEEVIT_INSTALLED_PREFIX");
    if (prefix.isEmpty())
        GTEST_SKIP() << "run by scripts/installed-user-test.sh";
    ASSERT_NE(::geteuid(), 0u) << "must run as an ordinary user";
    const fs::path home = qEnvironmentVariable("HOME").toStdString();
    ASSERT_FALSE(home.empty());
    EnsureGuiApp();
    QCoreApplication::setOrganizationName(QStringLiteral("Tessaly"));
    QCoreApplication::setApplicationName(QStringLiteral("Sleevit"));

    // The installed program finds its data beside its bin folder, which the user
    // cannot write.
    const fs::path data = fs::path(prefix.toStdString()) / "share" / "sleevit";
    ASSERT_EQ(ProgramFolderFor((fs::path(prefix.toStdString()) / "bin" / "sleevit").string(), "/nonexistent"),
              data.string());
    ASSERT_NE(::access(data.c_str(), W_OK), 0) << "the installed data must not be writable by the user";

    const fs::path userCatalogue = home / ".local" / "share" / "sleevit" / "Sleevit.dat";
    const fs::path config = home / ".config" / "Tessaly" / "Sleevit.conf";
    ASSERT_FALSE(fs::exists(userCatalogue));
    {
        AppSettings settings; // the user's own settings file
        CSleevitApp app(settings, data.string());
        ASSERT_TRUE(app.InitInstance(true));
        ASSERT_TRUE(ProgramRun::WaitFor([&] { return !app.View()->TimerRunning(1); }));
        CTheView& view = *app.View();

        for (const LanguageName& language : kLanguageNames) {
            if (language.index != kTranslationLanguage) {
                EXPECT_TRUE(view.Language().IsAvailable(language.index)) << language.fileName;
            }
        }
        EXPECT_GE(view.Skins().Folders().size(), 2u);
        EXPECT_TRUE(view.Skins().ApplySkin(kFirstFolderSkin)) << "a folder skin loads";

        // The format editor's OK writes the user's own copy and says where it went.
        Answer<CFormatEditDialog> editor(
            [](CFormatEditDialog& dialog) { dialog.Form().ItemAs<QPushButton>(kIdOk)->click(); });
        MessageBoxes boxes;
        ASSERT_TRUE(view.Commands().Execute(kCmdFormatEditor));
        EXPECT_TRUE(editor.answered);
        EXPECT_TRUE(fs::is_regular_file(userCatalogue));
        EXPECT_THAT(boxes.texts, ::testing::ElementsAre(::testing::HasSubstr(userCatalogue.string())));

        app.MainFrame()->close();
        app.ExitInstance();
    }
    EXPECT_TRUE(fs::is_regular_file(config)) << config;
    EXPECT_NE(ReadBytes(config).find("[Position]"), std::string::npos) << ReadBytes(config);
}
