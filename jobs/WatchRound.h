#pragma once
// The look a watch round takes before it starts a job: rounds with nothing to do stay silent.

#include <QSet>
#include <QString>

class EngineContext;

// Whether the input folder (or a queued folder) holds anything the Unpack command would work
// on: a first volume, a ZIP file when ZIP files are unpacked first, or an SFV list when lists
// are checked without an archive. Looks without writing to the log, except that a folder that
// does not exist is named once per watch session (reportedMissing keeps those already named).
bool WatchRoundHasWork(EngineContext &ctx, QSet<QString> &reportedMissing);
