#pragma once
// Writes archives in the format of RAR 2.9 to 4 (the one the rar of today no longer writes):
// stored files with names in a code page (a path's folders need no entries of their own), volumes
// with or without end records. Each entry lies whole in one volume.

#include <QByteArray>
#include <QList>

namespace Rar4Writer {

struct Entry
{
    QByteArray name; // the stored bytes, no Unicode name
    QByteArray data;
    unsigned hostOs = 2; // 0 MS-DOS, 2 Windows, 3 Unix
};

// One volume (or the single archive): the marker, the archive header, the entries (with the
// version RAR 3 writes for stored files), and, when endRecord, the end record saying whether
// another volume follows.
QByteArray Volume(const QList<Entry> &entries, bool isVolume, bool firstVolume, bool endRecord,
                  bool moreVolumes);

} // namespace Rar4Writer
