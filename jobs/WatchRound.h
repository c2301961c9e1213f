#pragma once
// The look a watch round takes before it starts a job: rounds with nothing to do stay silent.

#include <QSet>
#include <QString>

class EngineContext;

// Whether the input folder (or a queued folder) holds anything the Unpack command would work
// on: a first volume whose SFV lists name no file that is still missing, a ZIP file when ZIP
// files are unpacked first, or an SFV list when lists are checked without an archive. Looks
// without writing to the log, except that a folder that does not exist, and the first missing
// file of a release still being copied in, are named once per watch session (reported keeps
// those already named).
bool WatchRoundHasWork(EngineContext &ctx, QSet<QString> &reported);
