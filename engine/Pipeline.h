#pragma once
// The folder run: one release folder from its ZIP files through its archive sets to its clean-up.

#include <QString>
#include <QStringList>

class EngineContext;

// Unpacks the release folder and returns the full paths the RAR extraction produced, in
// extraction order. An empty folder text, or one naming no folder, is refused: nothing is
// scanned, and job.FolderRefused tells so. Errors of the called steps (TevoError) leave through
// the run's clean-up and end the job.
QStringList UnPack(EngineContext &ctx, const QString &folderText);

// Where the set whose first volume is candidate is extracted, by OutputMode. With
// "foldername (from queue)" the release folder loses its trailing "/" for the rest of the run.
QString DestinationFolder(EngineContext &ctx, QString &releaseFolder, const QString &candidate);
