#pragma once
// Puts RAR volumes of unknown names into their sets and into volume order by what their own
// headers say: volume number, first-volume flag and the entry each one continues.

#include <QList>
#include <QString>
#include <QStringList>

#include "engine/ArchiveSignature.h"

struct RarVolumeFile
{
    QString path;
    qint64 size = 0;
    RarVolumeHeaders headers;
};

// One set found by its headers: the volumes in order, its first volume first.
struct RarVolumeChain
{
    QList<RarVolumeFile> volumes;
    // The last volume's end record says no volume follows (or, for archives without one, its last
    // entry does not run on), and every volume has its end record (none, for such archives).
    bool complete = false;
};

// Whether next can follow previous in one set: the next volume number, and an entry cut at the
// end of previous continued at the start of next (a whole entry after a whole one).
bool CanFollow(const RarVolumeFile &previous, const RarVolumeFile &next);

// The sets among volumes (any order, one folder). Each set starts at a volume that says it is the
// first; archives too old to say so start at a volume that begins with a whole entry and follows
// no other. Where several volumes could follow, one of the previous volume's size is taken
// (volumes of a set are alike but for the last), then the first by path. Volumes that no set
// reaches are left out.
QList<RarVolumeChain> OrderRarVolumes(QList<RarVolumeFile> volumes);
