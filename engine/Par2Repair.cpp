#include "engine/Par2Repair.h"

#include <QFileInfo>
#include <QProcess>
#include <signal.h>

#include "engine/EngineContext.h"
#include "engine/Par2Output.h"
#include "engine/TextNumbers.h"

namespace {

// Shows par2's latest percentage on the progress display.
void ShowProgress(EngineContext &ctx, Par2Output &output)
{
    if (const std::optional<Par2Progress> progress = output.takeProgress()) {
        ctx.view.setProgressPosition(int(progress->percent.toDouble() * 10));
        ctx.view.setProgressText(
            QStringLiteral("PAR2 %1: %2%").arg(progress->step, progress->percent));
    }
}

// Waits for par2 to end, showing its progress and obeying the checkpoint; true when Stop or
// Close ended it (par2 is then killed). The wait polls par2's state: the checkpoint's event pump
// may itself handle par2's exit, after which a waitForFinished would wait for ever.
bool WaitForPar2(EngineContext &ctx, QProcess &par2, Par2Output &output)
{
    JobCheckpoint &checkpoint = ctx.checkpoint;
    bool cancelled = false;
    while (par2.state() != QProcess::NotRunning) {
        // Returns at once once par2 has ended, whoever noticed it.
        par2.waitForReadyRead(20);
        output.feed(par2.readAll());
        ShowProgress(ctx, output);
        checkpoint.pump();
        // processId() is 0 once par2 has ended, and kill(0, ...) would stop Tevo's whole group.
        const pid_t pid = pid_t(par2.processId());
        if (checkpoint.paused() && pid > 0) {
            ::kill(pid, SIGSTOP);
            cancelled = checkpoint.waitWhilePaused();
            ::kill(pid, SIGCONT);
        }
        if (cancelled || checkpoint.cancelled() || checkpoint.stopPending()) {
            par2.kill();
            par2.waitForFinished(5000);
            return true;
        }
    }
    output.feed(par2.readAll());
    output.finish();
    return false;
}

} // namespace

Par2Outcome RepairWithPar2(EngineContext &ctx, const QString &par2File,
                           const QStringList &extraFiles)
{
    const QFileInfo info(par2File);
    ctx.AddLogLine(LogTag::Unpack + ctx.LangText(Text::Repairing, {info.fileName()}));
    QProcess par2;
    par2.setProcessChannelMode(QProcess::MergedChannels);
    par2.setWorkingDirectory(info.path());
    par2.start(QStringLiteral("par2"),
               QStringList{QStringLiteral("repair"), QStringLiteral("--"), info.fileName()} +
                   extraFiles);
    if (!par2.waitForStarted(10000)) {
        ctx.AddLogLine(LogTag::Unpack + ctx.LangText(Text::NoPar2));
        return Par2Outcome::NoTool;
    }

    ctx.view.setProgressRange(1000);
    Par2Output output;
    if (WaitForPar2(ctx, par2, output)) {
        ctx.AddLogLine(LogTag::Unpack + ctx.LangText(Text::RepairStopped, {info.fileName()}));
        return Par2Outcome::Stopped;
    }
    if (par2.exitStatus() == QProcess::NormalExit && par2.exitCode() == 0) {
        ctx.AddLogLine(LogTag::Unpack + ctx.LangText(Text::Repaired, {info.fileName()}));
        return Par2Outcome::Repaired;
    }
    // The lines that say why; par2's last lines when none does.
    QStringList why = output.reasons();
    if (why.isEmpty())
        why = output.lastLines().mid(qMax(0, output.lastLines().size() - 3));
    ctx.AddLogLine(LogTag::Unpack + ctx.LangText(Text::NotRepairable,
                                                 {info.fileName(), why.join(QLatin1Char(' '))}));
    return Par2Outcome::NotPossible;
}
