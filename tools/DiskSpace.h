#pragma once
// The drives of the disk-space window, their use, folder sizes and the "Does it fit?" answer.

#include <QList>
#include <QString>
#include <QStringList>

class Settings;

// One mounted local disk file system: its mount point ending with "/" (the Linux drive root),
// the bytes the user may still write there, and its total size.
struct DriveSpace
{
    QString root;
    qint64 freeBytes = 0;
    qint64 totalBytes = 0;
};

// One mount of a local disk: the device that holds it, its mount point and its space.
struct DiskMount
{
    QString device;
    DriveSpace space;
};

// One drive per device, ordered by mount point. The mounts of one device (btrfs subvolumes,
// bind mounts) share its free space and size, so only the one at the shortest mount point is
// listed, and the space is counted once.
QList<DriveSpace> DistinctDrives(const QList<DiskMount> &mounts);

// The mounted local disk file systems, as DistinctDrives lists them; pseudo, network, optical,
// loop, RAM and removable file systems are left out.
QList<DriveSpace> LocalDrives();

// "45%": the used share of size, truncated toward zero; "0%" for a size of 0.
QString PercentageUsed(qint64 freeBytes, qint64 totalBytes);

// One row of the drive list: "Drive", "Free", "Size", "Percentage used".
struct DriveListRow
{
    QString drive;
    QString free;
    QString size;
    QString used;
};

// A row per drive, then the "--------" separator and the "All drives" totals.
QList<DriveListRow> DriveListRows(const QList<DriveSpace> &drives);

// Adds to total the sizes of the files in folder, and with scanSubdirs those of its
// subfolders. Hidden files count; a folder that cannot be listed adds nothing; symbolic links
// to folders are not followed, so a link loop cannot run forever.
void FolderSize(const QString &folder, qint64 &total, bool scanSubdirs);

// The folders the fit check measures: the queue in queue mode, else the input folder when set.
QStringList FitCheckFolders(const Settings &settings);

// The message box that answers "Does it fit?".
struct FitCheckAnswer
{
    enum class Kind { NoFolder, Fits, DoesNotFit };
    Kind kind = Kind::NoFolder;
    QString caption;
    QString text;
    qint64 totalBytes = 0;
    QStringList fittingRoots;
};

// Measures the folders and names every drive whose free space is at least their total.
FitCheckAnswer CheckFit(const QStringList &folders, bool scanSubdirs,
                        const QList<DriveSpace> &drives);
