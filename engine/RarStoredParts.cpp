#include "engine/RarStoredParts.h"

#include <optional>
#include <QFile>
#include <sys/stat.h>
#include <utility>

#include "engine/ArchiveSignature.h"
#include "engine/RarBlocks.h"
#include "engine/RarBytes.h"
#include "engine/SetPlan.h"

namespace {

using namespace RarBytes;

// The time record: flags (Unix form 0x1, mtime 0x2, ctime 0x4, atime 0x8, nanoseconds 0x10),
// the times present, and in the Unix form with nanoseconds their nanoseconds after them.
void ReadRar5Times(const uchar *p, const uchar *end, RarDataPart &part)
{
    quint64 flags = 0;
    if (!ReadVint(p, end, flags) || (flags & 0x13) != 0x13)
        return;
    const int times = 1 + ((flags & 0x4) ? 1 : 0) + ((flags & 0x8) ? 1 : 0);
    if (end - p < times * 8)
        return;
    part.mtimeSeconds = Le32(p);
    part.mtimeNanoseconds = qint64(Le32(p + times * 4)) % 1000000000;
}

// Reads the RAR 5 extra records for the times. True when there is none but those that change
// nothing in what libunrar writes for a file: its times, and its owner (which is not set on
// extraction).
bool ReadRar5Extras(const uchar *p, const uchar *end, RarDataPart &part)
{
    bool plain = true;
    while (p < end) {
        quint64 size = 0, type = 0;
        if (!ReadVint(p, end, size) || size > quint64(end - p) || size == 0)
            return false;
        const uchar *next = p + size;
        if (!ReadVint(p, next, type))
            return false;
        if (type == 3)
            ReadRar5Times(p, next, part);
        else if (type != 6)
            plain = false;
        p = next;
    }
    return plain;
}

// File flags, unpacked size, attributes, [mtime], [data CRC], compression, host, name.
RarDataPart Rar5Part(const RarBlock &block)
{
    RarDataPart part;
    const uchar *p = block.fields;
    const uchar *extra = block.end - block.extraSize;
    quint64 fileFlags = 0, size = 0, attributes = 0, compression = 0, host = 0, nameLength = 0;
    if (!ReadVint(p, extra, fileFlags) || !ReadVint(p, extra, size) ||
        !ReadVint(p, extra, attributes))
        return part;
    if ((fileFlags & 0x2) && extra - p >= 4)
        p += 4;
    const bool hasCrc = (fileFlags & 0x4) && extra - p >= 4;
    if (hasCrc) {
        part.crc = Le32(p);
        p += 4;
    }
    if (!ReadVint(p, extra, compression) || !ReadVint(p, extra, host) ||
        !ReadVint(p, extra, nameLength) || nameLength > quint64(extra - p))
        return part;
    part.name = QString::fromUtf8(reinterpret_cast<const char *>(p), int(nameLength));
    part.entrySize = (fileFlags & 0x8) || size > quint64(INT64_MAX) ? -1 : qint64(size);
    const bool storedFile = ((compression >> 7) & 0x7) == 0 && !(compression & 0x40) &&
                            !(fileFlags & 0x1) && !(host == 1 && S_ISLNK(attributes));
    const bool plainExtras = ReadRar5Extras(extra, block.end, part);
    part.plain = storedFile && hasCrc && part.entrySize >= 0 && plainExtras;
    return part;
}

// Pack size, unpacked size, host, CRC, time, version, method, name size, attributes,
// [high pack and unpacked sizes], name.
RarDataPart Rar4Part(const RarBlock &block)
{
    RarDataPart part;
    const uchar *d = block.header;
    const qint64 headSize = block.end - block.header;
    const quint64 flags = block.flags;
    const bool large = flags & 0x100;
    const qint64 nameAt = large ? 40 : 32;
    if (headSize < nameAt || nameAt + Le16(d + 26) > headSize)
        return part;
    const quint64 high = large ? Le32(d + 36) : 0;
    part.entrySize = high > 0x7FFFFFFF ? -1 : qint64(high << 32 | Le32(d + 11));
    part.crc = Le32(d + 16);
    const QByteArray name(reinterpret_cast<const char *>(d + nameAt), Le16(d + 26));
    // Encrypted (0x04), an old file comment (0x08), solid (0x10), salt (0x400), version (0x800).
    constexpr quint64 kNotPlain = 0x04 | 0x08 | 0x10 | 0x400 | 0x800;
    const bool folder = (flags & 0xE0) == 0xE0;
    const bool unixLink = d[15] == 3 && S_ISLNK(Le32(d + 28));
    if (!(flags & 0x200) && !name.contains('\0'))
        part.name = QString::fromUtf8(name).replace(QLatin1Char('\\'), QLatin1Char('/'));
    part.plain = block.crcOk && d[25] == 0x30 && !(flags & kNotPlain) && !folder && !unixLink &&
                 part.entrySize >= 0 && !part.name.isEmpty();
    return part;
}

} // namespace

QList<RarDataPart> ReadRarDataParts(const QString &path, int maxHeaders)
{
    QList<RarDataPart> parts;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return parts;
    const ArchiveKind kind = ArchiveKindOf(file.read(8));
    if (!IsRarKind(kind))
        return parts;
    const bool rar5 = kind == ArchiveKind::Rar5;
    bool first = true;
    WalkRarBlocks(file, rar5, maxHeaders, [&](const RarBlock &block) {
        // Encrypted headers hide everything; a first header that is no main header is damage.
        if (std::exchange(first, false))
            return block.type == (rar5 ? 1u : 0x73u) && block.crcOk &&
                   !(!rar5 && block.flags & 0x80);
        if (block.type == (rar5 ? 5u : 0x7Bu))
            return false;
        if (block.type != (rar5 ? 2u : 0x74u))
            return true;
        RarDataPart part = rar5 ? Rar5Part(block) : Rar4Part(block);
        part.dataAt = block.dataAt;
        part.size = qint64(qMin<quint64>(block.dataSize, quint64(INT64_MAX)));
        part.splitBefore = block.flags & (rar5 ? 0x8 : 0x1);
        part.splitAfter = block.flags & (rar5 ? 0x10 : 0x2);
        part.plain = part.plain && block.dataInFile;
        parts << part;
        return true;
    });
    return parts;
}

std::optional<RarDataPart> RarStoredIndex::partOf(const RarEntryStart &start)
{
    const int volume = int(m_volumes.indexOf(start.volume));
    if (volume < 0)
        return std::nullopt;
    const Volume &read = volumeAt(volume);
    std::optional<RarDataPart> match;
    for (auto at = read.byName.find(start.name); at != read.byName.end() && at.key() == start.name;
         ++at) {
        const RarDataPart &part = read.parts.at(*at);
        if (part.splitBefore || part.size != start.partSize || part.crc != start.crc ||
            part.entrySize != start.entrySize || part.splitAfter != start.splitAfter)
            continue;
        // Two entries alike in all of that: which one libunrar is at cannot be told.
        if (match)
            return std::nullopt;
        match = part;
    }
    return match;
}

QList<StoredPiece> RarStoredIndex::piecesOf(const RarEntryStart &start, RarDataPart *firstPart)
{
    const std::optional<RarDataPart> match = partOf(start);
    if (!match || !match->plain)
        return {};
    int volume = int(m_volumes.indexOf(start.volume));
    QList<StoredPiece> pieces{{m_volumes.at(volume), match->dataAt, match->size, match->crc}};
    qint64 total = match->size;
    bool more = match->splitAfter;
    while (more) {
        // A split entry goes on at the start of the next volume.
        if (++volume >= m_volumes.size() || partsOf(volume).isEmpty())
            return {};
        const RarDataPart &next = partsOf(volume).constFirst();
        if (!next.plain || !next.splitBefore || next.entrySize != start.entrySize ||
            next.name != start.name)
            return {};
        pieces.append({m_volumes.at(volume), next.dataAt, next.size, next.crc});
        total = AddEntrySize(total, next.size);
        more = next.splitAfter;
    }
    if (total != start.entrySize)
        return {};
    if (firstPart)
        *firstPart = *match;
    return pieces;
}

const RarStoredIndex::Volume &RarStoredIndex::volumeAt(int volume)
{
    auto found = m_read.find(volume);
    if (found == m_read.end()) {
        Volume read;
        read.parts = ReadRarDataParts(m_volumes.at(volume));
        for (int i = 0; i < read.parts.size(); ++i)
            read.byName.insert(read.parts.at(i).name, i);
        found = m_read.insert(volume, std::move(read));
    }
    return *found;
}
