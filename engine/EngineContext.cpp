#include "engine/EngineContext.h"

#include "engine/Passwords.h"

#include <QFile>

QString LogTimeStamp(const QDateTime &when)
{
    return when.toString(QStringLiteral("'['hh:mm']'"));
}

void EngineContext::AddLogLine(const QString &text)
{
    // A folder's name may carry a password ({{password}}); the log never shows it.
    log.appendLogLine(LogTimeStamp(platform.currentDateTime()) + QLatin1Char(' ') +
                      WithoutPasswords(text));
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
    const QString shown = WithoutPasswords(text);
    Events().error(shown);
    if (!settings.SuppressErrors() && (boxWhileWatching || !job.WatchTimerEnabled))
        dialogs.messageBox(shown, caption, MessageIcon::Error);
    else
        dialogs.errorWithoutBox(shown);
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
