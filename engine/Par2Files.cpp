#include "engine/Par2Files.h"

#include <QFile>
#include <QFileInfo>

#include "engine/FolderEntries.h"
#include "engine/GeneralFuncs.h"

namespace {

constexpr qint64 kPacketHeader = 64;
// A packet larger than this is a recovery-data packet at most; only its header is read.
constexpr qint64 kFileDescriptionLimit = 64 * 1024;

quint64 Le64(const uchar *p)
{
    quint64 value = 0;
    for (int i = 7; i >= 0; --i)
        value = value << 8 | p[i];
    return value;
}

QString Slash(const QString &folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

} // namespace

QStringList Par2DescribedFiles(const QString &par2Path)
{
    QStringList names;
    QFile file(par2Path);
    if (!file.open(QIODevice::ReadOnly))
        return names;
    const qint64 size = file.size();
    qint64 at = 0;
    while (at + kPacketHeader <= size) {
        if (!file.seek(at))
            break;
        const QByteArray header = file.read(kPacketHeader);
        if (header.size() != kPacketHeader || !header.startsWith(QByteArray("PAR2\0PKT", 8)))
            break;
        const quint64 length = Le64(reinterpret_cast<const uchar *>(header.constData()) + 8);
        // Compared unsigned: a length near 2^64 read as a signed number would step backwards
        // and read the same packets for ever.
        if (length < quint64(kPacketHeader) || length % 4 != 0 || length > quint64(size - at))
            break;
        if (header.mid(48, 16) == QByteArray("PAR 2.0\0FileDesc", 16) &&
            length <= quint64(kFileDescriptionLimit)) {
            // File id, MD5, MD5 of the first 16 KiB, length: 56 bytes, then the name.
            QByteArray name = file.read(qint64(length) - kPacketHeader).mid(56);
            while (name.endsWith('\0'))
                name.chop(1);
            if (!name.isEmpty() && !names.contains(QString::fromUtf8(name)))
                names << QString::fromUtf8(name);
        }
        at += qint64(length);
    }
    return names;
}

QStringList Par2FilesIn(const QString &folder)
{
    QStringList files;
    for (const FolderEntry &entry : ListFolderEntries(folder)) {
        if (entry.kind == FolderEntry::Kind::File &&
            entry.name.endsWith(QLatin1String(".par2"), Qt::CaseInsensitive))
            files << Slash(folder) + entry.name;
    }
    files.sort();
    return files;
}

QString Par2ForSet(const QString &folder, const QStringList &volumeNames)
{
    for (const QString &par2 : Par2FilesIn(folder)) {
        const QStringList described = Par2DescribedFiles(par2);
        bool coversAll = !volumeNames.isEmpty();
        for (const QString &name : volumeNames)
            coversAll = coversAll && described.contains(name);
        if (coversAll)
            return par2;
    }
    return QString();
}

QStringList RepairLeftovers(const QString &folder, const QSet<QString> &usedVolumes)
{
    QStringList leftovers;
    for (const QString &volume : usedVolumes) {
        const QString copy = volume + QStringLiteral(".1");
        if (QFileInfo(copy).isFile() && NormalizeSlashes(QFileInfo(copy).path()) ==
                                            NormalizeSlashes(QFileInfo(Slash(folder)).path()))
            leftovers << copy;
    }
    for (const QString &par2 : Par2FilesIn(folder)) {
        const QStringList described = Par2DescribedFiles(par2);
        bool onlyUsed = !described.isEmpty();
        for (const QString &name : described)
            onlyUsed = onlyUsed && usedVolumes.contains(NormalizeSlashes(Slash(folder) + name));
        if (onlyUsed)
            leftovers << par2;
    }
    leftovers.sort();
    return leftovers;
}

QList<Par2FileDescription> Par2FileDescriptions(const QString &par2Path)
{
    QList<Par2FileDescription> descriptions;
    QFile file(par2Path);
    if (!file.open(QIODevice::ReadOnly))
        return descriptions;
    const qint64 size = file.size();
    QSet<QString> seen;
    for (qint64 at = 0; at + kPacketHeader <= size && file.seek(at);) {
        const QByteArray header = file.read(kPacketHeader);
        if (header.size() != kPacketHeader || !header.startsWith(QByteArray("PAR2\0PKT", 8)))
            break;
        const quint64 length = Le64(reinterpret_cast<const uchar *>(header.constData()) + 8);
        if (length < quint64(kPacketHeader) || length % 4 != 0 || length > quint64(size - at))
            break;
        // File id, MD5, MD5 of the first 16 KiB, length: 56 bytes, then the name.
        if (header.mid(48, 16) == QByteArray("PAR 2.0\0FileDesc", 16) &&
            length <= quint64(kFileDescriptionLimit) && length >= quint64(kPacketHeader + 56)) {
            const QByteArray body = file.read(qint64(length) - kPacketHeader);
            QByteArray name = body.mid(56);
            while (name.endsWith('\0'))
                name.chop(1);
            Par2FileDescription description;
            description.name = QString::fromUtf8(name);
            description.hash16k = body.mid(32, 16);
            description.size = qint64(Le64(reinterpret_cast<const uchar *>(body.constData()) + 48) &
                                      0x7FFFFFFFFFFFFFFF);
            if (body.size() == qint64(length) - kPacketHeader && !description.name.isEmpty() &&
                !seen.contains(description.name)) {
                seen.insert(description.name);
                descriptions << description;
            }
        }
        at += qint64(length);
    }
    return descriptions;
}
