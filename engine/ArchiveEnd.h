#pragma once
// How a RAR volume ends: with the end-of-archive record that says whether more volumes follow,
// or cut short. libunrar reports a volume cut at an entry boundary as a normal end, so Tevo looks
// at the record itself.

#include <QString>

enum class RarFormat { Unknown, Rar14, Rar15, Rar50 };

enum class ArchiveEnd {
    Last,    // the record says this is the last volume (or the only one)
    NotLast, // the record says another volume follows
    Absent,  // no record: the file ends without one
    Unknown  // not a RAR file Tevo can look into (self-extracting, unreadable, encrypted headers)
};

// The format named by the signature at the start of the file.
RarFormat RarFormatOf(const QString &path);

// The end-of-archive record at the end of the volume at path. Trailing zero bytes after the
// record (volumes are padded) are allowed; a record counts only when its header CRC matches.
ArchiveEnd ArchiveEndOf(const QString &path);
