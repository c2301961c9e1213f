#pragma once
// Archives known by their content: the signatures of RAR 1.5-4, RAR 5, 7z and ZIP, and what the
// headers of a RAR volume say about its place in a set, read without libunrar and without
// reading any packed data.

#include <QByteArray>
#include <QString>

// Tar and DiscImage (ISO 9660) are told only where "Also unpack other archive formats" is on.
enum class ArchiveKind { None, Rar4, Rar5, SevenZip, Zip, Tar, DiscImage };

// The kind named by the signature at the start of head (a file's first bytes).
ArchiveKind ArchiveKindOf(const QByteArray &head);
// The kind of the file at path, from its first 8 bytes; None when it cannot be read.
ArchiveKind ArchiveKindOfFile(const QString &path);
// "RAR", "7z", "ZIP", "tar" or "disc image (ISO 9660)", for the log.
QString ArchiveKindName(ArchiveKind kind);
inline bool IsRarKind(ArchiveKind kind)
{
    return kind == ArchiveKind::Rar4 || kind == ArchiveKind::Rar5;
}

// A file entry at the start or end of a volume, and whether its data runs over the volume edge.
struct RarEntryMark
{
    QString name;
    qint64 size = -1; // unpacked size of the whole entry
    bool splitBefore = false;
    bool splitAfter = false;
};

struct RarVolumeHeaders
{
    ArchiveKind kind = ArchiveKind::None;
    // The main header was read and its checksum matched.
    bool readable = false;
    bool isVolume = false;
    // RAR 3 and later mark the first volume; RAR 5 gives it no number.
    bool firstVolume = false;
    // The volume number the headers give (0 for the first), -1 when they give none.
    int number = -1;
    // RAR 3 and 4 say whether volumes are named x.partN.rar or x.rar, x.r00; RAR 5 uses the first.
    bool newNumbering = false;
    // The headers are encrypted: nothing past the signature can be read without a password.
    bool encryptedHeaders = false;
    // The file ends inside its first header (a download cut short).
    bool headCut = false;
    // The first and the last file entry of this volume (name empty when it holds none).
    RarEntryMark first;
    RarEntryMark last;
    // The end-of-archive record was read: whether it says another volume follows.
    bool endRead = false;
    bool moreVolumes = false;
};

// Walks the block headers of the RAR file at path, seeking over the packed data; stops at the
// end record, at the first damaged header, or after a few thousand headers.
RarVolumeHeaders ReadRarVolumeHeaders(const QString &path);
// The same for a volume; for any other RAR file the main header alone (no entries, no end
// record): what ordering volumes needs, without walking a single archive of thousands of files.
RarVolumeHeaders ReadRarHeadersOfVolume(const QString &path);

// Whether the first header of the RAR file at path is no damaged one: a whole main header (or,
// for encrypted headers, encryption header) whose checksum matches, or one the file ends inside.
// libunrar is handed no other file: it crashes on some main headers with a wrong checksum.
bool RarHeadUndamaged(const QString &path);
