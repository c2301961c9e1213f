#pragma once
// Gives downloaded files their real names back before a folder run looks for sets: from the PAR2
// files' descriptions, else from the SFV lists' checksums, and for RAR volumes under random names
// from their own headers. A file is renamed only inside its folder, never over another file, and
// each rename is logged.

#include <QString>

class EngineContext;

// Restores the names in the release folder and, with ScanSubdirs, its subfolders.
void RestoreNames(EngineContext &ctx, const QString &releaseFolder);

// The names a RAR set of count volumes gets from stem, the way libunrar looks for its volumes:
// "stem.part1.rar" ... for new numbering (width of count's digits), "stem.rar", "stem.r00" ...
// (then "stem.s00" after "stem.r99") for old numbering.
QString RestoredVolumeName(const QString &stem, int index, int count, bool newNumbering);
