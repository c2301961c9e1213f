#pragma once
// The hidden name a file is written under until it is complete, so that a crash, a full disk or a
// damaged archive never leaves a half-written file under its real name.

#include <QString>

// A new hidden name in folder: ".tevo-<process id>-<serial>.part".
QString PartFileName(const QString &folder);

// Removes the part files in folder that a Tevo process left behind when it was killed (their
// process no longer runs); those of running processes stay.
void RemoveStalePartFiles(const QString &folder);
