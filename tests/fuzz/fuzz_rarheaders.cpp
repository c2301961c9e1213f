// Tevo's own reading of RAR headers and end records on arbitrary bytes: the format and the end
// record agree, the volume-order reader reports no negative number or size, and the data of
// stored entries is found only inside the file. The set plan's
// listing through libunrar is left out here: Debian's libunrar 6.2.6 (and its unrar) crash on some
// malformed RAR 5 main headers, which this target found within seconds. Tevo hands the library no
// file whose first header its own reader finds damaged (RarHeadUndamaged), and a crash inside the
// library on what passes that check would hide every finding in Tevo's own code.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include "engine/ArchiveEnd.h"
#include "engine/ArchiveSignature.h"
#include "engine/RarStoredParts.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static QTemporaryDir root;
    const QString path = root.path() + QStringLiteral("/x.rar");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::abort();
    file.write(reinterpret_cast<const char *>(data), qint64(size));
    file.close();

    const RarFormat format = RarFormatOf(path);
    const ArchiveEnd end = ArchiveEndOf(path);
    const bool hidden = ReadRarVolumeHeaders(path).encryptedHeaders; // end record encrypted too
    if ((format == RarFormat::Unknown) != (end == ArchiveEnd::Unknown) && !hidden)
        __builtin_trap();
    if (format == RarFormat::Rar14 && end != ArchiveEnd::Absent)
        __builtin_trap();

    // The volume-order reader of archives known by their content: a header it reports is sane.
    const RarVolumeHeaders headers = ReadRarVolumeHeaders(path);
    if (headers.number < -1 || headers.first.size < -1 || headers.last.size < -1)
        __builtin_trap();
    if (headers.readable && !IsRarKind(headers.kind))
        __builtin_trap();
    if (headers.headCut && headers.readable)
        __builtin_trap();

    // Where entries' data lies: every part within the file, and a plain stored entry's pieces
    // adding up to its size.
    QList<RarDataPart> parts = ReadRarDataParts(path);
    RarStoredIndex index({path});
    for (const RarDataPart &part : parts) {
        if (part.size < 0 || part.dataAt < 0 || part.entrySize < -1)
            __builtin_trap();
        if (part.plain && (part.entrySize < 0 || part.dataAt + part.size > qint64(size)))
            __builtin_trap();
        if (!part.plain || part.splitBefore)
            continue;
        const QList<StoredPiece> pieces =
            index.piecesOf({path, part.name, part.size, part.entrySize, part.crc, part.splitAfter});
        qint64 total = 0;
        for (const StoredPiece &piece : pieces)
            total += piece.size;
        if (!pieces.isEmpty() && total != part.entrySize)
            __builtin_trap();
    }

    return 0;
}
