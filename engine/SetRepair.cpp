#include "engine/SetRepair.h"

#include "engine/EngineContext.h"
#include "engine/FolderEntries.h"
#include "engine/GeneralFuncs.h"
#include "engine/Par2Files.h"
#include "engine/SetPlan.h"

namespace {

QStringList VolumeNames(const SetPlan &plan)
{
    QStringList names;
    for (const QString &volume : plan.volumes)
        names << FileNameOf(volume);
    return names;
}

} // namespace

QStringList Par2ExtraFiles(const QString &folder, const QStringList &described,
                           const QStringList &volumeNames)
{
    const QSet<QString> describedSet(described.cbegin(), described.cend());
    const QSet<QString> volumes(volumeNames.cbegin(), volumeNames.cend());
    QStringList extras;
    for (const QString &name : FileNamesIn(folder)) {
        const bool otherDescribed = describedSet.contains(name) && !volumes.contains(name);
        if (otherDescribed || IsPar2Copy(name, describedSet))
            extras << NormalizeFolder(folder) + name;
    }
    extras.sort();
    return extras;
}

QStringList CopiesMadeByRepair(const QStringList &before, const QStringList &after,
                               const QStringList &described)
{
    const QSet<QString> old(before.cbegin(), before.cend());
    const QSet<QString> describedSet(described.cbegin(), described.cend());
    QStringList copies;
    for (const QString &name : after) {
        if (!old.contains(name) && IsPar2Copy(name, describedSet))
            copies << name;
    }
    return copies;
}

bool Par2DescribesSet(const SetPlan &plan)
{
    return !Par2ForSet(FolderOf(plan.firstVolume) + QLatin1Char('/'), VolumeNames(plan)).isEmpty();
}

Par2Outcome RepairSet(EngineContext &ctx, const SetPlan &plan)
{
    const QString folder = FolderOf(plan.firstVolume) + QLatin1Char('/');
    const QStringList volumeNames = VolumeNames(plan);
    const QString par2 = Par2ForSet(folder, volumeNames);
    if (par2.isEmpty())
        return Par2Outcome::NotPossible;
    const QStringList described = Par2DescribedFiles(par2);
    // The folder before and after: what is new and named like a copy is par2's own.
    const QStringList before = FileNamesIn(folder);
    const Par2Outcome outcome =
        RepairWithPar2(ctx, par2, Par2ExtraFiles(folder, described, volumeNames));
    for (const QString &copy : CopiesMadeByRepair(before, FileNamesIn(folder), described))
        ctx.job.FilesMadeByRepair.insert(NormalizeSlashes(NormalizeFolder(folder) + copy));
    return outcome;
}

bool RepairAfterDamage(EngineContext &ctx, const SetPlan &plan, bool &repairTried)
{
    if (repairTried || !ctx.job.SetDataDamaged || !ctx.settings.RepairWithPar2() ||
        ctx.settings.CheckOnly() || ctx.checkpoint.cancelled() || !Par2DescribesSet(plan))
        return false;
    repairTried = true;
    return RepairSet(ctx, plan) == Par2Outcome::Repaired && !ctx.checkpoint.cancelled();
}
