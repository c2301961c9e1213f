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

void EngineContext::ReportError(const QString &text, bool boxWhileWatching, const QString &caption)
{
    Events().error(text);
    if (!settings.SuppressErrors() && (boxWhileWatching || !job.WatchTimerEnabled))
        dialogs.messageBox(text, caption, MessageIcon::Error);
    else
        dialogs.errorWithoutBox(text);
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
