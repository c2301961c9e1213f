#pragma once
// Writes archives in the format of RAR 2.9 to 4 (the one the rar of today no longer writes):
// stored files with names in a code page (a path's folders need no entries of their own), volumes
// with or without end records, entries whole in one volume or split over several.

#include <QByteArray>
#include <QList>

namespace Rar4Writer {

struct Entry
{
    QByteArray name; // the stored bytes, no Unicode name
    QByteArray data;
    unsigned hostOs = 2; // 0 MS-DOS, 2 Windows, 3 Unix
    // A part of a split entry: 0x1 goes on from the volume before, 0x2 goes on in the next.
    // Such a part carries the whole entry's size and, when it is the last, its CRC (whole).
    unsigned split = 0;
    QByteArray whole = {};
};

// The two parts of an entry split at byte at: the first for the end of one volume, the second
// for the start of the next.
QList<Entry> Split(const QByteArray &name, const QByteArray &whole, int at, unsigned hostOs = 2);

// One volume (or the single archive): the marker, the archive header, the entries (with the
// version RAR 3 writes for stored files), and, when endRecord, the end record saying whether
// another volume follows.
QByteArray Volume(const QList<Entry> &entries, bool isVolume, bool firstVolume, bool endRecord,
                  bool moreVolumes);

} // namespace Rar4Writer
