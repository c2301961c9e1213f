#pragma once
// PAR2 recovery files beside a set: which files each one describes, and which of them can repair
// a set's volumes.

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

class QIODevice;

// One file a PAR2 set describes (a file-description packet).
struct Par2FileDescription
{
    QString name; // as the creator wrote it; read as SFV names are (UTF-8, else a code page)
    qint64 size = 0;
    QByteArray hash;      // MD5 of the whole file, 16 bytes
    QByteArray hash16KiB; // MD5 of its first 16 KiB, 16 bytes
};

// What reading one PAR2 file may cost at most: a real one describes a few thousand files; a
// hostile one of millions of tiny packets would otherwise hold the job.
constexpr int Par2MostPackets = 100000;
constexpr qint64 Par2MostBytesRead = 32 * 1024 * 1024;

// The file descriptions in device, each name once, in one pass from its start; reading ends at
// the first thing that is no packet and at the bounds above. Empty when it is no PAR2 file.
QList<Par2FileDescription> ReadPar2Descriptions(QIODevice &device);

// The file descriptions of the PAR2 file at par2Path. A file is read once for as long as it
// stays the same (same size, modification time and inode), however often a run asks.
QList<Par2FileDescription> Par2Descriptions(const QString &par2Path);

// The names of the files a PAR2 file describes; empty when it is no PAR2 file.
QStringList Par2DescribedFiles(const QString &par2Path);

// The PAR2 files (".par2", letter case ignored) directly in folder.
QStringList Par2FilesIn(const QString &folder);

// Every PAR2 file directly in folder with the files it describes, sorted by path.
struct Par2FolderFile
{
    QString path;
    QList<Par2FileDescription> files;
};
QList<Par2FolderFile> Par2FolderDescriptions(const QString &folder);

// The PAR2 file of folder to repair the set whose volumes have these file names: one that
// describes all of them and no file outside the folder. Empty when none does.
QString Par2ForSet(const QString &folder, const QStringList &volumeNames);

// The file a numbered copy par2 keeps of a file it repairs ("<name>.1", or ".2" when a ".1" is
// there already) is a copy of: name without that number; empty when name ends in none.
QString Par2CopyOriginal(const QString &name);
// Whether name is such a copy of one of the described file names.
bool IsPar2Copy(const QString &name, const QSet<QString> &described);

// What the repair of a set leaves beside it once the set is extracted: the copies that par2 made
// of damaged volumes in this job (madeByRepair, paths as NormalizeSlashes gives them, of which
// only those of usedVolumes count) and the PAR2 files that describe nothing but usedVolumes.
// Existing files only.
QStringList RepairLeftovers(const QString &folder, const QSet<QString> &usedVolumes,
                            const QSet<QString> &madeByRepair);
