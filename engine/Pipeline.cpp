#include "engine/Pipeline.h"

#include <algorithm>
#include <QFile>
#include <QFileInfo>

#include "engine/ArchiveSets.h"
#include "engine/ArchiveSignature.h"
#include "engine/Backends.h"
#include "engine/ContentScan.h"
#include "engine/DeleteList.h"
#include "engine/EngineContext.h"
#include "engine/EngineSink.h"
#include "engine/Errors.h"
#include "engine/FileScan.h"
#include "engine/GeneralFuncs.h"
#include "engine/NameRestore.h"
#include "engine/Passwords.h"
#include "engine/RarExtractor.h"
#include "engine/ScopeGuard.h"
#include "engine/SetPlan.h"
#include "engine/SetRepair.h"
#include "engine/SetWriteCheck.h"
#include "engine/SfvCheck.h"
#include "engine/SourceCleanup.h"
#include "engine/StagedExtraction.h"
#include "engine/StagingFolder.h"
#include "engine/TextNumbers.h"
#include "engine/ZipMaster.h"

namespace {

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

// The name of the folder a set gets of its own: the set's name without its extension, or the whole
// name where that would be empty, "." or "..": a set named ".rar" or "...rar" would otherwise be
// written into the folder it is in or the one above, where it may replace files as its own.
QString OwnFolderName(const QString &candidate)
{
    const QString stem = NameWithoutExtension(candidate);
    if (stem.isEmpty() || stem == QLatin1String(".") || stem == QLatin1String(".."))
        return FileNameOf(candidate);
    return stem;
}

} // namespace

QString DestinationFolder(EngineContext &ctx, QString &releaseFolder, const QString &candidate)
{
    const Settings &settings = ctx.settings;
    QString destination;
    switch (settings.OutputMode()) {
    case OutputModeChoice::InputFolder:
        destination = FolderOf(candidate) + QLatin1Char('/');
        break;
    case OutputModeChoice::NewDirInInput:
        destination =
            releaseFolder + QLatin1Char('/') + OwnFolderName(candidate) + QLatin1Char('/');
        break;
    case OutputModeChoice::CustomDir: {
        const QString custom = settings.CustomOutputDir();
        // An empty custom folder would put the sets into the current folder, or with a sub-folder
        // per entry straight below the root of the file system.
        if (custom.trimmed().isEmpty())
            throw TevoError(ctx.LangText(Text::NoCustomOutput));
        destination = custom;
        if (settings.SubdirPerEntry()) {
            if (settings.SubdirNaming() == SubdirNamingChoice::ArchiveName) {
                destination += QLatin1Char('/') + OwnFolderName(candidate) + QLatin1Char('/');
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

namespace {

// What became of one archive set: the loop goes on, ends at a Stop, or the job is closing.
enum class SetEnd { Next, Stop, Closing };

// One folder run, in named steps: ZIPs first, find sets, check, plan, extract, publish, clean
// up, delete list, summary.
class FolderRun
{
public:
    FolderRun(EngineContext &ctx, const QString &folderText)
        : m_ctx(ctx), m_settings(ctx.settings), m_job(ctx.job), m_checkpoint(ctx.checkpoint),
          m_zipMaster(ctx), m_releaseFolder(NormalizeFolder(folderText))
    {
    }

    QStringList run();

private:
    bool closing();
    bool zipsFirst();
    bool archivePhase();
    void findSets();
    SetEnd takeSet(int index);
    bool checkSfvLists(int index, SfvFindings &findings);
    bool repairWithPar2(const QString &candidate, SetPlan &plan, bool &sfvVerdict, int index,
                        SfvFindings &findings);
    void reportSfvFailure(const QString &candidate, const SfvFindings &findings);
    bool planIsUsable(const QString &candidate, const SetPlan &plan);
    bool unlockSet(const QString &candidate, SetPlan &plan);
    void prepareDestination(const QString &destination);
    bool extractAndPublish(const QString &candidate, const SetPlan &plan,
                           const QString &destination, int depth = 0);
    bool unpackNested(const QString &outer, const QStringList &published, int depth);
    bool unpackNestedZips(const QString &outer, const QStringList &zips);
    void logExtraction(const QString &candidate, const QString &destination);
    void cleanUpSet(const QString &candidate, const SetPlan &plan, const QStringList &leftOut);
    void setFailed(const QString &candidate);
    void deleteListAndSummary();

    EngineContext &m_ctx;
    const Settings &m_settings;
    JobControl &m_job;
    JobCheckpoint &m_checkpoint;
    TZipMaster m_zipMaster;
    QString m_releaseFolder;
    QStringList m_extractedFiles;
    int m_counter = 0;
    bool m_extractionIncomplete = false;
    QList<ArchiveSet> m_sets;
    // Files that carry an archive signature but belong to no set.
    QStringList m_archivesInNoSet;
    // Opened once the sets are done, and only when none of them failed.
    QStringList m_nfoFiles;
    bool m_anySetFailed = false;
    // The volumes of the sets extracted in full: the only source files that may go.
    QSet<QString> m_usedVolumes;
    // The set in hand was given to par2 already: it is not repaired a second time.
    bool m_repairTried = false;
};

// Close ends the whole job at the next check point: nothing after it is extracted, deleted or
// asked.
bool FolderRun::closing()
{
    if (!m_checkpoint.cancelled())
        return false;
    m_ctx.AddLogLine(LogTag::Unpack + m_ctx.LangText(Text::Closing));
    return true;
}

QStringList FolderRun::run()
{
    // Steps 1 to 4: take the window's run controls and set up the run.
    m_job.UnpackRunning = true;
    m_ctx.view.setProgressEnabled(true);
    m_ctx.view.setRunControlsLocked(true);
    // Steps 21 to 23, on every way out: the normal end, an abort, and an error of a called step.
    ScopeGuard cleanUp([this] {
        m_ctx.view.setProgressEnabled(false);
        m_ctx.view.setRunControlsLocked(false);
        m_job.UnpackRunning = false;
        // Powering off is left to the unpack job, which asks once when all folders are done.
        // The close takes effect once the job has returned.
        if (m_settings.CloseAfter())
            m_ctx.view.requestClose();
    });
    if (m_settings.UnpackZipFirst() && !zipsFirst())
        return m_extractedFiles;
    // The gate: a pending Stop, Pause or abort skips the archive phase.
    if (!m_checkpoint.stopPending() && !m_checkpoint.paused() && !m_checkpoint.cancelled() &&
        !archivePhase())
        return m_extractedFiles;
    m_ctx.AddLogLine(LogTag::End + m_ctx.LangText(Text::FolderDone));
    m_ctx.view.setProgressPosition(0);
    m_ctx.view.setCurrentFileText(QStringLiteral("??"));
    return m_extractedFiles;
}

// The ZIP phase; false when the job is closing.
bool FolderRun::zipsFirst()
{
    QStringList zips;
    m_ctx.AddLogLine(LogTag::Unpack + m_ctx.LangText(Text::ZipPhase));
    FindFiles(m_ctx, ScanFolder(m_releaseFolder), zips, m_settings.ScanSubdirs(),
              Tokens({QStringLiteral(".zip")}));
    zips << ZipsByContent(m_ctx, ScanFolder(m_releaseFolder));
    m_job.StepStartTick = m_ctx.platform.tickCount();
    for (const QString &zip : std::as_const(zips)) {
        // Into the ZIP's own folder; the component creates it when missing.
        m_zipMaster.ExtractZip(zip, FolderOf(zip) + QLatin1Char('/'));
        if (closing())
            return false;
        if (m_checkpoint.stopPending())
            break;
        ++m_counter;
    }
    if (m_settings.DeleteZipAfter() && !m_checkpoint.stopPending())
        DeleteZipFiles(m_ctx, zips, m_zipMaster.CompleteZips());
    m_ctx.AddLogLine(LogTag::Unpack +
                     m_ctx.LangText(Text::ZipsHandled, {QString::number(m_counter)}));
    m_ctx.AddLogLine(EngineContext::equalsLine());
    return true;
}

// The archive phase; false when the job is closing.
bool FolderRun::archivePhase()
{
    findSets();
    for (int index = 0; index < m_sets.size(); ++index) {
        const SetEnd end = takeSet(index);
        if (end == SetEnd::Closing)
            return false;
        if (end == SetEnd::Stop)
            break;
    }
    if (closing())
        return false;
    if (m_settings.OpenNfo() && !m_anySetFailed) {
        for (const QString &nfo : std::as_const(m_nfoFiles))
            m_ctx.OpenNfo(nfo);
    }
    deleteListAndSummary();
    return true;
}

void FolderRun::findSets()
{
    // Obfuscated downloads (the ZIP phase's output included) get their names back first.
    if (!m_settings.CheckOnly())
        RestoreNames(m_ctx, ScanFolder(m_releaseFolder));
    // The files no name places are read once for both: known before the sets write files of
    // their own into the folder.
    const ReleaseContent unplaced = UnplacedArchivesOfRelease(m_ctx, ScanFolder(m_releaseFolder));
    m_sets = BuildArchiveSets(m_ctx, ScanFolder(m_releaseFolder), unplaced);
    m_archivesInNoSet = ArchivesInNoSet(m_ctx, unplaced, m_sets);
    FindFiles(m_ctx, ScanFolder(m_releaseFolder), m_nfoFiles, m_settings.ScanSubdirs(),
              Tokens({QStringLiteral(".nfo")}));
    m_ctx.AddLogLine(LogTag::Nfo +
                     m_ctx.LangText(Text::NfoFound, {QString::number(m_nfoFiles.size())}));
}

// Every SFV list beside the set; false when one fails. A list shared by several sets: the
// entries of the others are theirs.
bool FolderRun::checkSfvLists(int index, SfvFindings &findings)
{
    const QString candidate = m_sets.at(index).path;
    QStringList lists;
    FindFiles(m_ctx, ScanFolder(FolderOf(candidate) + QLatin1Char('/')), lists, false,
              Tokens({QStringLiteral(".sfv")}));
    findings = SfvFindings();
    if (lists.isEmpty()) {
        if (m_settings.CheckSfv())
            m_ctx.AddLogLine(LogTag::Sfv + m_ctx.LangText(Text::NoSfv));
        return true;
    }
    if (!m_settings.CheckSfv())
        return true;
    bool verdict = true;
    m_ctx.AddLogLine(LogTag::Sfv + m_ctx.LangText(Text::SfvFound, {QString::number(lists.size())}));
    const QSet<QString> otherSetsVolumes = VolumesOfOtherSets(m_sets, index);
    for (const QString &sfv : std::as_const(lists)) {
        m_ctx.AddLogLine(LogTag::Sfv + m_ctx.LangText(Text::SfvChecking, {FileNameOf(sfv)}));
        if (!CheckSFV(m_ctx, sfv, otherSetsVolumes, &findings)) {
            m_ctx.AddLogLine(LogTag::Sfv + m_ctx.LangText(Text::SfvFailed, {FileNameOf(sfv)}));
            verdict = false;
        }
        if (m_checkpoint.cancelled())
            break;
    }
    return verdict;
}

// A damaged or missing volume: the PAR2 files beside the set may mend it. While watching, a
// release that is still arriving is left for a later round instead. False when closing.
bool FolderRun::repairWithPar2(const QString &candidate, SetPlan &plan, bool &sfvVerdict, int index,
                               SfvFindings &findings)
{
    const bool broken = !sfvVerdict || (plan.opened && !plan.complete);
    if (!broken || !plan.opened || !m_settings.RepairWithPar2() || m_settings.CheckOnly() ||
        (m_job.WatchTimerEnabled && !plan.complete))
        return true;
    if (!Par2DescribesSet(plan))
        return true;
    m_repairTried = true;
    const Par2Outcome outcome = RepairSet(m_ctx, plan);
    if (closing())
        return false;
    if (outcome != Par2Outcome::Repaired)
        return true;
    sfvVerdict = checkSfvLists(index, findings);
    if (closing())
        return false;
    plan = BackendForSet(m_ctx, candidate)->list();
    return true;
}

// Each volume that is missing or damaged, by name, where the user looks.
void FolderRun::reportSfvFailure(const QString &candidate, const SfvFindings &findings)
{
    m_anySetFailed = true;
    ++m_job.Tally.failures;
    if (findings.missing.isEmpty() && findings.damaged.isEmpty()) {
        m_ctx.Events().setFailed(candidate, QString());
        return;
    }
    const QString none = QStringLiteral("-");
    const QString text = m_ctx.LangText(
        Text::SetNotChecked,
        {FileNameOf(candidate),
         findings.missing.isEmpty() ? none : findings.missing.join(QStringLiteral(", ")),
         findings.damaged.isEmpty() ? none : findings.damaged.join(QStringLiteral(", "))});
    m_ctx.AddLogLine(LogTag::Sfv + text);
    m_ctx.Events().setFailed(candidate, text);
    m_ctx.ReportError(text, false);
}

// Whether the set's plan allows extracting it: it is complete, and it holds a file.
bool FolderRun::planIsUsable(const QString &candidate, const SetPlan &plan)
{
    if (plan.opened && !plan.complete) {
        m_anySetFailed = true;
        if (m_job.WatchTimerEnabled) {
            m_ctx.AddLogLine(
                LogTag::Unpack +
                m_ctx.LangText(Text::SetNotCompleteYet, {FileNameOf(candidate), plan.problem}));
            return false;
        }
        const QString text =
            m_ctx.LangText(Text::SetIncomplete,
                           {FileNameOf(candidate), plan.problem, FileNameOf(plan.lastVolume())});
        m_ctx.AddLogLine(LogTag::Unpack + text);
        m_ctx.ReportError(text);
        m_ctx.Events().setFailed(candidate, text);
        m_extractionIncomplete = true;
        ++m_job.Tally.failures;
        return false;
    }
    // A complete archive that holds no file (a recovery record alone): nothing is written, so
    // nothing of it may go.
    if (plan.opened && std::none_of(plan.entries.cbegin(), plan.entries.cend(),
                                    [](const PlannedEntry &e) { return !e.folder; })) {
        m_ctx.AddLogLine(LogTag::Unpack + m_ctx.LangText(Text::NoFiles, {FileNameOf(candidate)}));
        return false;
    }
    return true;
}

// A RAR set that needs a password gets the first of the user's passwords that fits. True when it
// needs none, when none is given (its extraction then says it is encrypted), or when one fits.
bool FolderRun::unlockSet(const QString &candidate, SetPlan &plan)
{
    if (!plan.needsPassword || !IsRarKind(ArchiveKindOfFile(candidate)))
        return true;
    const QStringList passwords = PasswordsFor(m_ctx, candidate);
    if (passwords.isEmpty() || FindRarPassword(m_ctx, plan, passwords))
        return true;
    const QString text = m_ctx.LangText(Text::NoPasswordFits,
                                        {FileNameOf(candidate), QString::number(passwords.size())});
    m_ctx.AddLogLine(LogTag::Unpack + text);
    m_ctx.ReportError(text);
    setFailed(candidate);
    return false;
}

void FolderRun::prepareDestination(const QString &destination)
{
    if (!m_settings.CopyNfo())
        return;
    // Listed afresh for every set: an earlier set may have written NFO files of its own.
    QStringList nfoFiles;
    FindFiles(m_ctx, ScanFolder(m_releaseFolder), nfoFiles, m_settings.ScanSubdirs(),
              Tokens({QStringLiteral(".nfo")}));
    m_ctx.AddLogLine(LogTag::Nfo + m_ctx.LangText(Text::CopyingNfo));
    ForceDirectory(destination);
    CopyNfoFiles(nfoFiles, ScanFolder(destination));
}

void FolderRun::setFailed(const QString &candidate)
{
    m_ctx.Events().setFailed(candidate, {});
    m_anySetFailed = true;
    m_extractionIncomplete = true;
    ++m_job.Tally.failures;
}

// How deep archives inside archives are extracted: a set's own, and theirs.
constexpr int kNestedDepth = 2;

void FolderRun::logExtraction(const QString &candidate, const QString &destination)
{
    m_ctx.AddLogLine(EngineContext::dashLine());
    m_ctx.AddLogLine(LogTag::Unpack + m_ctx.LangText(Text::Extracting));
    m_ctx.AddLogLine(QStringLiteral("Source:   ") + VolumePattern(candidate));
    m_ctx.AddLogLine(QStringLiteral("Dest:     ") + destination);
}

// Extracts the archives that the set at outer wrote (published) in their place, by the same
// rules as the release's; false when one of them failed (it is named in the log, and the outer
// set keeps its sources).
bool FolderRun::unpackNested(const QString &outer, const QStringList &published, int depth)
{
    if (!m_settings.UnpackNested() || depth >= kNestedDepth || m_checkpoint.cancelled())
        return true;
    QStringList starts, zips;
    NestedArchives(m_ctx, published, starts, zips);
    bool ok = unpackNestedZips(outer, zips);
    for (const QString &start : std::as_const(starts)) {
        if (closing() || m_checkpoint.stopPending())
            return false;
        m_ctx.AddLogLine(LogTag::Archive +
                         m_ctx.LangText(Text::NestedFound, {FileNameOf(start), FileNameOf(outer)}));
        m_ctx.Events().setFound(start);
        SetPlan plan = BackendForSet(m_ctx, start)->list();
        const QString destination = FolderOf(start) + QLatin1Char('/');
        logExtraction(start, destination);
        if (!unlockSet(start, plan) || !planIsUsable(start, plan) ||
            !extractAndPublish(start, plan, destination, depth + 1))
            ok = false;
    }
    // The inner archives that went with their clean-up are no files of the set any more.
    if (!starts.isEmpty() || !zips.isEmpty())
        m_extractedFiles.removeIf([](const QString &path) { return !QFileInfo::exists(path); });
    return ok;
}

// ZIP files inside a set, with "Unpack ZIP-files first" on: unpacked into their folder as the
// release's are, and deleted after with "Delete ZIP-files after unpack".
bool FolderRun::unpackNestedZips(const QString &outer, const QStringList &zips)
{
    if (zips.isEmpty() || !m_settings.UnpackZipFirst())
        return true;
    bool ok = true;
    for (const QString &zip : zips) {
        m_ctx.AddLogLine(LogTag::Archive +
                         m_ctx.LangText(Text::NestedFound, {FileNameOf(zip), FileNameOf(outer)}));
        m_zipMaster.ExtractZip(zip, FolderOf(zip) + QLatin1Char('/'));
        if (!m_zipMaster.CompleteZips().contains(zip)) {
            setFailed(zip);
            ok = false;
        } else {
            ++m_counter;
        }
    }
    if (ok && m_settings.DeleteZipAfter())
        DeleteZipFiles(m_ctx, zips, m_zipMaster.CompleteZips());
    return ok;
}

// Extracts the set through its back-end into a staging folder and publishes it, then the
// archives it held (to kNestedDepth); true when the set was published.
bool FolderRun::extractAndPublish(const QString &candidate, const SetPlan &plan,
                                  const QString &destination, int depth)
{
    // A killed run's staging folder goes first, so that its space counts as free.
    RemoveDeadStagingFolders(destination);
    if (plan.opened && !SetCanBeWritten(m_ctx, plan, destination, HasOwnFolder(m_settings))) {
        setFailed(candidate);
        return false;
    }
    const std::unique_ptr<ArchiveBackend> backend = BackendForSet(m_ctx, candidate, &plan);
    EngineSink sink(m_ctx);
    StagedExtraction staged;
    staged.ownFolder = HasOwnFolder(m_settings);
    if (!ExtractStaged(m_ctx, *backend, sink, destination, staged)) {
        // Damaged data that no check saw (no SFV list): repaired and extracted again, once.
        if (RepairAfterDamage(m_ctx, plan, m_repairTried)) {
            SetPlan repaired = BackendForSet(m_ctx, candidate)->list();
            // The password that fitted before the repair fits the repaired set.
            if (!plan.password.isEmpty())
                FindRarPassword(m_ctx, repaired, {plan.password});
            return extractAndPublish(candidate, repaired, destination, depth);
        }
        setFailed(candidate);
        return false;
    }
    m_ctx.Events().setDone(candidate);
    // The set's files reach the follow-up actions only when the whole set was written.
    ++m_counter;
    m_extractedFiles << staged.files;
    ++m_job.Tally.archivesUnpacked;
    if (m_settings.OpenDestination() && depth == 0)
        m_ctx.platform.openPath(destination);
    // A set whose inner archives failed keeps its sources, as a failed set does.
    if (unpackNested(candidate, staged.files, depth))
        cleanUpSet(candidate, plan, staged.leftOut);
    return true;
}

// A clean-up follows only a set written in full.
void FolderRun::cleanUpSet(const QString &candidate, const SetPlan &plan,
                           const QStringList &leftOut)
{
    if (!leftOut.isEmpty()) {
        m_ctx.AddLogLine(LogTag::Unpack +
                         m_ctx.LangText(Text::EntriesLeftOut,
                                        {FileNameOf(candidate), QString::number(leftOut.size())}));
        return;
    }
    m_usedVolumes.unite(PlanVolumes(plan));
    const bool perSetDeletion = m_settings.DeleteSources() &&
                                m_settings.DeleteTiming() == DeleteTimingChoice::AfterExtraction;
    QStringList deleted;
    if (perSetDeletion && !m_checkpoint.cancelled() && !m_extractionIncomplete)
        DeleteSetSources(m_ctx, plan, m_usedVolumes, deleted);
}

SetEnd FolderRun::takeSet(int index)
{
    const ArchiveSet &set = m_sets.at(index);
    const QString candidate = set.path;
    m_repairTried = false;
    if (m_job.WatchTimerEnabled && m_job.SetsLeftForLater.contains(candidate))
        return SetEnd::Next;
    m_ctx.AddLogLine(EngineContext::dashLine());
    if (closing())
        return SetEnd::Closing;
    if (!QFileInfo::exists(candidate)) {
        m_ctx.AddLogLine(LogTag::Unpack + m_ctx.LangText(Text::CandidateGone, {candidate}));
        return SetEnd::Next;
    }
    m_ctx.Events().setFound(candidate);
    SfvFindings findings;
    bool sfvVerdict = checkSfvLists(index, findings);
    if (closing())
        return SetEnd::Closing;
    // A lone SFV list (checking without an archive) has nothing to extract.
    if (set.sfvOnly)
        return SetEnd::Next;
    if (m_checkpoint.takeStop())
        return SetEnd::Stop;
    // Read again now: volumes may have arrived or gone since the release was scanned; a complete
    // plan whose volumes are the same files still is the set's plan.
    const bool unchanged =
        set.plan.complete && !set.stamp.isEmpty() && VolumesStamp(set.plan) == set.stamp;
    SetPlan plan =
        set.plan.opened && !unchanged ? BackendForSet(m_ctx, candidate)->list() : set.plan;
    if (!repairWithPar2(candidate, plan, sfvVerdict, index, findings))
        return SetEnd::Closing;
    if (m_settings.CheckSfv())
        m_ctx.Events().setChecked(candidate, sfvVerdict);
    if (!sfvVerdict)
        reportSfvFailure(candidate, findings);
    if (!sfvVerdict || m_settings.CheckOnly() || !unlockSet(candidate, plan) ||
        !planIsUsable(candidate, plan))
        return SetEnd::Next;

    const QString destination = DestinationFolder(m_ctx, m_releaseFolder, candidate);
    prepareDestination(destination);
    if (m_settings.DeleteSources() &&
        m_settings.DeleteTiming() == DeleteTimingChoice::AfterExtraction)
        m_extractionIncomplete = false;
    logExtraction(candidate, destination);
    if (closing())
        return SetEnd::Closing;
    extractAndPublish(candidate, plan, destination);
    if (closing())
        return SetEnd::Closing;
    if (m_checkpoint.takeStop())
        return SetEnd::Stop;
    m_checkpoint.pump();
    return SetEnd::Next;
}

void FolderRun::deleteListAndSummary()
{
    ProcessDeletelist(m_ctx, ScanFolder(m_releaseFolder));
    QStringList volumes;
    FindFiles(m_ctx, ScanFolder(m_releaseFolder), volumes, m_settings.ScanSubdirs(),
              ExtensionList::setVolumes());
    m_ctx.AddLogLine(EngineContext::dashLine());
    m_ctx.AddLogLine(LogTag::Unpack +
                     m_ctx.LangText(Text::ArchivesUnpacked, {QString::number(m_counter)}));
    if (m_settings.DeleteSources() &&
        m_settings.DeleteTiming() == DeleteTimingChoice::AfterExtractingAll &&
        !m_extractionIncomplete && !volumes.isEmpty())
        DeleteAllSources(m_ctx, volumes, m_usedVolumes);
    if (m_extractionIncomplete)
        m_ctx.AddLogLine(LogTag::Note + m_ctx.LangText(Text::ExtractionFailedNote));
    NoteArchivesInNoSet(m_ctx, m_archivesInNoSet);
}

} // namespace

QStringList UnPack(EngineContext &ctx, const QString &folderText)
{
    // An empty text would become "/", and the scan, extraction and delete list would then work on
    // the whole file system.
    // "Close Tevo after extraction" still holds for a refused folder, so that "tevo -unpack" run
    // by a script ends.
    ctx.job.FolderRefused = true;
    if (folderText.trimmed().isEmpty()) {
        ctx.AddLogLine(LogTag::Unpack + ctx.LangText(Text::NoInputFolder));
        if (ctx.settings.CloseAfter())
            ctx.view.requestClose();
        return {};
    }
    // A mistyped folder or one on a disk that is not mounted is named, not taken for an empty one.
    if (!QFileInfo(folderText).isDir()) {
        ctx.AddLogLine(LogTag::Unpack + ctx.LangText(Text::FolderMissing, {folderText}));
        ctx.dialogs.errorWithoutBox(ctx.LangText(Text::FolderMissing, {folderText}));
        ++ctx.job.Tally.failures;
        if (ctx.settings.CloseAfter())
            ctx.view.requestClose();
        return {};
    }
    ctx.job.FolderRefused = false;
    FolderRun run(ctx, folderText);
    return run.run();
}
