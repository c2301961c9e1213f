// Runs one SFV check or one RAR extraction through Tevo's engine inside the real main window
// (offscreen), and reports the time it took, the longest gap between two ticks of a 5 ms window
// timer (how responsive the window stayed) and the peak resident size of the process.
//
//   tevo_bench sfv <list.sfv>
//   tevo_bench extract <first volume> <destination folder>
//   tevo_bench repair <file.par2>

#include <cstdio>
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <sys/resource.h>

#include "engine/ArchiveSets.h"
#include "engine/Backends.h"
#include "engine/ContentScan.h"
#include "engine/NameRestore.h"
#include "engine/Par2Repair.h"
#include "engine/RarExtractor.h"
#include "engine/SetPlan.h"
#include "engine/SetWriteCheck.h"
#include "engine/SfvCheck.h"
#include "ui/DesktopPlatform.h"
#include "ui/MainWindow.h"
#include "ui/WidgetDialogs.h"

namespace {

// Answers every message box at once, so a benchmark never waits for a person.
class SilentDialogs : public WidgetDialogs
{
public:
    MessageAnswer messageBox(const QString &text, const QString &, MessageIcon,
                             MessageButtons) override
    {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
        return MessageAnswer::Ok;
    }
};

long peakResidentKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const bool sfv = args.size() == 3 && args.at(1) == QLatin1String("sfv");
    const bool extract = args.size() == 4 && args.at(1) == QLatin1String("extract");
    const bool repair = args.size() == 3 && args.at(1) == QLatin1String("repair");
    if (!sfv && !extract && !repair) {
        std::fprintf(stderr, "usage: tevo_bench sfv <list.sfv> | extract <volume> <folder> | "
                             "repair <file.par2>\n");
        return 2;
    }

    SilentDialogs dialogs;
    DesktopPlatform platform;
    TForm1 window(dialogs, platform);
    window.show();
    EngineContext &ctx = window.context();
    // As in a job: the progress page in front, its display enabled.
    ctx.view.showTab(WindowTab::ProgressLog);
    ctx.view.setProgressEnabled(true);
    ctx.job.JobStartTick = platform.tickCount();

    // The window's own timer: its ticks come only when the engine lets events through.
    QElapsedTimer sinceTick;
    qint64 longestGap = 0;
    QTimer heartbeat;
    heartbeat.setInterval(5);
    QObject::connect(&heartbeat, &QTimer::timeout,
                     [&] { longestGap = qMax(longestGap, sinceTick.restart()); });
    // Let the window paint its page in full first: the first paint loads fonts and glyphs, which
    // a job's window has done long before its first extraction.
    QElapsedTimer settling;
    settling.start();
    while (settling.elapsed() < 200)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);

    QElapsedTimer clock;
    clock.start();
    sinceTick.start();
    heartbeat.start();
    bool ok = false;
    double planSeconds = 0;
    double contentSeconds = 0;
    if (sfv) {
        ok = CheckSFV(ctx, args.at(2));
    } else if (repair) {
        ok = RepairWithPar2(ctx, args.at(2)) == Par2Outcome::Repaired;
    } else {
        // As the folder run does it: names restored and the files no name places looked at
        // (over the folder of the set and its subfolders), the set's plan from its back-end, then
        // the checks before writing, then the extraction.
        const QString folder = args.at(2).left(args.at(2).lastIndexOf(QLatin1Char('/')));
        RestoreNames(ctx, folder);
        const ReleaseContent unplaced = UnplacedArchivesOfRelease(ctx, folder);
        ContentCandidates(ctx, unplaced);
        (void)ArchivesInNoSet(ctx, unplaced, {});
        contentSeconds = clock.nsecsElapsed() / 1e9;
        const SetPlan plan = BackendForSet(ctx, args.at(2))->list();
        planSeconds = clock.nsecsElapsed() / 1e9 - contentSeconds;
        QStringList extracted;
        bool incomplete = false;
        ok = plan.complete && SetCanBeWritten(ctx, plan, args.at(3), true) &&
             ExtractRARArchive(ctx, plan, args.at(3), extracted, incomplete) && !incomplete;
    }
    const double seconds = clock.nsecsElapsed() / 1e9;
    longestGap = qMax(longestGap, sinceTick.elapsed());
    heartbeat.stop();

    std::printf("seconds=%.4f plan_seconds=%.4f content_seconds=%.4f max_gap_ms=%lld "
                "peak_rss_kib=%ld ok=%d\n",
                seconds, planSeconds, contentSeconds, static_cast<long long>(longestGap),
                peakResidentKiB(), ok ? 1 : 0);
    return ok ? 0 : 1;
}
