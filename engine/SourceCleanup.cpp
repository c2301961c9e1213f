#include "engine/SourceCleanup.h"

#include <QFile>

#include "engine/ArchiveSets.h"
#include "engine/DeleteList.h"
#include "engine/EngineContext.h"
#include "engine/FileScan.h"
#include "tools/GeneralFuncs.h"

namespace {

const QChar quote = QLatin1Char('"');

QString folderOf(const QString &path)
{
    return path.left(path.lastIndexOf(QLatin1Char('/')));
}

QString fileNameOf(const QString &path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

} // namespace

void DeleteZipFiles(EngineContext &ctx, const QStringList &zips, const QSet<QString> &completeZips)
{
    for (const QString &zip : zips) {
        if (!completeZips.contains(zip)) {
            ctx.AddLogLine(LogTag::Delete + ctx.LangText(CleanupText::ZipKept, {zip}));
            continue;
        }
        ctx.AddLogLine(QStringLiteral("Deleting File ") + quote + zip + quote +
                       QStringLiteral(" in procedure Unpack"));
        if (!QFile::remove(zip))
            ctx.AddLogLine(LogTag::Delete + ctx.LangText(CleanupText::ZipNotDeleted, {zip}));
    }
}

void DeleteSetSources(EngineContext &ctx, const QString &firstVolume, QStringList &workList)
{
    const QString folder = folderOf(firstVolume);
    const QString firstStem = VolumeSetStem(fileNameOf(firstVolume));
    workList.clear();
    FindFiles(ctx, folder, workList, false, ExtensionList::setVolumes());

    int k = 0;
    while (k < workList.size()) {
        const QString path = workList.at(k);
        // Only the set's own volumes and SFV list: a document such as x.rtf beside x.rar shares
        // the stem but is not a volume.
        if (!IsSetMember(firstVolume, path)) {
            ctx.AddLogLine(QStringLiteral("[DELETE] Debug: Skipping ") + path +
                           QStringLiteral(", it doesnt match the unpacked file (") +
                           VolumeSetStem(fileNameOf(path)) + QStringLiteral(" vs ") + firstStem);
            workList.removeAt(k);
            continue;
        }
        ctx.AddLogLine(QStringLiteral("Deleting File ") + quote + path + quote + QLatin1Char('/') +
                       quote + firstVolume + quote +
                       QStringLiteral(" in procedure Unpack after Extractfilename"));
        if (!QFile::remove(path))
            ctx.AddLogLine(LogTag::Delete + ctx.LangText(CleanupText::SetFileNotDeleted, {path}));
        ++k;
    }
    if (!workList.isEmpty())
        ctx.AddLogLine(LogTag::Delete + ctx.LangText(CleanupText::SetFilesDeleted,
                                                     {QString::number(workList.size())}));
    ProcessDeletelist(ctx, folder);
    if (ctx.settings.DeleteEmptySourceFolder())
        RemoveDirIfEmpty(ctx, folder);
}

void DeleteAllSources(EngineContext &ctx, const QStringList &files,
                      const QStringList &extractedSets)
{
    // Sets that failed their check, were only checked or did not extract keep their files.
    QStringList deletable;
    for (const QString &path : files) {
        const QString folder = NormalizeSlashes(folderOf(path));
        for (const QString &set : extractedSets) {
            if (NormalizeSlashes(folderOf(set)) == folder && IsSetMember(set, path)) {
                deletable << path;
                break;
            }
        }
    }
    if (deletable.isEmpty())
        return;
    const MessageAnswer answer = ctx.dialogs.messageBox(
        ctx.LangText(CleanupText::ConfirmDeleteAll, {QString::number(deletable.size())}),
        QStringLiteral("Confirmation"), MessageIcon::Question, MessageButtons::YesNo);
    if (answer != MessageAnswer::Yes)
        return;
    for (const QString &path : std::as_const(deletable)) {
        ctx.AddLogLine(QStringLiteral("Deleting File ") + quote + path + quote +
                       QStringLiteral(" in procedure unpack 3"));
        if (!QFile::remove(path))
            ctx.AddLogLine(LogTag::Delete + ctx.LangText(CleanupText::AllFileNotDeleted, {path}));
    }
    ctx.AddLogLine(LogTag::Delete + ctx.LangText(CleanupText::AllFilesDeleted));
}
