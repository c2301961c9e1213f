// Tevo's own reading of RAR headers and end records on arbitrary bytes: the format and the end
// record agree, and the volume-order reader reports no negative number or size. The set plan's
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

    return 0;
}
