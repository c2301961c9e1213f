#include "engine/EngineContext.h"

#include <QFile>

QString LogTimeStamp(const QDateTime &when)
{
    return when.toString(QStringLiteral("'['hh:mm']'"));
}

void EngineContext::AddLogLine(const QString &text)
{
    log.appendLogLine(LogTimeStamp(platform.currentDateTime()) + QLatin1Char(' ') + text);
}

QString EngineContext::LangText(int n, const QStringList &values) const
{
    return language.LangText(n, values);
}

JobEvents &EngineContext::Events()
{
    static JobEvents none;
    return events ? *events : none;
}

bool EngineContext::RemoveFile(const QString &path)
{
    if (!QFile::remove(path))
        return false;
    Events().fileDeleted(path);
    return true;
}

void EngineContext::ReportError(const QString &text, bool boxWhileWatching)
{
    Events().error(text);
    if (!settings.SuppressErrors() && (boxWhileWatching || !job.WatchTimerEnabled))
        dialogs.messageBox(text, QStringLiteral("Error"), MessageIcon::Error);
    else
        dialogs.errorWithoutBox(text);
}

bool EngineContext::WaitWhilePaused()
{
    if (job.Paused && !job.AbortRequested) {
        if (job.PausedStepTick != job.StepStartTick) {
            job.PausedStepTick = job.StepStartTick;
            job.StepPausedMs = 0;
        }
        const std::uint32_t pauseStart = platform.tickCount();
        while (job.Paused && !job.AbortRequested) {
            platform.sleepMs(10);
            platform.processEvents();
        }
        job.StepPausedMs += platform.tickCount() - pauseStart;
    }
    return job.AbortRequested;
}

void EngineContext::OpenNfo(const QString &path)
{
    if (job.WatchTimerEnabled) {
        if (watchOpenedNfos.contains(path))
            return;
        watchOpenedNfos.insert(path);
    }
    platform.openPath(path);
}
