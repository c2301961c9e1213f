#include "engine/ArchiveSignature.h"

#include <fcntl.h>
#include <QFile>
#include <unistd.h>

#include "engine/RarBytes.h"

namespace {

using namespace RarBytes;

const char kRar5Signature[] = "Rar!\x1A\x07\x01\x00";
const char kRar4Signature[] = "Rar!\x1A\x07\x00";
const char kSevenZipSignature[] = "7z\xBC\xAF\x27\x1C";

// A volume with more headers than this is not looked at further: what was read so far stands.
constexpr int kMaxHeaders = 4096;
// Far above any real header (a file header with a long name and its extra records).
constexpr quint64 kMaxHeaderSize = 256 * 1024;

QByteArray ReadAt(QFile &file, qint64 at, qint64 size)
{
    if (!file.seek(at))
        return QByteArray();
    return file.read(size);
}

// File flags, unpacked size, attributes, [mtime], [data CRC], compression, host, name.
bool ParseRar5File(const uchar *p, const uchar *end, quint64 headerFlags, RarEntryMark &mark)
{
    quint64 fileFlags = 0, size = 0, skipped = 0, nameLength = 0;
    if (!ReadVint(p, end, fileFlags) || !ReadVint(p, end, size) || !ReadVint(p, end, skipped))
        return false;
    p += ((fileFlags & 0x2) ? 4 : 0) + ((fileFlags & 0x4) ? 4 : 0);
    if (!ReadVint(p, end, skipped) || !ReadVint(p, end, skipped) || !ReadVint(p, end, nameLength) ||
        nameLength > quint64(end - p))
        return false;
    mark.name = QString::fromUtf8(reinterpret_cast<const char *>(p), int(nameLength));
    // An unknown size, or one past what a file can hold, is -1.
    mark.size = (fileFlags & 0x8) || size > quint64(INT64_MAX) ? -1 : qint64(size);
    mark.splitBefore = headerFlags & 0x8;
    mark.splitAfter = headerFlags & 0x10;
    return true;
}

// One RAR 5 header at p (after its CRC and size); false ends the walk.
bool TakeRar5Header(const uchar *p, const uchar *end, bool firstHeader, RarVolumeHeaders &h,
                    quint64 &dataSize)
{
    quint64 type = 0, flags = 0, skipped = 0;
    if (!ReadVint(p, end, type) || !ReadVint(p, end, flags))
        return false;
    if ((flags & 0x1) && !ReadVint(p, end, skipped))
        return false;
    dataSize = 0;
    if ((flags & 0x2) && !ReadVint(p, end, dataSize))
        return false;
    if (firstHeader && type == 4) {
        h.encryptedHeaders = true;
        return false;
    }
    if (firstHeader != (type == 1))
        return false;
    if (type == 1) {
        quint64 archiveFlags = 0, number = 0;
        if (!ReadVint(p, end, archiveFlags))
            return false;
        if ((archiveFlags & 0x2) && !ReadVint(p, end, number))
            return false;
        h.readable = true;
        h.isVolume = archiveFlags & 0x1;
        h.newNumbering = true;
        h.number = h.isVolume ? int(qMin<quint64>(number, 1u << 30)) : -1;
        h.firstVolume = h.isVolume && !(archiveFlags & 0x2);
        return true;
    }
    if (type == 2) {
        RarEntryMark mark;
        if (!ParseRar5File(p, end, flags, mark))
            return false;
        if (h.first.name.isEmpty())
            h.first = mark;
        h.last = mark;
        return true;
    }
    if (type == 5) {
        quint64 endFlags = 0;
        if (!ReadVint(p, end, endFlags))
            return false;
        h.endRead = true;
        h.moreVolumes = endFlags & 0x1;
        return false;
    }
    return true;
}

void WalkRar5(QFile &file, RarVolumeHeaders &h, int maxHeaders)
{
    const qint64 fileSize = file.size();
    qint64 at = 8;
    h.headCut = fileSize < at + 7;
    for (int count = 0; count < maxHeaders && at + 7 <= fileSize; ++count) {
        const QByteArray start = ReadAt(file, at, 7);
        const auto *s = reinterpret_cast<const uchar *>(start.constData());
        const uchar *p = s + 4;
        quint64 headerSize = 0;
        if (start.size() != 7 || !ReadVint(p, s + 7, headerSize) || headerSize == 0 ||
            headerSize > kMaxHeaderSize)
            return;
        const qint64 total = (p - s) + qint64(headerSize);
        const QByteArray header = ReadAt(file, at, total);
        const auto *d = reinterpret_cast<const uchar *>(header.constData());
        if (header.size() != total) {
            h.headCut = count == 0;
            return;
        }
        if (Crc(d + 4, total - 4) != Le32(d))
            return;
        quint64 dataSize = 0;
        if (!TakeRar5Header(d + (p - s), d + total, count == 0, h, dataSize))
            return;
        // Data running past the end: the volume is cut short or still being written.
        if (dataSize > quint64(fileSize - at - total))
            return;
        at += total + qint64(dataSize);
    }
}

// Pack size, unpacked size, host, CRC, time, version, method, name size, attributes,
// [high pack and unpacked sizes], name. Unicode names carry a second, encoded form after a 0.
bool ParseRar4File(const uchar *d, qint64 headSize, quint16 flags, RarEntryMark &mark)
{
    const bool large = flags & 0x100;
    const qint64 nameAt = large ? 40 : 32;
    if (headSize < nameAt)
        return false;
    const quint16 nameSize = Le16(d + 26);
    if (nameAt + nameSize > headSize)
        return false;
    QByteArray name(reinterpret_cast<const char *>(d + nameAt), nameSize);
    const int zero = name.indexOf('\0');
    if (zero >= 0)
        name.truncate(zero);
    mark.name = QString::fromLocal8Bit(name);
    const quint64 high = large ? Le32(d + 36) : 0;
    mark.size = high > 0x7FFFFFFF ? -1 : qint64(high << 32 | Le32(d + 11));
    mark.splitBefore = flags & 0x1;
    mark.splitAfter = flags & 0x2;
    return true;
}

// The end record's flags: another volume follows, data CRC present, volume number present.
void TakeRar4End(const uchar *d, qint64 headSize, quint16 flags, RarVolumeHeaders &h)
{
    h.endRead = true;
    h.moreVolumes = flags & 0x1;
    const qint64 numberAt = 7 + ((flags & 0x2) ? 4 : 0);
    if ((flags & 0x8) && numberAt + 2 <= headSize)
        h.number = Le16(d + numberAt);
}

void WalkRar4(QFile &file, RarVolumeHeaders &h, int maxHeaders)
{
    const qint64 fileSize = file.size();
    qint64 at = 7;
    h.headCut = fileSize < at + 7;
    for (int count = 0; count < maxHeaders && at + 7 <= fileSize; ++count) {
        const QByteArray base = ReadAt(file, at, 7);
        if (base.size() != 7)
            return;
        const auto *b = reinterpret_cast<const uchar *>(base.constData());
        const uchar type = b[2];
        const quint16 flags = Le16(b + 3);
        const quint16 headSize = Le16(b + 5);
        const QByteArray header = ReadAt(file, at, headSize);
        const auto *d = reinterpret_cast<const uchar *>(header.constData());
        if (headSize < 7)
            return;
        if (header.size() != headSize) {
            h.headCut = count == 0;
            return;
        }
        if (count == 0) {
            // The main header: its checksum covers the fixed fields at least.
            if (type != 0x73 || headSize < 13 ||
                (Le16(d) != quint16(Crc(d + 2, headSize - 2)) &&
                 Le16(d) != quint16(Crc(d + 2, 11))))
                return;
            h.readable = true;
            h.isVolume = flags & 0x1;
            h.newNumbering = flags & 0x10;
            h.firstVolume = flags & 0x100;
            h.encryptedHeaders = flags & 0x80;
            if (h.encryptedHeaders)
                return;
            at += headSize;
            continue;
        }
        qint64 dataSize = (flags & 0x8000) && headSize >= 11 ? qint64(Le32(d + 7)) : 0;
        if (type == 0x74) {
            RarEntryMark mark;
            if (!ParseRar4File(d, headSize, flags, mark))
                return;
            if (flags & 0x100)
                dataSize += qint64(Le32(d + 32)) << 32;
            if (h.first.name.isEmpty())
                h.first = mark;
            h.last = mark;
        } else if (type == 0x7B) {
            TakeRar4End(d, headSize, flags, h);
            return;
        }
        if (dataSize < 0 || dataSize > fileSize - at - headSize)
            return;
        at += headSize + dataSize;
    }
}

} // namespace

ArchiveKind ArchiveKindOf(const QByteArray &head)
{
    if (head.startsWith(QByteArray(kRar5Signature, 8)))
        return ArchiveKind::Rar5;
    if (head.startsWith(QByteArray(kRar4Signature, 7)))
        return ArchiveKind::Rar4;
    if (head.startsWith(QByteArray(kSevenZipSignature, 6)))
        return ArchiveKind::SevenZip;
    // A local file header, or the end record of an empty archive.
    if (head.startsWith(QByteArray("PK\x03\x04", 4)) ||
        head.startsWith(QByteArray("PK\x05\x06", 4)))
        return ArchiveKind::Zip;
    return ArchiveKind::None;
}

ArchiveKind ArchiveKindOfFile(const QString &path)
{
    // Eight bytes and nothing else: this runs on every file a release or a set holds. Never
    // blocking, should a name lead to a pipe.
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return ArchiveKind::None;
    char head[8];
    const ssize_t got = ::read(fd, head, sizeof head);
    ::close(fd);
    return got > 0 ? ArchiveKindOf(QByteArray(head, int(got))) : ArchiveKind::None;
}

QString ArchiveKindName(ArchiveKind kind)
{
    switch (kind) {
    case ArchiveKind::Rar4:
    case ArchiveKind::Rar5:
        return QStringLiteral("RAR");
    case ArchiveKind::SevenZip:
        return QStringLiteral("7z");
    case ArchiveKind::Zip:
        return QStringLiteral("ZIP");
    case ArchiveKind::Tar:
        return QStringLiteral("tar");
    case ArchiveKind::DiscImage:
        return QStringLiteral("disc image (ISO 9660)");
    case ArchiveKind::None:
        break;
    }
    return QString();
}

namespace {

// The headers of the RAR file at path, walked up to maxHeaders of them.
RarVolumeHeaders ReadRarHeaders(const QString &path, int maxHeaders)
{
    RarVolumeHeaders headers;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return headers;
    headers.kind = ArchiveKindOf(file.read(8));
    if (headers.kind == ArchiveKind::Rar5)
        WalkRar5(file, headers, maxHeaders);
    else if (headers.kind == ArchiveKind::Rar4)
        WalkRar4(file, headers, maxHeaders);
    if (headers.firstVolume && headers.number < 0)
        headers.number = 0;
    return headers;
}

} // namespace

RarVolumeHeaders ReadRarVolumeHeaders(const QString &path)
{
    return ReadRarHeaders(path, kMaxHeaders);
}

RarVolumeHeaders ReadRarHeadersOfVolume(const QString &path)
{
    const RarVolumeHeaders main = ReadRarHeaders(path, 1);
    return main.readable && main.isVolume ? ReadRarVolumeHeaders(path) : main;
}

bool RarHeadUndamaged(const QString &path)
{
    const RarVolumeHeaders head = ReadRarHeaders(path, 1);
    return head.readable || head.encryptedHeaders || head.headCut;
}
