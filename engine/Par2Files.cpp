#include "engine/Par2Files.h"

#include <algorithm>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QRegularExpression>
#include <sys/stat.h>

#include "engine/FolderEntries.h"
#include "engine/GeneralFuncs.h"
#include "engine/LegacyNames.h"

namespace {

constexpr qint64 kPacketHeader = 64;
// File id, MD5, MD5 of the first 16 KiB and length come before the name.
constexpr qint64 kDescriptionFixed = 56;
// A packet larger than this is a recovery-data packet at most; only its header is read.
constexpr qint64 kFileDescriptionLimit = 64 * 1024;
// Cached readings; past this many the cache starts anew.
constexpr int kMostCachedFiles = 1024;

quint64 Le64(const char *p)
{
    quint64 value = 0;
    for (int i = 7; i >= 0; --i)
        value = value << 8 | uchar(p[i]);
    return value;
}

Par2FileDescription DescriptionOf(const QByteArray &body)
{
    Par2FileDescription description;
    description.hash = body.mid(16, 16);
    description.hash16KiB = body.mid(32, 16);
    description.size = qint64(Le64(body.constData() + 48) & 0x7FFFFFFFFFFFFFFFULL);
    QByteArray name = body.mid(kDescriptionFixed);
    while (name.endsWith('\0'))
        name.chop(1);
    description.name = DecodeLegacyName(name, LegacyCodePage::Windows1252);
    return description;
}

// What identifies one version of a file: a file rewritten or replaced is read again.
struct FileStamp
{
    qint64 size = -1;
    qint64 modifiedNs = 0;
    quint64 inode = 0;
    bool operator==(const FileStamp &other) const
    {
        return size == other.size && modifiedNs == other.modifiedNs && inode == other.inode;
    }
};

bool StampOf(const QString &path, FileStamp &stamp)
{
    struct stat info = {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    stamp.size = qint64(info.st_size);
    stamp.modifiedNs = qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    stamp.inode = quint64(info.st_ino);
    return true;
}

struct CachedReading
{
    FileStamp stamp;
    QList<Par2FileDescription> files;
};

} // namespace

QList<Par2FileDescription> ReadPar2Descriptions(QIODevice &device)
{
    QList<Par2FileDescription> files;
    QSet<QString> seen;
    qint64 bytesRead = 0;
    for (int packets = 0; packets < Par2MostPackets && bytesRead < Par2MostBytesRead; ++packets) {
        const QByteArray header = device.read(kPacketHeader);
        bytesRead += header.size();
        if (header.size() != kPacketHeader || !header.startsWith(QByteArray("PAR2\0PKT", 8)))
            break;
        const quint64 length = Le64(header.constData() + 8);
        // Compared unsigned: a length near 2^64 read as a signed number would step backwards.
        if (length < quint64(kPacketHeader) || length % 4 != 0)
            break;
        const qint64 bodySize = qint64(qMin(length, quint64(1) << 62)) - kPacketHeader;
        if (header.mid(48, 16) == QByteArray("PAR 2.0\0FileDesc", 16) &&
            length <= quint64(kFileDescriptionLimit)) {
            const QByteArray body = device.read(bodySize);
            bytesRead += body.size();
            if (body.size() != bodySize || bodySize < kDescriptionFixed)
                break;
            Par2FileDescription description = DescriptionOf(body);
            if (!description.name.isEmpty() && !seen.contains(description.name)) {
                seen.insert(description.name);
                files << description;
            }
            continue;
        }
        // Skipped unread; a packet that runs past the end ends the reading.
        if (device.isSequential() || bodySize > device.size() - device.pos() ||
            !device.seek(device.pos() + bodySize))
            break;
    }
    return files;
}

QList<Par2FileDescription> Par2Descriptions(const QString &par2Path)
{
    static QMutex mutex;
    static QHash<QString, CachedReading> cache;
    FileStamp stamp;
    if (!StampOf(par2Path, stamp))
        return {};
    const QString key = QFileInfo(par2Path).absoluteFilePath();
    {
        const QMutexLocker lock(&mutex);
        const auto found = cache.constFind(key);
        if (found != cache.cend() && found->stamp == stamp)
            return found->files;
    }
    QFile file(par2Path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    CachedReading reading{stamp, ReadPar2Descriptions(file)};
    const QMutexLocker lock(&mutex);
    if (cache.size() >= kMostCachedFiles)
        cache.clear();
    cache.insert(key, reading);
    return reading.files;
}

QStringList Par2DescribedFiles(const QString &par2Path)
{
    QStringList names;
    for (const Par2FileDescription &description : Par2Descriptions(par2Path))
        names << description.name;
    return names;
}

QStringList Par2FilesIn(const QString &folder)
{
    QStringList files;
    for (const FolderEntry &entry : ListFolderEntries(folder)) {
        if (entry.kind == FolderEntry::Kind::File &&
            entry.name.endsWith(QLatin1String(".par2"), Qt::CaseInsensitive))
            files << WithSlash(folder) + entry.name;
    }
    files.sort();
    return files;
}

QList<Par2FolderFile> Par2FolderDescriptions(const QString &folder)
{
    QList<Par2FolderFile> result;
    for (const QString &par2 : Par2FilesIn(folder))
        result << Par2FolderFile{par2, Par2Descriptions(par2)};
    return result;
}

QString Par2ForSet(const QString &folder, const QStringList &volumeNames)
{
    for (const QString &par2 : Par2FilesIn(folder)) {
        const QStringList names = Par2DescribedFiles(par2);
        // par2 would recreate a missing file where its name leads, outside the folder too.
        if (std::any_of(names.cbegin(), names.cend(), NameLeavesFolder))
            continue;
        const QSet<QString> described(names.cbegin(), names.cend());
        bool coversAll = !volumeNames.isEmpty();
        for (const QString &name : volumeNames)
            coversAll = coversAll && described.contains(name);
        if (coversAll)
            return par2;
    }
    return QString();
}

QString Par2CopyOriginal(const QString &name)
{
    static const QRegularExpression copyNumber(QStringLiteral("\\.[0-9]+$"));
    const QRegularExpressionMatch match = copyNumber.match(name);
    return match.hasMatch() ? name.left(match.capturedStart()) : QString();
}

bool IsPar2Copy(const QString &name, const QSet<QString> &described)
{
    const QString original = Par2CopyOriginal(name);
    return !original.isEmpty() && described.contains(original);
}

QStringList RepairLeftovers(const QString &folder, const QSet<QString> &usedVolumes,
                            const QSet<QString> &madeByRepair)
{
    QStringList leftovers;
    const QString here = NormalizeSlashes(WithSlash(folder));
    for (const QString &copy : madeByRepair) {
        const QString original = Par2CopyOriginal(copy);
        if (!original.isEmpty() && usedVolumes.contains(original) && copy.startsWith(here) &&
            copy.indexOf(QLatin1Char('/'), here.size()) < 0 && QFileInfo(copy).isFile())
            leftovers << copy;
    }
    for (const QString &par2 : Par2FilesIn(folder)) {
        const QStringList described = Par2DescribedFiles(par2);
        bool onlyUsed = !described.isEmpty();
        for (const QString &name : described)
            onlyUsed = onlyUsed && usedVolumes.contains(NormalizeSlashes(WithSlash(folder) + name));
        if (onlyUsed)
            leftovers << par2;
    }
    leftovers.sort();
    return leftovers;
}
