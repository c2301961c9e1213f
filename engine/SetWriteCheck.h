#pragma once
// The checks a set passes before anything of it is written: nothing this job wrote is overwritten,
// no different existing file is silently replaced, and the set fits on the disk.

#include <QString>

class EngineContext;
struct SetPlan;

// True when the set of plan may be extracted into destination; otherwise logs why and returns
// false. ownFolder: the output mode gives each set a folder of its own, where an older file of
// the same name is the set's own earlier output and may be replaced.
bool SetCanBeWritten(EngineContext &ctx, const SetPlan &plan, const QString &destination,
                     bool ownFolder);

// The path an entry of the archive is written to: destination, "/" and the stored name.
QString EntryTarget(const QString &destination, const QString &entryName);
