#pragma once
// The one interface for everything that turns an archive set into files: list the set, extract it
// into a given folder, and report progress, questions, errors and the end through one sink.

#include <QHash>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include "engine/SetPlan.h"

class JobCheckpoint;

// Where a back-end reports while it works. The folder run gives one to every extraction; the
// window's display, the log and the message boxes sit behind it.
class ArchiveSink
{
public:
    virtual ~ArchiveSink() = default;

    // The entry being worked on, worded for the display ("name (Source: volume)").
    virtual void currentEntry(const QString &text) = 0;
    // The progress bar's maximum in KiB.
    virtual void progressRange(qint64 maximumKiB) = 0;
    // The work done: the bar's position in KiB, the sizes-and-times text, and the application
    // title (an empty title leaves it as it is).
    virtual void progress(qint64 doneKiB, const QString &text, const QString &title) = 0;
    // A line for the log, its tag included.
    virtual void logLine(const QString &text) = 0;
    // An error for a message box (shown unless the user suppresses error boxes).
    virtual void errorBox(const QString &text, const QString &caption) = 0;
    // A yes-or-no question to the user; true for yes.
    virtual bool question(const QString &text) = 0;
    // The extraction has ended; ok when every entry was written as stored.
    virtual void finished(bool ok) = 0;
    // Pause, cancel and the event pump: a back-end calls it between blocks of work.
    virtual JobCheckpoint &checkpoint() = 0;
};

// One archive set (RAR volumes, a ZIP file ...) as a back-end sees it. It only ever writes into
// the folder it is given, which the caller publishes once the set has been written in full.
class ArchiveBackend
{
public:
    virtual ~ArchiveBackend() = default;

    // The set plan read from the archive's own headers: volumes, entries, sizes, completeness.
    virtual SetPlan list() = 0;
    // Extracts every entry into folder (an empty folder ending with "/"), reporting through sink
    // and ending with sink.finished(). True when every entry meant to be written was written;
    // entries left out on purpose (a link leading outside) do not make it false, they are named
    // by leftOut().
    virtual bool extractTo(const QString &folder, ArchiveSink &sink) = 0;

    // After extractTo: the entries written, by their paths relative to the folder, in order.
    virtual QStringList extractedEntries() const { return m_extracted.entries; }
    // After extractTo: the regular files written, relative path to the size their header gives
    // (at or above 2^62: unknown), for the check before publishing.
    virtual QHash<QString, qint64> writtenFiles() const { return m_extracted.written; }
    // After extractTo: the entries left out on purpose, each logged; the set then keeps its
    // sources.
    virtual QStringList leftOut() const { return m_extracted.leftOut; }

protected:
    // What extractTo wrote and left out, which every back-end records the same way.
    struct Extracted
    {
        QStringList entries;
        QHash<QString, qint64> written;
        QStringList leftOut;
    };
    Extracted m_extracted;
};
