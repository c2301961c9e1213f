#include "tools/DiskSpace.h"

#include <algorithm>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#include "engine/GeneralFuncs.h"
#include "engine/Settings.h"

namespace {

// File systems that live on a block device but are no place to unpack to.
bool isReadOnlyMediaType(const QByteArray &type)
{
    return type == "iso9660" || type == "udf" || type == "squashfs" || type == "erofs";
}

// Whether the kernel marks the disk holding this block device (e.g. /dev/sdb1) as removable.
bool isRemovableDevice(const QString &deviceName)
{
    const QString blockDir =
        QFileInfo(QStringLiteral("/sys/class/block/") + deviceName).canonicalFilePath();
    if (blockDir.isEmpty())
        return false;
    // A partition's own folder has no "removable"; its disk is the folder above.
    for (const QString &dir : {blockDir, QFileInfo(blockDir).path()}) {
        QFile flag(dir + QStringLiteral("/removable"));
        if (flag.open(QIODevice::ReadOnly))
            return flag.readAll().trimmed() == "1";
    }
    return false;
}

bool isLocalDisk(const QStorageInfo &volume)
{
    if (!volume.isValid() || !volume.isReady() || volume.bytesTotal() < 0)
        return false;
    const QByteArray type = volume.fileSystemType();
    if (type == "zfs")
        return true; // pools name their datasets, not a device
    const QString device = QString::fromLocal8Bit(volume.device());
    if (!device.startsWith(QLatin1String("/dev/")) || isReadOnlyMediaType(type))
        return false;
    const QString name = QFileInfo(device).canonicalFilePath().section(QLatin1Char('/'), -1);
    for (const char *virtualPrefix : {"loop", "ram", "zram", "sr", "nbd"}) {
        if (name.startsWith(QLatin1String(virtualPrefix)))
            return false;
    }
    return !isRemovableDevice(name);
}

} // namespace

QList<DriveSpace> DistinctDrives(const QList<DiskMount> &mounts)
{
    QList<DiskMount> distinct;
    for (const DiskMount &mount : mounts) {
        auto known = std::find_if(distinct.begin(), distinct.end(),
                                  [&](const DiskMount &d) { return d.device == mount.device; });
        if (known == distinct.end())
            distinct << mount;
        else if (mount.space.root.size() < known->space.root.size())
            *known = mount;
    }
    QList<DriveSpace> drives;
    for (const DiskMount &mount : std::as_const(distinct))
        drives << mount.space;
    std::sort(drives.begin(), drives.end(),
              [](const DriveSpace &a, const DriveSpace &b) { return a.root < b.root; });
    return drives;
}

QList<DriveSpace> LocalDrives()
{
    QList<DiskMount> mounts;
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        if (!isLocalDisk(volume))
            continue;
        // /dev/mapper/x and /dev/dm-0 are one device.
        const QString device = QString::fromLocal8Bit(volume.device());
        const QString canonical = QFileInfo(device).canonicalFilePath();
        mounts << DiskMount{canonical.isEmpty() ? device : canonical,
                            DriveSpace{NormalizeFolder(volume.rootPath()), volume.bytesAvailable(),
                                       volume.bytesTotal()}};
    }
    return DistinctDrives(mounts);
}

QString PercentageUsed(qint64 freeBytes, qint64 totalBytes)
{
    // A drive reporting no size (or a machine without drives) would divide by zero.
    if (totalBytes <= 0)
        return QStringLiteral("0%");
    const double used = double(totalBytes - freeBytes) / double(totalBytes) * 100.0;
    return QString::number(static_cast<qint64>(used)) + QLatin1Char('%');
}

QList<DriveListRow> DriveListRows(const QList<DriveSpace> &drives)
{
    QList<DriveListRow> rows;
    qint64 totalFree = 0;
    qint64 totalSize = 0;
    for (const DriveSpace &drive : drives) {
        rows << DriveListRow{drive.root, FormatSize(drive.freeBytes), FormatSize(drive.totalBytes),
                             PercentageUsed(drive.freeBytes, drive.totalBytes)};
        totalFree += drive.freeBytes;
        totalSize += drive.totalBytes;
    }
    rows << DriveListRow{QStringLiteral("--------"), QString(), QString(), QString()};
    rows << DriveListRow{QStringLiteral("All drives"), FormatSize(totalFree), FormatSize(totalSize),
                         PercentageUsed(totalFree, totalSize)};
    return rows;
}

void FolderSize(const QString &folder, qint64 &total, bool scanSubdirs)
{
    QDirIterator entries(folder,
                         QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (entries.hasNext()) {
        entries.next();
        const QFileInfo entry = entries.fileInfo();
        if (entry.fileName().isEmpty())
            continue;
        if (entry.isDir()) {
            if (scanSubdirs && !entry.isSymLink())
                FolderSize(entry.filePath(), total, scanSubdirs);
        } else if (entry.isFile()) {
            total += entry.size();
        }
    }
}

QStringList FitCheckFolders(const Settings &settings)
{
    if (settings.InputMode() == InputModeChoice::Queue)
        return settings.Queue();
    const QString input = settings.InputFolder();
    return input.isEmpty() ? QStringList() : QStringList{input};
}

FitCheckAnswer CheckFit(const QStringList &folders, bool scanSubdirs,
                        const QList<DriveSpace> &drives)
{
    FitCheckAnswer answer;
    if (folders.isEmpty()) {
        answer.caption = QStringLiteral("Error");
        answer.text = QStringLiteral("You have to select a folder first, stupid!");
        return answer;
    }
    for (const QString &folder : folders)
        FolderSize(folder, answer.totalBytes, scanSubdirs);

    QString roots;
    for (const DriveSpace &drive : drives) {
        if (drive.freeBytes >= answer.totalBytes) {
            roots += IfThenStr(roots.isEmpty(), QString(), QStringLiteral(", ")) + drive.root;
            answer.fittingRoots << drive.root;
        }
    }
    const QString queueLine = QStringLiteral("Your queue is currently ") +
                              FormatSize(answer.totalBytes) + QStringLiteral(".\n");
    if (!roots.isEmpty()) {
        answer.kind = FitCheckAnswer::Kind::Fits;
        answer.caption = QStringLiteral("Does it fit?");
        answer.text = queueLine +
                      QStringLiteral("You can unpack it on the following hard drives:\n\n") + roots;
    } else {
        answer.kind = FitCheckAnswer::Kind::DoesNotFit;
        answer.caption = QStringLiteral("It does not fit");
        answer.text =
            queueLine + QStringLiteral("You can not unpack it on any of your hard drives");
    }
    return answer;
}
