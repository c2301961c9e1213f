#include "engine/EngineContext.h"

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

void EngineContext::OpenNfo(const QString &path)
{
    if (job.WatchTimerEnabled) {
        if (watchOpenedNfos.contains(path))
            return;
        watchOpenedNfos.insert(path);
    }
    platform.openPath(path);
}
