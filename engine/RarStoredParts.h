#pragma once
// Where the data of each file entry of a RAR set lies in its volumes, read from the headers
// without libunrar, and whether it is stored as it is: what copying stored entries directly needs.

#include <optional>
#include <QHash>
#include <QList>
#include <QMultiHash>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// The part of one file entry's data that lies in one volume.
struct RarDataPart
{
    // RAR 5 names, and RAR 4 names without a Unicode form; empty for others.
    QString name;
    qint64 dataAt = 0;
    qint64 size = 0;
    // The unpacked size of the whole entry.
    qint64 entrySize = -1;
    // The header's CRC-32: of this part's data when the entry goes on in the next volume, of the
    // whole entry's otherwise.
    quint32 crc = 0;
    bool splitBefore = false;
    bool splitAfter = false;
    // The modification time to the nanosecond, when a RAR 5 time record gives it (libunrar hands
    // it over to a tenth of a microsecond only); seconds -1 when not.
    qint64 mtimeSeconds = -1;
    qint64 mtimeNanoseconds = 0;
    // A regular file stored as it is: not compressed, encrypted or solid, no link, its checksum a
    // CRC-32, no extra record that changes what is written, and a header whose checksum matches.
    bool plain = false;
};

// The file entries' parts of the RAR volume at path, in order. The walk ends at the end record,
// at a damaged header or after maxHeaders headers; empty when the file cannot be read.
QList<RarDataPart> ReadRarDataParts(const QString &path, int maxHeaders = 65536);

// A stored entry's data as a list of places to copy from, first volume first.
struct StoredPiece
{
    QString volume;
    qint64 dataAt = 0;
    qint64 size = 0;
    // The CRC-32 this piece must have, or (for the last piece) the whole entry.
    quint32 crc = 0;
};

// What libunrar says of the entry it is at: the first part of an entry.
struct RarEntryStart
{
    QString volume;
    QString name;
    qint64 partSize = 0;
    qint64 entrySize = 0;
    quint32 crc = 0;
    bool splitAfter = false;
};

// The parts of the volumes of one set, read once a volume is first asked about.
class RarStoredIndex
{
public:
    explicit RarStoredIndex(const QStringList &volumes) : m_volumes(volumes) {}

    // The pieces of the plain stored entry that starts as start says; empty when the headers do
    // not show exactly one such entry whose parts all are plain and add up to its size. The first
    // part's header, when given, is set to that part.
    QList<StoredPiece> piecesOf(const RarEntryStart &start, RarDataPart *firstPart = nullptr);
    // The header of the entry (stored or not) that starts as start says, when the headers show
    // exactly one.
    std::optional<RarDataPart> partOf(const RarEntryStart &start);

private:
    struct Volume
    {
        QList<RarDataPart> parts;
        // Where the parts of each name are, so that finding one is no walk over thousands.
        QMultiHash<QString, int> byName;
    };

    const Volume &volumeAt(int volume);
    const QList<RarDataPart> &partsOf(int volume) { return volumeAt(volume).parts; }

    QStringList m_volumes;
    QHash<int, Volume> m_read;
};
