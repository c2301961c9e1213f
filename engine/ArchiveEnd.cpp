#include "engine/ArchiveEnd.h"

#include "engine/ArchiveSignature.h"

#include <QFile>

#include "engine/RarBytes.h"

namespace {

using namespace RarBytes;

// The end record and the padding after it fit well within this.
constexpr qint64 kTailBytes = 512;

const char kRar5Signature[] = "Rar!\x1A\x07\x01\x00";
const char kRar4Signature[] = "Rar!\x1A\x07\x00";

bool OnlyZerosFrom(const uchar *p, const uchar *end)
{
    for (; p < end; ++p) {
        if (*p != 0)
            return false;
    }
    return true;
}

// CRC32, header size, type 5, header flags, [extra size], [data size], end flags.
ArchiveEnd Rar5End(const uchar *tail, qint64 size)
{
    const uchar *end = tail + size;
    ArchiveEnd found = ArchiveEnd::Absent;
    for (const uchar *start = tail; start + 8 <= end; ++start) {
        const uchar *p = start + 4;
        quint64 headerSize = 0;
        if (!ReadVint(p, end, headerSize) || headerSize < 3 || headerSize > quint64(end - p))
            continue;
        const uchar *headerEnd = p + headerSize;
        if (!OnlyZerosFrom(headerEnd, end) || Crc(start + 4, headerEnd - start - 4) != Le32(start))
            continue;
        quint64 type = 0, flags = 0, skipped = 0, endFlags = 0;
        if (!ReadVint(p, headerEnd, type) || type != 5 || !ReadVint(p, headerEnd, flags))
            continue;
        if ((flags & 0x1) && !ReadVint(p, headerEnd, skipped))
            continue;
        if ((flags & 0x2) && !ReadVint(p, headerEnd, skipped))
            continue;
        if (!ReadVint(p, headerEnd, endFlags))
            continue;
        found = (endFlags & 0x1) ? ArchiveEnd::NotLast : ArchiveEnd::Last;
    }
    return found;
}

// CRC16 (low half of CRC32 from the type on), type 0x7B, flags, size, [data CRC], [volume number].
ArchiveEnd Rar4End(const uchar *tail, qint64 size)
{
    const uchar *end = tail + size;
    ArchiveEnd found = ArchiveEnd::Absent;
    for (const uchar *start = tail; start + 7 <= end; ++start) {
        if (start[2] != 0x7B)
            continue;
        const quint16 headerSize = Le16(start + 5);
        if (headerSize < 7 || headerSize > end - start)
            continue;
        if (!OnlyZerosFrom(start + headerSize, end) ||
            quint16(Crc(start + 2, headerSize - 2) & 0xFFFF) != Le16(start))
            continue;
        found = (Le16(start + 3) & 0x1) ? ArchiveEnd::NotLast : ArchiveEnd::Last;
    }
    return found;
}

} // namespace

RarFormat RarFormatOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return RarFormat::Unknown;
    const QByteArray head = file.read(8);
    if (head.startsWith(QByteArray(kRar5Signature, 8)))
        return RarFormat::Rar50;
    if (head.startsWith(QByteArray(kRar4Signature, 7)))
        return RarFormat::Rar15;
    if (head.startsWith("RE~^"))
        return RarFormat::Rar14;
    return RarFormat::Unknown;
}

ArchiveEnd ArchiveEndOf(const QString &path)
{
    const RarFormat format = RarFormatOf(path);
    if (format == RarFormat::Unknown)
        return ArchiveEnd::Unknown;
    if (format == RarFormat::Rar14)
        return ArchiveEnd::Absent; // RAR 1.4 archives have no end record
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return ArchiveEnd::Unknown;
    const qint64 length = file.size();
    const qint64 tailSize = qMin(length, kTailBytes);
    if (!file.seek(length - tailSize))
        return ArchiveEnd::Unknown;
    const QByteArray tail = file.read(tailSize);
    if (tail.size() != tailSize)
        return ArchiveEnd::Unknown;
    const auto *bytes = reinterpret_cast<const uchar *>(tail.constData());
    const ArchiveEnd end =
        format == RarFormat::Rar50 ? Rar5End(bytes, tailSize) : Rar4End(bytes, tailSize);
    // Encrypted headers hide the end record as well; the listing with the password tells.
    if (end == ArchiveEnd::Absent && ReadRarHeadersOfVolume(path).encryptedHeaders)
        return ArchiveEnd::Unknown;
    return end;
}
