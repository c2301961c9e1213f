#pragma once
// PAR2 recovery files beside a set: which files each one describes, and which of them can repair
// a set's volumes.

#include <QSet>
#include <QString>
#include <QStringList>

// The names of the files a PAR2 file describes (from its file-description packets); empty when it
// is no PAR2 file.
QStringList Par2DescribedFiles(const QString &par2Path);

// The PAR2 files (".par2", letter case ignored) directly in folder.
QStringList Par2FilesIn(const QString &folder);

// The PAR2 file of folder to repair the set whose volumes have these file names: one that
// describes all of them. Empty when none does.
QString Par2ForSet(const QString &folder, const QStringList &volumeNames);

// What the repair of a set leaves beside it once the set is extracted: the copies par2 keeps of
// the damaged volumes ("<volume>.1") and the PAR2 files that describe nothing but usedVolumes
// (paths as NormalizeSlashes gives them). Existing files only.
QStringList RepairLeftovers(const QString &folder, const QSet<QString> &usedVolumes);

// One file a PAR2 file describes: its name, its size and the MD5 of its first 16 KiB, enough to
// know a renamed copy of it.
struct Par2FileDescription
{
    QString name;
    qint64 size = 0;
    QByteArray hash16k;
};

// The file descriptions of a PAR2 file, each name once; empty when it is no PAR2 file.
QList<Par2FileDescription> Par2FileDescriptions(const QString &par2Path);
