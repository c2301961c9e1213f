#include "engine/Pipeline.h"

#include <QFile>
#include <QFileInfo>

#include "engine/ArchiveSets.h"
#include "engine/DeleteList.h"
#include "engine/EngineContext.h"
#include "engine/Errors.h"
#include "engine/FileScan.h"
#include "engine/RarExtractor.h"
#include "engine/ScopeGuard.h"
#include "engine/SfvCheck.h"
#include "engine/SourceCleanup.h"
#include "engine/ZipMaster.h"
#include "tools/GeneralFuncs.h"

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

QString FolderOf(const QString &path)
{
    return path.left(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString FileNameOf(const QString &path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

// From the last "." of the file name on; empty without one.
QString ExtensionOf(const QString &path)
{
    const QString name = FileNameOf(path);
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot);
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
    if (folderText.trimmed().isEmpty()) {
        ctx.AddLogLine(LogTag::Unpack + ctx.LangText(TextNoInputFolder));
        return extractedFiles;
    }

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
    // The first volumes extracted successfully: the after-all deletion deletes only their sets.
    QStringList extractedSets;
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

    // ZIP phase.
    if (settings.UnpackZipFirst()) {
        ctx.AddLogLine(LogTag::Unpack + ctx.LangText(TextZipPhase));
        FindFiles(ctx, ScanFolder(releaseFolder), listA, settings.ScanSubdirs(),
                  Tokens({QStringLiteral(".zip")}));
        job.StepStartTick = ctx.platform.tickCount();
        for (const QString &zip : std::as_const(listA)) {
            // Into the ZIP's own folder; the component creates it when missing.
            zipMaster.ExtractZip(zip, FolderOf(zip));
            if (job.AbortRequested) {
                job.AbortRequested = false;
                return extractedFiles;
            }
            if (job.StopRequested)
                break;
            ++counter;
        }
        if (settings.DeleteZipAfter() && !job.StopRequested)
            DeleteZipFiles(ctx, listA, zipMaster.CompleteZips());
        listA.clear();
        ctx.AddLogLine(LogTag::Unpack + ctx.LangText(TextZipsHandled, {QString::number(counter)}));
        ctx.AddLogLine(EngineContext::equalsLine());
    }

    // The gate: a pending Stop, Pause or abort skips the archive phase.
    if (!job.StopRequested && !job.Paused && !job.AbortRequested) {
        listA = BuildCandidateList(ctx, ScanFolder(releaseFolder));

        FindFiles(ctx, ScanFolder(releaseFolder), listB, settings.ScanSubdirs(),
                  Tokens({QStringLiteral(".nfo")}));
        ctx.AddLogLine(LogTag::Nfo + ctx.LangText(TextNfoFound, {QString::number(listB.size())}));
        if (settings.OpenNfo()) {
            for (const QString &nfo : std::as_const(listB))
                ctx.platform.openPath(nfo);
        }

        const int candidates = listA.size();
        for (int index = 0; index < candidates; ++index) {
            const QString candidate = listA.at(index);
            ctx.AddLogLine(EngineContext::dashLine());

            // The per-set clean-up of an earlier set may have taken this one with it (x.001 goes
            // with x.000, whose stem it shares).
            if (!QFileInfo::exists(candidate)) {
                ctx.AddLogLine(LogTag::Unpack + ctx.LangText(TextCandidateGone, {candidate}));
                continue;
            }

            listB.clear();
            FindFiles(ctx, ScanFolder(FolderOf(candidate)), listB, false,
                      Tokens({QStringLiteral(".sfv")}));
            bool sfvVerdict = true;
            if (!listB.isEmpty()) {
                if (settings.CheckSfv()) {
                    ctx.AddLogLine(LogTag::Sfv +
                                   ctx.LangText(TextSfvFound, {QString::number(listB.size())}));
                    for (const QString &sfv : std::as_const(listB)) {
                        ctx.AddLogLine(LogTag::Sfv +
                                       ctx.LangText(TextSfvChecking, {FileNameOf(sfv)}));
                        if (!CheckSFV(ctx, sfv)) {
                            ctx.AddLogLine(LogTag::Sfv +
                                           ctx.LangText(TextSfvFailed, {FileNameOf(sfv)}));
                            sfvVerdict = false;
                        }
                    }
                }
                listB.clear();
            } else if (settings.CheckSfv()) {
                ctx.AddLogLine(LogTag::Sfv + ctx.LangText(TextNoSfv));
            }

            // A lone SFV list (checking without an archive) has nothing to extract.
            if (settings.CheckWithoutArchive() && ExtensionOf(candidate) == QLatin1String(".sfv"))
                continue;
            if (job.StopRequested) {
                job.StopRequested = false;
                break;
            }
            if (!sfvVerdict || settings.CheckOnly())
                continue;

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

            if (job.AbortRequested)
                return extractedFiles;

            if (ExtractRARArchive(ctx, candidate, destination, extractedFiles,
                                  extractionIncomplete)) {
                ++counter;
                extractedSets << candidate;
                if (settings.OpenDestination())
                    ctx.platform.openPath(destination);
                if (perSetDeletion && !job.AbortRequested && !extractionIncomplete)
                    DeleteSetSources(ctx, candidate, listB);
            } else {
                extractionIncomplete = true;
            }

            if (job.StopRequested) {
                job.StopRequested = false;
                break;
            }
            ctx.platform.processEvents();
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
            DeleteAllSources(ctx, listA, extractedSets);
        if (extractionIncomplete)
            ctx.AddLogLine(LogTag::Note + ctx.LangText(TextExtractionFailedNote));
    }

    ctx.AddLogLine(LogTag::End + ctx.LangText(TextFolderDone));
    ctx.view.setProgressPosition(0);
    ctx.view.setCurrentFileText(QStringLiteral("??"));
    return extractedFiles;
}
