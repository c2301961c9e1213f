#pragma once
// Source clean-up after unpacking: the ZIP files, the volumes of one extracted set, and the volumes
// of every extracted set of a folder run. Only what a set's own plan names as its volumes is
// deleted, and only after that set was extracted in full.

#include <QSet>
#include <QString>
#include <QStringList>

#include "engine/TextNumbers.h"

class EngineContext;
struct SetPlan;

// ZIP deletion: deletes each ZIP of zips that is in completeZips (every entry written or kept);
// any other ZIP stays, with a log line.
void DeleteZipFiles(EngineContext &ctx, const QStringList &zips, const QSet<QString> &completeZips);

// Whether the SFV list names at least one file and every file it names is one of usedVolumes
// (paths as NormalizeSlashes gives them) or no longer there: only then may the list go with the
// volumes.
bool SfvCoveredBy(const QString &sfvPath, const QSet<QString> &usedVolumes);

// Per-set deletion after the set of plan was extracted in full: deletes the plan's volumes and the
// SFV lists beside its first volume that name nothing but usedVolumes (the volumes of every set
// extracted in full in this run, this one included); every other volume-like file found there
// (workList) gets a skip line. Then applies the delete list and, when asked, removes the
// emptied folder.
void DeleteSetSources(EngineContext &ctx, const SetPlan &plan, const QSet<QString> &usedVolumes,
                      QStringList &workList);

// After-all deletion: of files (the volume-like files of the release), and of the volumes in
// usedVolumes (the plans of the sets extracted in full), the used volumes and the SFV lists
// covered by them are deleted, after the user has said Yes to their number.
void DeleteAllSources(EngineContext &ctx, const QStringList &files,
                      const QSet<QString> &usedVolumes);
