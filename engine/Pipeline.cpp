#include "engine/Pipeline.h"

#include <algorithm>
#include <QFile>
#include <QFileInfo>

#include "engine/ArchiveSets.h"
#include "engine/DeleteList.h"
#include "engine/EngineContext.h"
#include "engine/Errors.h"
#include "engine/FileScan.h"
#include "engine/GeneralFuncs.h"
#include "engine/RarExtractor.h"
#include "engine/ScopeGuard.h"
#include "engine/SetPlan.h"
#include "engine/SetRepair.h"
#include "engine/SetWriteCheck.h"
#include "engine/SfvCheck.h"
#include "engine/SourceCleanup.h"
#include "engine/ZipMaster.h"

namespace {

constexpr int TextZipPhase = 112;
constexpr int TextZipsHandled = 114;
constexpr int TextNfoFound = 117;
constexpr int TextSfvFound = 118;
constexpr int TextSfvChecking = 119;
constexpr int TextSfvFailed = 120;
constexpr int TextNoSfv = 121;
constexpr int TextCopyingNfo = 122;
constexpr int TextExtracting = 123;
constexpr int TextArchivesUnpacked = 126;
constexpr int TextExtractionFailedNote = 130;
constexpr int TextFolderDone = 131;
constexpr int TextNoInputFolder = 182;
constexpr int TextCandidateGone = 183;
constexpr int TextNoCustomOutput = 184;
constexpr int TextClosing = 215;
constexpr int TextEntriesLeftOut = 217;
constexpr int TextNoFiles = 218;
constexpr int TextSetNotChecked = 226;
constexpr int TextFolderMissing = 188;

QString FolderOf(const QString &path)
{
    return path.left(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString FileNameOf(const QString &path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

// The scan and the delete list join folder and name with a "/" of their own.
QString ScanFolder(const QString &folder)
{
    if (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        return folder.left(folder.size() - 1);
    return folder;
}

QString Tokens(const QStringList &tokens)
{
    return ExtensionList::make(tokens);
}

// Copies every NFO file of the release into the destination folder, overwriting files of the
// same name there; failures are ignored. A file is never copied onto itself, which would first
// remove the only copy.
void CopyNfoFiles(const QStringList &nfoFiles, const QString &destination)
{
    for (const QString &nfo : nfoFiles) {
        const QString target = destination + QLatin1Char('/') + FileNameOf(nfo);
        const QFileInfo source(nfo);
        const QFileInfo existing(target);
        if (existing.exists() && existing.canonicalFilePath() == source.canonicalFilePath())
            continue;
        QFile::remove(target);
        (void)QFile::copy(nfo, target);
    }
}

// Whether every set gets a folder of its own, so that an older file of an entry's name there is
// the set's own earlier output.
bool HasOwnFolder(const Settings &settings)
{
    switch (settings.OutputMode()) {
    case OutputModeChoice::NewDirInInput:
        return true;
    case OutputModeChoice::CustomDir:
        return settings.SubdirPerEntry() &&
               settings.SubdirNaming() == SubdirNamingChoice::ArchiveName;
    case OutputModeChoice::InputFolder:
        return false;
    }
    return false;
}

} // namespace

QString DestinationFolder(EngineContext &ctx, QString &releaseFolder, const QString &candidate)
{
    const Settings &settings = ctx.settings;
    QString destination;
    switch (settings.OutputMode()) {
    case OutputModeChoice::InputFolder:
        destination = FolderOf(candidate);
        break;
    case OutputModeChoice::NewDirInInput:
        destination =
            releaseFolder + QLatin1Char('/') + NameWithoutExtension(candidate) + QLatin1Char('/');
        break;
    case OutputModeChoice::CustomDir: {
        const QString custom = settings.CustomOutputDir();
        // An empty custom folder would put the sets into the current folder, or with a sub-folder
        // per entry straight below the root of the file system.
        if (custom.trimmed().isEmpty())
            throw TevoError(ctx.LangText(TextNoCustomOutput));
        destination = custom;
        if (settings.SubdirPerEntry()) {
            if (settings.SubdirNaming() == SubdirNamingChoice::ArchiveName) {
                destination +=
                    QLatin1Char('/') + NameWithoutExtension(candidate) + QLatin1Char('/');
            } else {
                if (releaseFolder.endsWith(QLatin1Char('/')))
                    releaseFolder.chop(1);
                destination += QLatin1Char('/') + FileNameOf(releaseFolder) + QLatin1Char('/');
            }
        }
        break;
    }
    }
    destination.replace(QLatin1String("//"), QLatin1String("/"));
    return destination;
}

QStringList UnPack(EngineContext &ctx, const QString &folderText)
{
    const Settings &settings = ctx.settings;
    JobControl &job = ctx.job;
    QStringList extractedFiles;

    // An empty text would become "/", and the scan, extraction and delete list would then work on
    // the whole file system.
    // "Close Tevo after extraction" still holds for a refused folder, so that "tevo -unpack" run
    // by a script ends.
    job.FolderRefused = true;
    if (folderText.trimmed().isEmpty()) {
        ctx.AddLogLine(LogTag::Unpack + ctx.LangText(TextNoInputFolder));
        if (settings.CloseAfter())
            ctx.view.requestClose();
        return extractedFiles;
    }
    // A mistyped folder or one on a disk that is not mounted is named, not taken for an empty one.
    if (!QFileInfo(folderText).isDir()) {
        ctx.AddLogLine(LogTag::Unpack + ctx.LangText(TextFolderMissing, {folderText}));
        ++job.Tally.failures;
        if (settings.CloseAfter())
            ctx.view.requestClose();
        return extractedFiles;
    }
    job.FolderRefused = false;

    // Steps 1 to 4: take the window's run controls and set up the run.
    job.UnpackRunning = true;
    ctx.view.setProgressEnabled(true);
    ctx.view.setRunControlsLocked(true);
    TZipMaster zipMaster(ctx);
    zipMaster.DLLDirectory = ctx.programFolder;
    int counter = 0;
    bool extractionIncomplete = false;
    QStringList listA;
    QStringList listB;
    QString releaseFolder = NormalizeFolder(folderText);

    // Steps 21 to 23, on every way out: the normal end, an abort, and an error of a called step.
    ScopeGuard cleanUp([&] {
        listA.clear();
        listB.clear();
        ctx.view.setProgressEnabled(false);
        ctx.view.setRunControlsLocked(false);
        job.UnpackRunning = false;
        // Powering off is left to the unpack job, which asks once when all folders are done.
        // The close takes effect once the job has returned.
        if (settings.CloseAfter())
            ctx.view.requestClose();
    });

    // Close ends the whole job at the next check point: nothing after it is extracted, deleted
    // or asked.
    auto closing = [&] {
        if (!ctx.checkpoint.cancelled())
            return false;
        ctx.AddLogLine(LogTag::Unpack + ctx.LangText(TextClosing));
        return true;
    };

    // ZIP phase.
    if (settings.UnpackZipFirst()) {
        ctx.AddLogLine(LogTag::Unpack + ctx.LangText(TextZipPhase));
        FindFiles(ctx, ScanFolder(releaseFolder), listA, settings.ScanSubdirs(),
                  Tokens({QStringLiteral(".zip")}));
        job.StepStartTick = ctx.platform.tickCount();
        for (const QString &zip : std::as_const(listA)) {
            // Into the ZIP's own folder; the component creates it when missing.
            zipMaster.ExtractZip(zip, FolderOf(zip));
            if (closing())
                return extractedFiles;
            if (ctx.checkpoint.stopPending())
                break;
            ++counter;
        }
        if (settings.DeleteZipAfter() && !ctx.checkpoint.stopPending())
            DeleteZipFiles(ctx, listA, zipMaster.CompleteZips());
        listA.clear();
        ctx.AddLogLine(LogTag::Unpack + ctx.LangText(TextZipsHandled, {QString::number(counter)}));
        ctx.AddLogLine(EngineContext::equalsLine());
    }

    // The gate: a pending Stop, Pause or abort skips the archive phase.
    if (!ctx.checkpoint.stopPending() && !ctx.checkpoint.paused() && !ctx.checkpoint.cancelled()) {
        const QList<ArchiveSet> sets = BuildArchiveSets(ctx, ScanFolder(releaseFolder));

        FindFiles(ctx, ScanFolder(releaseFolder), listB, settings.ScanSubdirs(),
                  Tokens({QStringLiteral(".nfo")}));
        ctx.AddLogLine(LogTag::Nfo + ctx.LangText(TextNfoFound, {QString::number(listB.size())}));
        // Opened once the sets are done, and only when none of them failed.
        const QStringList nfoFiles = listB;
        bool anySetFailed = false;
        // The volumes of the sets extracted in full: the only source files that may go.
        QSet<QString> usedVolumes;

        for (int index = 0; index < sets.size(); ++index) {
            const ArchiveSet &set = sets.at(index);
            const QString candidate = set.path;
            if (job.WatchTimerEnabled && job.SetsLeftForLater.contains(candidate))
                continue;
            ctx.AddLogLine(EngineContext::dashLine());
            if (closing())
                return extractedFiles;

            if (!QFileInfo::exists(candidate)) {
                ctx.AddLogLine(LogTag::Unpack + ctx.LangText(TextCandidateGone, {candidate}));
                continue;
            }

            // Every SFV list beside the set; false when one fails. A list shared by several sets:
            // the entries of the others are theirs.
            SfvFindings findings;
            auto checkSfvLists = [&] {
                listB.clear();
                FindFiles(ctx, ScanFolder(FolderOf(candidate)), listB, false,
                          Tokens({QStringLiteral(".sfv")}));
                bool verdict = true;
                findings = SfvFindings();
                if (!listB.isEmpty()) {
                    if (settings.CheckSfv()) {
                        ctx.AddLogLine(LogTag::Sfv +
                                       ctx.LangText(TextSfvFound, {QString::number(listB.size())}));
                        const QSet<QString> otherSetsVolumes = VolumesOfOtherSets(sets, index);
                        for (const QString &sfv : std::as_const(listB)) {
                            ctx.AddLogLine(LogTag::Sfv +
                                           ctx.LangText(TextSfvChecking, {FileNameOf(sfv)}));
                            if (!CheckSFV(ctx, sfv, otherSetsVolumes, &findings)) {
                                ctx.AddLogLine(LogTag::Sfv +
                                               ctx.LangText(TextSfvFailed, {FileNameOf(sfv)}));
                                verdict = false;
                            }
                            if (ctx.checkpoint.cancelled())
                                break;
                        }
                    }
                    listB.clear();
                } else if (settings.CheckSfv()) {
                    ctx.AddLogLine(LogTag::Sfv + ctx.LangText(TextNoSfv));
                }
                return verdict;
            };
            bool sfvVerdict = checkSfvLists();
            if (closing())
                return extractedFiles;

            // A lone SFV list (checking without an archive) has nothing to extract.
            if (set.sfvOnly)
                continue;
            if (ctx.checkpoint.takeStop())
                break;
            // Read again now: volumes may have arrived or gone since the release was scanned.
            SetPlan plan = set.plan.opened ? ReadSetPlan(ctx, candidate) : set.plan;

            // A damaged or missing volume: the PAR2 files beside the set may mend it. While
            // watching, a release that is still arriving is left for a later round instead.
            const bool broken = !sfvVerdict || (plan.opened && !plan.complete);
            bool repairTried = false;
            if (broken && plan.opened && settings.RepairWithPar2() && !settings.CheckOnly() &&
                (!job.WatchTimerEnabled || plan.complete)) {
                if (Par2DescribesSet(plan)) {
                    repairTried = true;
                    const Par2Outcome outcome = RepairSet(ctx, plan);
                    if (closing())
                        return extractedFiles;
                    if (outcome == Par2Outcome::Repaired) {
                        sfvVerdict = checkSfvLists();
                        if (closing())
                            return extractedFiles;
                        plan = ReadSetPlan(ctx, candidate);
                    }
                }
            }

            if (!sfvVerdict) {
                anySetFailed = true;
                ++job.Tally.failures;
                // Each volume that is missing or damaged, by name, where the user looks.
                if (!findings.missing.isEmpty() || !findings.damaged.isEmpty()) {
                    const QString none = QStringLiteral("-");
                    const QString text = ctx.LangText(
                        TextSetNotChecked,
                        {FileNameOf(candidate),
                         findings.missing.isEmpty() ? none
                                                    : findings.missing.join(QStringLiteral(", ")),
                         findings.damaged.isEmpty() ? none
                                                    : findings.damaged.join(QStringLiteral(", "))});
                    ctx.AddLogLine(LogTag::Sfv + text);
                    if (!settings.SuppressErrors() && !job.WatchTimerEnabled)
                        ctx.dialogs.messageBox(text, QStringLiteral("Error"), MessageIcon::Error);
                }
            }
            if (!sfvVerdict || settings.CheckOnly())
                continue;
            if (plan.opened && !plan.complete) {
                anySetFailed = true;
                if (job.WatchTimerEnabled) {
                    ctx.AddLogLine(LogTag::Unpack +
                                   ctx.LangText(SetPlanText::SetNotCompleteYet,
                                                {FileNameOf(candidate), plan.problem}));
                    continue;
                }
                const QString text =
                    ctx.LangText(SetPlanText::SetIncomplete, {FileNameOf(candidate), plan.problem,
                                                              FileNameOf(plan.lastVolume())});
                ctx.AddLogLine(LogTag::Unpack + text);
                if (!settings.SuppressErrors())
                    ctx.dialogs.messageBox(text, QStringLiteral("Error"), MessageIcon::Error);
                extractionIncomplete = true;
                ++job.Tally.failures;
                continue;
            }

            // A complete archive that holds no file (a recovery record alone): nothing is
            // written, so nothing of it may go.
            if (plan.opened && std::none_of(plan.entries.cbegin(), plan.entries.cend(),
                                            [](const PlannedEntry &e) { return !e.folder; })) {
                ctx.AddLogLine(LogTag::Unpack + ctx.LangText(TextNoFiles, {FileNameOf(candidate)}));
                continue;
            }

            const QString destination = DestinationFolder(ctx, releaseFolder, candidate);

            listB.clear();
            FindFiles(ctx, ScanFolder(releaseFolder), listB, settings.ScanSubdirs(),
                      Tokens({QStringLiteral(".nfo")}));
            if (settings.CopyNfo()) {
                ctx.AddLogLine(LogTag::Nfo + ctx.LangText(TextCopyingNfo));
                ForceDirectory(destination);
                CopyNfoFiles(listB, ScanFolder(destination));
            }
            listB.clear();

            const bool perSetDeletion =
                settings.DeleteSources() &&
                settings.DeleteTiming() == DeleteTimingChoice::AfterExtraction;
            if (perSetDeletion)
                extractionIncomplete = false;

            ctx.AddLogLine(EngineContext::dashLine());
            ctx.AddLogLine(LogTag::Unpack + ctx.LangText(TextExtracting));
            ctx.AddLogLine(QStringLiteral("Source:   ") + VolumePattern(candidate));
            ctx.AddLogLine(QStringLiteral("Dest:     ") + destination);

            if (closing())
                return extractedFiles;

            if (plan.opened && !SetCanBeWritten(ctx, plan, destination, HasOwnFolder(settings))) {
                anySetFailed = true;
                extractionIncomplete = true;
                ++job.Tally.failures;
                continue;
            }

            // The set's files reach the follow-up actions only when the whole set was written.
            QStringList setFiles;
            QStringList leftOut;
            const bool incompleteBefore = extractionIncomplete;
            bool extracted =
                ExtractRARArchive(ctx, plan, destination, setFiles, extractionIncomplete, &leftOut);
            // Damaged data that no check saw (no SFV list): repaired and extracted again, once.
            if (!extracted && RepairAfterDamage(ctx, plan, repairTried)) {
                plan = ReadSetPlan(ctx, candidate);
                setFiles.clear();
                leftOut.clear();
                extractionIncomplete = incompleteBefore;
                extracted = ExtractRARArchive(ctx, plan, destination, setFiles,
                                              extractionIncomplete, &leftOut);
            }
            for (const QString &file : std::as_const(setFiles)) {
                if (QFileInfo::exists(file))
                    job.FilesWrittenThisJob.insert(NormalizeSlashes(file));
            }
            if (extracted) {
                ++counter;
                extractedFiles << setFiles;
                ++job.Tally.archivesUnpacked;
                if (settings.OpenDestination())
                    ctx.platform.openPath(destination);
                // A clean-up follows only a set written in full.
                if (!leftOut.isEmpty()) {
                    ctx.AddLogLine(
                        LogTag::Unpack +
                        ctx.LangText(TextEntriesLeftOut,
                                     {FileNameOf(candidate), QString::number(leftOut.size())}));
                } else {
                    usedVolumes.unite(PlanVolumes(plan));
                    if (perSetDeletion && !ctx.checkpoint.cancelled() && !extractionIncomplete)
                        DeleteSetSources(ctx, plan, usedVolumes, listB);
                }
            } else {
                anySetFailed = true;
                extractionIncomplete = true;
                ++job.Tally.failures;
            }
            if (closing())
                return extractedFiles;

            if (ctx.checkpoint.takeStop())
                break;
            ctx.checkpoint.pump();
        }
        if (closing())
            return extractedFiles;

        if (settings.OpenNfo() && !anySetFailed) {
            for (const QString &nfo : nfoFiles)
                ctx.OpenNfo(nfo);
        }

        listA.clear();
        ProcessDeletelist(ctx, ScanFolder(releaseFolder));
        FindFiles(ctx, ScanFolder(releaseFolder), listA, settings.ScanSubdirs(),
                  ExtensionList::setVolumes());
        ctx.AddLogLine(EngineContext::dashLine());
        ctx.AddLogLine(LogTag::Unpack +
                       ctx.LangText(TextArchivesUnpacked, {QString::number(counter)}));
        if (settings.DeleteSources() &&
            settings.DeleteTiming() == DeleteTimingChoice::AfterExtractingAll &&
            !extractionIncomplete && !listA.isEmpty())
            DeleteAllSources(ctx, listA, usedVolumes);
        if (extractionIncomplete)
            ctx.AddLogLine(LogTag::Note + ctx.LangText(TextExtractionFailedNote));
    }

    ctx.AddLogLine(LogTag::End + ctx.LangText(TextFolderDone));
    ctx.view.setProgressPosition(0);
    ctx.view.setCurrentFileText(QStringLiteral("??"));
    return extractedFiles;
}
