#pragma once
// The files of a release that no naming scheme places in a set, looked at by their first bytes:
// how an obfuscated download (volumes under random names) is still known as archives.

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include "engine/ArchiveSignature.h"

class EngineContext;

// A file that carries an archive signature although its name does not make it an archive of a
// set. lone: it is named x.rar but shares its stem with no other volume, so its name cannot lead
// to the rest of a set.
struct ContentFile
{
    QString path;
    ArchiveKind kind = ArchiveKind::None;
    bool lone = false;
};

// The folders the release scan walks: releaseFolder and, with ScanSubdirs, its subfolders but for
// those it leaves out (recycler and trash folders, skip-list hits). Writes no log line.
QStringList ReleaseFolders(EngineContext &ctx, const QString &releaseFolder);

// Whether the name rules have a use for a file of this name: a volume of a named set (x.r00,
// x.001, x.part2.rar, or x.rar beside them), a ZIP file, a checksum, recovery or info file, or a
// kind of file that is an archive inside but is kept as it is (e-books, comics, office documents,
// Java and Android packages). volumeStems: how many volume names of its folder share each stem,
// lower-cased.
bool PlacedByName(const QString &name, const QHash<QString, int> &volumeStems);

// Whether a file is what the user keeps although it is an archive inside: e-books, comics,
// office documents, Java and Android packages and the like, known by their extension.
bool KeptAsItIs(const QString &name);

// The files of folder that the name rules do not place and that carry an archive signature; only
// their first bytes are read. otherFormats: tar archives and ISO 9660 images count too.
QList<ContentFile> UnplacedArchives(const QString &folder, bool otherFormats = false);

// UnplacedArchives of every folder of the release, one list a folder in ReleaseFolders' order:
// read once, for the sets and for the archives in no set.
using ReleaseContent = QList<QList<ContentFile>>;
ReleaseContent UnplacedArchivesOfRelease(EngineContext &ctx, const QString &releaseFolder);

// The archives of the release that start a set of their own by their content: single RAR
// archives, RAR volume sets whose own headers say they are complete, and 7z archives. lone files
// are left to the name rules. Logs each one as taken by its content.
QStringList ContentCandidates(EngineContext &ctx, const ReleaseContent &unplaced);

// The ZIP files of the release known by their content, for the ZIP phase.
QStringList ZipsByContent(EngineContext &ctx, const QString &releaseFolder);
