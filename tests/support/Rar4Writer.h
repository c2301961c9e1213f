#pragma once
// Writes archives in the format of RAR 2.9 to 4 (the one the rar of today no longer writes):
// stored entries, volumes with or without end records, names in a code page. Each entry lies
// whole in one volume.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace Rar4Writer {

struct Entry
{
    QByteArray name; // the stored bytes, no Unicode name
    QByteArray data;
    unsigned hostOs = 2;         // 0 MS-DOS, 2 Windows, 3 Unix
    unsigned unpackVersion = 20; // what RAR 3 writes for stored files
    bool folder = false;
};

// One volume (or the single archive): the marker, the archive header, the entries, and, when
// endRecord, the end record saying whether another volume follows.
QByteArray Volume(const QList<Entry> &entries, bool isVolume, bool firstVolume, bool endRecord,
                  bool moreVolumes);

// A set in the old naming (name.rar, name.r00, name.r01 ...), one list of entries per volume,
// written to folder; every volume ends with an end record. Returns the paths in order.
QStringList WriteOldStyleSet(const QString &folder, const QString &name,
                             const QList<QList<Entry>> &volumes);

} // namespace Rar4Writer
