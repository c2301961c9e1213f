#pragma once
// Repairing a set with the PAR2 files beside it: which PAR2 file, which other files par2 is
// handed, and which files the repair made (the only copies the clean-up may later delete).

#include <QSet>
#include <QString>
#include <QStringList>

#include "engine/Par2Repair.h"

class EngineContext;
struct SetPlan;

// The files to hand par2 besides the PAR2 file: the copies an earlier repair that was stopped
// left of the described files ("<name>.1", "<name>.2" ...), and the described files of folder
// that are not among volumeNames (par2 looks for the set's volumes by itself). Full paths.
QStringList Par2ExtraFiles(const QString &folder, const QStringList &described,
                           const QStringList &volumeNames);

// The files of after that were not in before (file names of one folder) and are copies par2 makes
// of a described file before it writes the repaired one: "<name>.<number>".
QStringList CopiesMadeByRepair(const QStringList &before, const QStringList &after,
                               const QStringList &described);

// Whether the folder of the set of plan holds a PAR2 file that describes all its volumes.
bool Par2DescribesSet(const SetPlan &plan);

// After an extraction of the set of plan that ended on damaged data (SetDataDamaged): when repairs
// are on, none was tried for this set yet (repairTried, which this sets) and a PAR2 file
// describes the set, repairs it. True when par2 repaired it: the set is to be extracted again.
bool RepairAfterDamage(EngineContext &ctx, const SetPlan &plan, bool &repairTried);

// Repairs the set of plan with the PAR2 file of its folder that describes all its volumes, and
// records the copies par2 made in the job (FilesMadeByRepair). NotPossible, without a log line,
// when no PAR2 file describes the set.
Par2Outcome RepairSet(EngineContext &ctx, const SetPlan &plan);
