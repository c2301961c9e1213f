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
    QString pending;
    QStringList lines;
    bool stopped = false;
    while (!par2.waitForFinished(20)) {
        pending += QString::fromLocal8Bit(par2.readAll());
        // Complete lines are kept for the summary; the last percentage goes to the display.
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
        ctx.platform.processEvents();
        if (ctx.job.Paused) {
            ::kill(pid_t(par2.processId()), SIGSTOP);
            const bool aborted = ctx.WaitWhilePaused();
            ::kill(pid_t(par2.processId()), SIGCONT);
            if (aborted)
                stopped = true;
        }
        if (stopped || ctx.job.AbortRequested || ctx.job.StopRequested) {
            stopped = true;
            par2.kill();
            par2.waitForFinished(5000);
            break;
        }
    }
    if (stopped) {
        ctx.AddLogLine(LogTag::Unpack + ctx.LangText(TextRepairStopped, {info.fileName()}));
        return Par2Outcome::Stopped;
    }
    lines << QString::fromLocal8Bit(par2.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
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
