#pragma once
// Everything the engine may reach of the window and the system, handed to each engine call.

#include <QSet>
#include <QString>
#include <QStringList>

#include "engine/Backends.h"
#include "engine/Dialogs.h"
#include "engine/JobCheckpoint.h"
#include "engine/JobControl.h"
#include "engine/JobEvents.h"
#include "engine/JobView.h"
#include "engine/LanguageTexts.h"
#include "engine/LogSink.h"
#include "engine/Platform.h"
#include "engine/Settings.h"

// The fixed log tags: a bracketed word padded to nine characters, then a blank.
namespace LogTag {
inline const QString Unpack = QStringLiteral("[UNPACK ] ");
inline const QString Sfv = QStringLiteral("[SFV    ] ");
inline const QString Delete = QStringLiteral("[DELETE ] ");
inline const QString Nfo = QStringLiteral("[NFO    ] ");
inline const QString Archive = QStringLiteral("[ARCHiVE] ");
inline const QString Note = QStringLiteral("[NOTE   ] ");
inline const QString End = QStringLiteral("[END    ] ");
inline const QString Notice = QStringLiteral("[NOTICE ] ");
inline const QString Init = QStringLiteral("[iNiT   ] ");
} // namespace LogTag

class EngineContext
{
public:
    EngineContext(const Settings &settings, LanguageTexts &language, LogSink &log, JobView &view,
                  Dialogs &dialogs, Platform &platform, JobControl &job)
        : settings(settings), language(language), log(log), view(view), dialogs(dialogs),
          platform(platform), job(job), checkpoint(job, platform)
    {
    }

    const Settings &settings;
    LanguageTexts &language;
    LogSink &log;
    JobView &view;
    Dialogs &dialogs;
    Platform &platform;
    JobControl &job;
    // Engine work reaches Stop, Pause and Close, and the event pump, only through this.
    JobCheckpoint checkpoint;
    // Makes the back-end of an archive set; empty: libunrar's (BackendForSet).
    BackendFactory backendFactory;
    // The folder of the program file, ending with "/".
    QString programFolder;
    // Who hears of the job's events besides the log; none in the window.
    JobEvents *events = nullptr;
    // The NFO files opened since watching began: each is opened once per watch session, not at
    // every round that finds its release again.
    QSet<QString> watchOpenedNfos;

    // Appends "[hh:nn] " + text to the log.
    void AddLogLine(const QString &text);
    // Language text n with its "%s" filled from left to right.
    QString LangText(int n, const QStringList &values = {}) const;

    // The job's event listener, or one that ignores everything.
    JobEvents &Events();
    // Deletes a file that the job is done with; true when it is gone (the events hear of it).
    bool RemoveFile(const QString &path);

    // An error for the user (the caller has logged it): an error box unless the settings
    // suppress them or, while watching, boxWhileWatching is false (a box would hold every
    // round); otherwise Dialogs::errorWithoutBox, so that tevo-cli still reports it. caption: the
    // box's caption.
    void ReportError(const QString &text, bool boxWhileWatching = true,
                     const QString &caption = QStringLiteral("Error"));

    // Opens an NFO file with the desktop; while watching, only the first time.
    void OpenNfo(const QString &path);

    // The separators of the log: 41 "=" and 41 "-".
    static QString equalsLine() { return QString(41, QLatin1Char('=')); }
    static QString dashLine() { return QString(41, QLatin1Char('-')); }
};

// The time stamp of a log line: "[hh:nn]".
QString LogTimeStamp(const QDateTime &when);
