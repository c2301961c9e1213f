#include "engine/ArchiveSignature.h"

#include <fcntl.h>
#include <QFile>
#include <unistd.h>
#include <utility>

#include "engine/RarBlocks.h"
#include "engine/RarBytes.h"

namespace {

using namespace RarBytes;

const char kRar5Signature[] = "Rar!\x1A\x07\x01\x00";
const char kRar4Signature[] = "Rar!\x1A\x07\x00";
const char kSevenZipSignature[] = "7z\xBC\xAF\x27\x1C";

// A volume with more headers than this is not looked at further: what was read so far stands.
constexpr int kMaxHeaders = 4096;

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

// One RAR 5 header; false ends the walk.
bool TakeRar5Header(const RarBlock &block, bool firstHeader, RarVolumeHeaders &h)
{
    const uchar *p = block.fields;
    const uchar *end = block.end;
    if (firstHeader && block.type == 4) {
        h.encryptedHeaders = true;
        return false;
    }
    if (firstHeader != (block.type == 1))
        return false;
    if (block.type == 1) {
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
    if (block.type == 2) {
        RarEntryMark mark;
        if (!ParseRar5File(p, end, block.flags, mark))
            return false;
        if (h.first.name.isEmpty())
            h.first = mark;
        h.last = mark;
        return true;
    }
    if (block.type == 5) {
        quint64 endFlags = 0;
        if (!ReadVint(p, end, endFlags))
            return false;
        h.endRead = true;
        h.moreVolumes = endFlags & 0x1;
        return false;
    }
    return true;
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

// The main header; its checksum covers the fixed fields at least.
bool TakeRar4Main(const RarBlock &block, RarVolumeHeaders &h)
{
    const qint64 headSize = block.end - block.header;
    const uchar *d = block.header;
    if (block.type != 0x73 || headSize < 13 ||
        (Le16(d) != quint16(Crc(d + 2, headSize - 2)) && Le16(d) != quint16(Crc(d + 2, 11))))
        return false;
    h.readable = true;
    h.isVolume = block.flags & 0x1;
    h.newNumbering = block.flags & 0x10;
    h.firstVolume = block.flags & 0x100;
    h.encryptedHeaders = block.flags & 0x80;
    return !h.encryptedHeaders;
}

// One RAR 4 header; false ends the walk.
bool TakeRar4Header(const RarBlock &block, bool firstHeader, RarVolumeHeaders &h)
{
    if (firstHeader)
        return TakeRar4Main(block, h);
    const qint64 headSize = block.end - block.header;
    if (block.type == 0x74) {
        RarEntryMark mark;
        if (!ParseRar4File(block.header, headSize, quint16(block.flags), mark))
            return false;
        if (h.first.name.isEmpty())
            h.first = mark;
        h.last = mark;
    } else if (block.type == 0x7B) {
        TakeRar4End(block.header, headSize, quint16(block.flags), h);
        return false;
    }
    return true;
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
    if (!IsRarKind(headers.kind))
        return headers;
    const bool rar5 = headers.kind == ArchiveKind::Rar5;
    bool firstHeader = true;
    const RarWalkEnd walk = WalkRarBlocks(file, rar5, maxHeaders, [&](const RarBlock &block) {
        const bool first = std::exchange(firstHeader, false);
        return rar5 ? TakeRar5Header(block, first, headers) : TakeRar4Header(block, first, headers);
    });
    headers.headCut = walk.headCut;
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
