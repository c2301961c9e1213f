#pragma once
// The road of every archive set: a fresh staging folder in its destination, the back-end's
// extraction into it, the checks, and the publish, all or nothing.

#include <QString>
#include <QStringList>

class ArchiveBackend;
class ArchiveSink;
class EngineContext;

struct StagedExtraction
{
    // Each set has a folder of its own: an older file of an entry's name there is the set's own
    // earlier output and may be replaced whatever its size.
    bool ownFolder = false;
    // The full paths published, in the back-end's order (empty when the set failed).
    QStringList files;
    // The entries left out on purpose (each logged): the set is published, its sources stay.
    QStringList leftOut;
};

// Extracts backend's set into destination (created when missing) through a staging folder
// inside it, checks the sizes, leaves out links that lead outside, and publishes. True when the
// set was published; on any failure the destination is as it was (folders this call created
// for it are removed again). Dead staging folders of a killed Tevo in destination go first.
// Throws TevoError when the destination cannot be created.
bool ExtractStaged(EngineContext &ctx, ArchiveBackend &backend, ArchiveSink &sink,
                   const QString &destination, StagedExtraction &result);
