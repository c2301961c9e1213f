#pragma once
// Repairs a set's volumes with its PAR2 files through par2, showing its progress and obeying
// Pause, Stop and Close.

#include <QString>
#include <QStringList>

class EngineContext;

enum class Par2Outcome {
    Repaired,    // par2 repaired the files (or found them whole)
    NotPossible, // too few recovery blocks, or par2 failed
    NoTool,      // par2 is not installed
    Stopped      // Stop or Close ended it; par2 was killed
};

// Runs "par2 repair" on par2File in its folder, handing it extraFiles to scan as well; logs what
// it did in a few lines.
Par2Outcome RepairWithPar2(EngineContext &ctx, const QString &par2File,
                           const QStringList &extraFiles = {});
