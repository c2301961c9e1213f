#include "engine/Par2Repair.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <signal.h>

#include "engine/EngineContext.h"

namespace {

constexpr int TextRepairing = 219;
constexpr int TextRepaired = 220;
constexpr int TextNotRepairable = 221;
constexpr int TextNoPar2 = 222;
constexpr int TextRepairStopped = 223;

// par2 prints "Repairing: 45.2%" and the like, each ended by a carriage return.
const QRegularExpression &Percentage()
{
    static const QRegularExpression pattern(QStringLiteral("([A-Za-z ]+): *([0-9]+(\\.[0-9])?)%"));
    return pattern;
}

// What par2 printed so far: the last percentage goes to the display, whole lines are kept for
// the summary.
struct Par2Output
{
    QString pending;
    QStringList lines;

    void take(EngineContext &ctx, const QByteArray &bytes)
    {
        pending += QString::fromLocal8Bit(bytes);
        const QStringList parts = pending.split(QRegularExpression(QStringLiteral("[\r\n]")));
        for (int i = 0; i + 1 < parts.size(); ++i) {
            const QRegularExpressionMatch match = Percentage().match(parts.at(i));
            if (match.hasMatch()) {
                ctx.view.setProgressPosition(int(match.captured(2).toDouble() * 10));
                ctx.view.setProgressText(QStringLiteral("PAR2 %1: %2%")
                                             .arg(match.captured(1).trimmed(), match.captured(2)));
            } else if (!parts.at(i).trimmed().isEmpty()) {
                lines << parts.at(i).trimmed();
            }
        }
        pending = parts.last();
    }
};

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
        output.take(ctx, par2.readAll());
        checkpoint.pump();
        if (checkpoint.paused() && par2.state() != QProcess::NotRunning) {
            ::kill(pid_t(par2.processId()), SIGSTOP);
            cancelled = checkpoint.waitWhilePaused();
            ::kill(pid_t(par2.processId()), SIGCONT);
        }
        if (cancelled || checkpoint.cancelled() || checkpoint.stopPending()) {
            par2.kill();
            par2.waitForFinished(5000);
            return true;
        }
    }
    output.take(ctx, par2.readAll() + "\n");
    return false;
}

} // namespace

Par2Outcome RepairWithPar2(EngineContext &ctx, const QString &par2File)
{
    const QFileInfo info(par2File);
    ctx.AddLogLine(LogTag::Unpack + ctx.LangText(TextRepairing, {info.fileName()}));
    QProcess par2;
    par2.setProcessChannelMode(QProcess::MergedChannels);
    par2.setWorkingDirectory(info.path());
    par2.start(QStringLiteral("par2"),
               {QStringLiteral("repair"), QStringLiteral("--"), info.fileName()});
    if (!par2.waitForStarted(10000)) {
        ctx.AddLogLine(LogTag::Unpack + ctx.LangText(TextNoPar2));
        return Par2Outcome::NoTool;
    }

    ctx.view.setProgressRange(1000);
    Par2Output output;
    if (WaitForPar2(ctx, par2, output)) {
        ctx.AddLogLine(LogTag::Unpack + ctx.LangText(TextRepairStopped, {info.fileName()}));
        return Par2Outcome::Stopped;
    }
    const QStringList &lines = output.lines;
    if (par2.exitStatus() == QProcess::NormalExit && par2.exitCode() == 0) {
        ctx.AddLogLine(LogTag::Unpack + ctx.LangText(TextRepaired, {info.fileName()}));
        return Par2Outcome::Repaired;
    }
    // The lines that say why: "Repair is not possible.", "You need 140 more recovery blocks ...".
    QStringList why;
    for (const QString &line : std::as_const(lines)) {
        const QString text = line.trimmed();
        if (text.startsWith(QLatin1String("Repair is not")) ||
            text.startsWith(QLatin1String("You need")) || text.contains(QLatin1String("missing")) ||
            text.contains(QLatin1String("damaged")))
            why << text;
    }
    ctx.AddLogLine(LogTag::Unpack +
                   ctx.LangText(TextNotRepairable, {info.fileName(), why.join(QLatin1Char(' '))}));
    return Par2Outcome::NotPossible;
}
