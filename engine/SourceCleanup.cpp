#include "engine/SourceCleanup.h"

#include <QFileInfo>

#include "engine/ArchiveSets.h"
#include "engine/DeleteList.h"
#include "engine/EngineContext.h"
#include "engine/FileScan.h"
#include "engine/GeneralFuncs.h"
#include "engine/Par2Files.h"
#include "engine/SetPlan.h"
#include "engine/SfvCheck.h"

namespace {

const QChar quote = QLatin1Char('"');

bool isSfv(const QString &path)
{
    return path.endsWith(QLatin1String(".sfv"), Qt::CaseInsensitive);
}

// Files of the plan that the scan did not find (beyond the extensions it looks for), in order.
QStringList volumesNotIn(const SetPlan &plan, const QStringList &found)
{
    QSet<QString> seen;
    for (const QString &path : found)
        seen.insert(NormalizeSlashes(path));
    QStringList missing;
    for (const QString &volume : plan.volumes) {
        if (!seen.contains(NormalizeSlashes(volume)) && QFileInfo::exists(volume))
            missing << volume;
    }
    return missing;
}

} // namespace

void DeleteZipFiles(EngineContext &ctx, const QStringList &zips, const QSet<QString> &completeZips)
{
    for (const QString &zip : zips) {
        if (!completeZips.contains(zip)) {
            ctx.AddLogLine(LogTag::Delete + ctx.LangText(Text::ZipKept, {zip}));
            continue;
        }
        ctx.AddLogLine(QStringLiteral("Deleting File ") + quote + zip + quote +
                       QStringLiteral(" in procedure Unpack"));
        if (!ctx.RemoveFile(zip))
            ctx.AddLogLine(LogTag::Delete + ctx.LangText(Text::ZipNotDeleted, {zip}));
    }
}

bool SfvCoveredBy(const QString &sfvPath, const QSet<QString> &usedVolumes)
{
    const std::optional<QList<SfvEntry>> entries = ReadSfvEntries(sfvPath);
    // A list that names nothing (comments only) is covered by no set.
    if (!entries || entries->isEmpty())
        return false;
    const QString folder = FolderOf(sfvPath) + QLatin1Char('/');
    for (const SfvEntry &entry : *entries) {
        const QString path = SfvEntryPath(folder, entry.name);
        if (path.isEmpty())
            return false;
        if (!usedVolumes.contains(NormalizeSlashes(path)) && QFileInfo::exists(path))
            return false;
    }
    return true;
}

void DeleteSetSources(EngineContext &ctx, const SetPlan &plan, const QSet<QString> &usedVolumes,
                      QStringList &workList)
{
    const QString firstVolume = plan.firstVolume;
    const QString folder = FolderOf(firstVolume);
    const QString firstStem = VolumeSetStem(FileNameOf(firstVolume));
    const QSet<QString> ownVolumes = PlanVolumes(plan);
    workList.clear();
    FindFiles(ctx, folder, workList, false, ExtensionList::setVolumes());
    workList << volumesNotIn(plan, workList);

    int k = 0;
    while (k < workList.size()) {
        const QString path = workList.at(k);
        const bool ownVolume = ownVolumes.contains(NormalizeSlashes(path));
        if (!ownVolume && !(isSfv(path) && SfvCoveredBy(path, usedVolumes))) {
            if (isSfv(path) && IsSetMember(firstVolume, path))
                ctx.AddLogLine(LogTag::Delete + ctx.LangText(Text::SfvKept, {path}));
            else
                ctx.AddLogLine(QStringLiteral("[DELETE] Debug: Skipping ") + path +
                               QStringLiteral(", it doesnt match the unpacked file (") +
                               VolumeSetStem(FileNameOf(path)) + QStringLiteral(" vs ") +
                               firstStem);
            workList.removeAt(k);
            continue;
        }
        ctx.AddLogLine(QStringLiteral("Deleting File ") + quote + path + quote + QLatin1Char('/') +
                       quote + firstVolume + quote +
                       QStringLiteral(" in procedure Unpack after Extractfilename"));
        if (!ctx.RemoveFile(path))
            ctx.AddLogLine(LogTag::Delete + ctx.LangText(Text::SetFileNotDeleted, {path}));
        ++k;
    }
    // What a repair of this job left: the copies par2 made of the damaged volumes, and the PAR2
    // files of used volumes.
    for (const QString &path : RepairLeftovers(folder, usedVolumes, ctx.job.FilesMadeByRepair)) {
        ctx.AddLogLine(QStringLiteral("Deleting File ") + quote + path + quote + QLatin1Char('/') +
                       quote + firstVolume + quote +
                       QStringLiteral(" in procedure Unpack after Extractfilename"));
        if (!ctx.RemoveFile(path))
            ctx.AddLogLine(LogTag::Delete + ctx.LangText(Text::SetFileNotDeleted, {path}));
        workList << path;
    }
    if (!workList.isEmpty())
        ctx.AddLogLine(LogTag::Delete +
                       ctx.LangText(Text::SetFilesDeleted, {QString::number(workList.size())}));
    ProcessDeletelist(ctx, folder);
    if (ctx.settings.DeleteEmptySourceFolder())
        RemoveDirIfEmpty(ctx, folder);
}

void DeleteAllSources(EngineContext &ctx, const QStringList &files,
                      const QSet<QString> &usedVolumes)
{
    // Sets that failed their check, were only checked or did not extract keep their files.
    QStringList deletable;
    QSet<QString> listed;
    for (const QString &path : files) {
        listed.insert(NormalizeSlashes(path));
        if (usedVolumes.contains(NormalizeSlashes(path)) ||
            (isSfv(path) && SfvCoveredBy(path, usedVolumes)))
            deletable << path;
    }
    // What repairs left beside the used volumes.
    QSet<QString> folders;
    for (const QString &volume : usedVolumes)
        folders.insert(FolderOf(volume));
    for (const QString &folder : std::as_const(folders))
        deletable << RepairLeftovers(folder, usedVolumes, ctx.job.FilesMadeByRepair);
    // Volumes whose names the scan does not look for (x.s00 after x.r99, x.100 ...).
    QStringList others(usedVolumes.cbegin(), usedVolumes.cend());
    others.sort();
    for (const QString &volume : std::as_const(others)) {
        if (!listed.contains(volume) && QFileInfo::exists(volume))
            deletable << volume;
    }
    if (deletable.isEmpty())
        return;
    const MessageAnswer answer = ctx.dialogs.messageBox(
        ctx.LangText(Text::ConfirmDeleteAll, {QString::number(deletable.size())}),
        QStringLiteral("Confirmation"), MessageIcon::Question, MessageButtons::YesNo);
    if (answer != MessageAnswer::Yes)
        return;
    for (const QString &path : std::as_const(deletable)) {
        ctx.AddLogLine(QStringLiteral("Deleting File ") + quote + path + quote +
                       QStringLiteral(" in procedure unpack 3"));
        if (!ctx.RemoveFile(path))
            ctx.AddLogLine(LogTag::Delete + ctx.LangText(Text::AllFileNotDeleted, {path}));
    }
    ctx.AddLogLine(LogTag::Delete + ctx.LangText(Text::AllFilesDeleted));
}
