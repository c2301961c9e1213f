#pragma once
// Source clean-up after unpacking: the ZIP files, the volumes of one extracted set, and the volumes
// of every extracted set of a folder run. Nothing that was not fully extracted is ever deleted.

#include <QSet>
#include <QString>
#include <QStringList>

class EngineContext;

// The language texts of the clean-up.
namespace CleanupText {
enum : int {
    ZipNotDeleted = 113,
    SetFileNotDeleted = 124,
    SetFilesDeleted = 125,
    ConfirmDeleteAll = 127,
    AllFileNotDeleted = 128,
    AllFilesDeleted = 129,
    ZipKept = 180,
};
}

// ZIP deletion: deletes each ZIP of zips that is in completeZips (every entry written or kept);
// any other ZIP stays, with a log line.
void DeleteZipFiles(EngineContext &ctx, const QStringList &zips, const QSet<QString> &completeZips);

// Per-set deletion after the set whose first volume is firstVolume was extracted: fills workList
// with the volume and SFV candidates beside it, deletes those of the set and logs a skip line for
// the others, then applies the delete list and, when asked, removes the emptied folder.
void DeleteSetSources(EngineContext &ctx, const QString &firstVolume, QStringList &workList);

// After-all deletion: of files, only the volume and SFV files of the sets in extractedSets (first
// volumes extracted successfully in this folder run, each in its own folder) are deleted, after
// the user has said Yes to their number.
void DeleteAllSources(EngineContext &ctx, const QStringList &files,
                      const QStringList &extractedSets);
