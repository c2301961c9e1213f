#pragma once
// The look a watch round takes before it starts a job: rounds with nothing to do stay silent.

#include <QHash>
#include <QSet>
#include <QString>

class EngineContext;

// What a watch session remembers of the releases it has seen.
struct WatchMemory
{
    // Missing folders and files already named.
    QSet<QString> reported;
    // A set's volume files (names, sizes, times) when a job last took it, and at the last round:
    // a set that failed is taken again only after its files changed and then stayed the same
    // for a round.
    QHash<QString, QString> tried;
    QHash<QString, QString> seen;
};

// Whether the input folder (or a queued folder) holds anything the Unpack command would work
// on: a first volume whose SFV lists name no file that is still missing, a ZIP file when ZIP
// files are unpacked first, or an SFV list when lists are checked without an archive. Looks
// without writing to the log, except that a folder that does not exist, and the first missing
// file of a release still being copied in, are named once per watch session. A set that a job
// already took and that is still there (it failed) is left for later until its volumes change and
// settle; such sets go to JobControl::SetsLeftForLater, which the round's job passes over.
bool WatchRoundHasWork(EngineContext &ctx, WatchMemory &memory);
