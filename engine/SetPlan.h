#pragma once
// The plan of one archive set, read from the archive's own headers before anything is written or
// deleted: which volumes it consists of, which entries it holds, and whether it is complete.

#include <QList>
#include <QString>
#include <QStringList>

#include "engine/TextNumbers.h"

class EngineContext;

struct PlannedEntry
{
    QString name;    // the path inside the archive, as stored
    qint64 size = 0; // unpacked size in bytes
    bool folder = false;
    // Its data is encrypted: it is written only with the right password.
    bool encrypted = false;
    // The volumes its data lies in: indexes into SetPlan::volumes, first and last.
    int firstVolume = 0;
    int lastVolume = 0;
};

struct SetPlan
{
    QString firstVolume;
    // libunrar opened the first volume.
    bool opened = false;
    // The archive flags: a volume of a multi-volume set, and whether it is its first volume.
    bool isVolume = false;
    bool firstVolumeFlag = false;
    // The first entry continues an entry of an earlier volume.
    bool startsMidEntry = false;
    // Written by RAR 3 or later (whose volumes carry the first-volume flag and whose archives
    // end with an end record).
    bool modernFormat = false;
    // Every volume the library opened, the first volume first, full paths.
    QStringList volumes;
    QList<PlannedEntry> entries;
    qint64 unpackedTotal = 0;
    // The listing reached the proper end of the set: nothing left unread, nothing cut short.
    bool complete = false;
    // When not complete: what is missing or wrong, for the log.
    QString problem;
    // The headers or the data of a file are encrypted.
    bool needsPassword = false;
    // The password the set was opened or tested with; never shown anywhere.
    QString password;

    // Whether this file starts a set of its own (it is not a later volume of another set).
    bool startsSet() const;
    QString lastVolume() const { return volumes.isEmpty() ? firstVolume : volumes.last(); }
};

// Whether libunrar may be handed the set of firstVolume: 0 when Tevo's own reader finds the first
// header undamaged in firstVolume and in every RAR file named as a volume of its set, otherwise the
// library's ERAR_BAD_ARCHIVE (firstVolume is no RAR file) or ERAR_BAD_DATA. The library crashes on
// some damaged RAR 5 main headers, in the first volume or in a volume it moves on to.
// refusedVolume, when given, is set to the file refused. firstOnly: the library reads the first
// header alone and moves on to no other volume, so only firstVolume is looked at.
int RarSetRefusal(const QString &firstVolume, QString *refusedVolume = nullptr,
                  bool firstOnly = false);

// The size, modification time and inode of each of plan's volumes in one text: equal texts, the
// same files as when the plan was read.
QString VolumesStamp(const SetPlan &plan);

// total + size for sizes read from archive headers, which a hostile archive may give as anything:
// a negative size counts as none, and the sum stops at the largest qint64 instead of wrapping.
qint64 AddEntrySize(qint64 total, qint64 size);

// The entry's name followed by the volumes its data lies in, for the line that reports it damaged:
// "movie.iso (movie.part04.rar)", or the first and last of several. Just the name when plan is
// null or does not hold the entry.
QString EntryWithVolumes(const SetPlan *plan, const QString &entryName);

// Finds which of passwords fits the RAR set of plan (which needsPassword): with encrypted
// headers, the one with which the whole set lists, replacing plan by that listing; with encrypted
// files, the one with which the smallest encrypted file tests whole. Sets plan.password; false
// when none fits.
bool FindRarPassword(EngineContext &ctx, SetPlan &plan, const QStringList &passwords);

// Opens path in list mode and reads the archive flags and the first header only.
SetPlan PeekSetPlan(EngineContext &ctx, const QString &path);

// Lists the whole set whose first volume is path: every header through every volume, skipping
// the data. Waits while paused; gives up (incomplete) when the job is aborted.
SetPlan ReadSetPlan(EngineContext &ctx, const QString &path);
