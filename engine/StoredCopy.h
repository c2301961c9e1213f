#pragma once
// Copies the data of a stored archive entry from its volumes into a new file with large reads and
// writes, checking each piece's CRC-32 as the data passes.

#include <functional>
#include <QList>
#include <QString>

#include "engine/RarStoredParts.h"

struct StoredCopyResult
{
    enum Kind { Done, Damaged, ReadFailed, CreateFailed, WriteFailed, Stopped };
    Kind kind = Done;
    // The volume that was damaged or could not be read.
    QString volume;
};

// Writes the pieces, in order, into target, which must not exist yet; the mode is 0600 until the
// caller sets the entry's own. Every piece but the last must match its own CRC-32, and the whole
// entry the last one's. afterBlock(bytes) follows every block written; false from it stops the
// copy. Whatever the result, target holds only what was copied so far.
StoredCopyResult CopyStoredPieces(const QList<StoredPiece> &pieces, const QString &target,
                                  const std::function<bool(qint64)> &afterBlock);
