// The window started with pictures on its command line (sleevit FILE [FILE]...).
#include <QAbstractButton>

#include "app/TemplateDialog.h"
#include "dialogs/BatchPrintingDialog.h"
#include "gui/MainWindowSupport.h"

namespace {

struct Pictures {
    std::string front, back, other, remembered;
};

Pictures Write(ProgramRun& run)
{
    return {run.Picture("album-front.png", 120, 120), run.Picture("album-back.png", 151, 118),
            run.Picture("other.png", 100, 150), run.Picture("last-run.png", 90, 90)};
}

// The named pictures take the place of the last run's; the first brings its companion
// unless a second picture is named.
TEST(CommandLine, PicturesOpenOnTheLeftAndRight)
{
    for (const bool two : {false, true}) {
        ProgramRun run;
        const Pictures p = Write(run);
        run.settings->WriteInt(Setting::ReloadOnStartup, 1);
        run.settings->WriteText(Setting::RecentFileLeft, p.remembered);
        run.settings->WriteText(Setting::RecentFileRight, p.remembered);
        run.Start(false);
        run.View().SetStartFiles(two ? std::vector{p.front, p.other} : std::vector{p.front});
        ASSERT_TRUE(ProgramRun::WaitFor([&] { return !run.View().TimerRunning(1); }));
        EXPECT_EQ(run.Options().recentFileLeft, p.front) << "two=" << two;
        EXPECT_EQ(run.Options().recentFileRight, two ? p.other : p.back) << "two=" << two;
        EXPECT_EQ(run.View().Left().image->GetWidth(), 120);
        EXPECT_EQ(run.View().Right().image->GetWidth(), two ? 100 : 151);
    }
}

// Several pictures with batch mode on start the batch job with all of them.
TEST(CommandLine, SeveralPicturesInBatchModeStartTheBatchDialog)
{
    ProgramRun run;
    const Pictures p = Write(run);
    run.settings->WriteInt(Setting::BatchMode, 1);
    run.Start(false);
    run.View().SetStartFiles({p.front, p.back, p.other});
    Answer<CBatchPrintingDialog> cancel(
        [](CBatchPrintingDialog& dialog) { dialog.Form().ItemAs<QAbstractButton>(kIdCancel)->click(); });
    ASSERT_TRUE(ProgramRun::WaitFor([&] { return !run.View().TimerRunning(1) && cancel.answered; }));
    EXPECT_EQ(run.View().BatchFiles(), (std::vector<std::string>{p.front, p.back, p.other}));
    EXPECT_FALSE(run.View().Left().image->IsValid()) << "a batch loads nothing onto the papers";
}

} // namespace
