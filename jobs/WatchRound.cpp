#include "jobs/WatchRound.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include "engine/ArchiveSets.h"
#include "engine/EngineContext.h"
#include "engine/FileScan.h"
#include "engine/FolderEntries.h"
#include "engine/GeneralFuncs.h"
#include "engine/SfvCheck.h"
#include "engine/TextNumbers.h"

namespace {

// The scan's own lines (skip-list hits, the archive count) belong to the round that runs.
class SilentLog : public LogSink
{
public:
    void appendLogLine(const QString &) override {}
};

QString scanFolder(const QString &folder)
{
    const QString normalized = NormalizeFolder(folder);
    return normalized.size() > 1 && normalized.endsWith(QLatin1Char('/')) ? normalized.chopped(1)
                                                                          : normalized;
}

// The first file an SFV list beside the candidate names that is not there yet; empty when
// every listed file is there (or there is no list, or it is too large to be one).
QString firstMissingListed(EngineContext &quiet, const QString &candidate)
{
    const QString folder = FolderOf(candidate) + QLatin1Char('/');
    QStringList lists;
    FindFiles(quiet, scanFolder(folder), lists, false,
              ExtensionList::make({QStringLiteral(".sfv")}));
    for (const QString &list : std::as_const(lists)) {
        const std::optional<QList<SfvEntry>> entries = ReadSfvEntries(list);
        if (!entries)
            continue; // the check itself reports such a list
        for (const SfvEntry &entry : *entries) {
            const QString path = SfvEntryPath(folder, entry.name);
            if (!path.isEmpty() && !QFileInfo(path).isFile())
                return entry.name;
        }
    }
    return QString();
}

// The volume-like files of the candidate's folder with their sizes and times.
QString VolumeState(const QString &candidate)
{
    static const QRegularExpression volumeLike(QStringLiteral("\\.(rar|r[0-9]+|[0-9]+|sfv|par2)$"),
                                               QRegularExpression::CaseInsensitiveOption);
    const QString folder = FolderOf(candidate);
    QStringList state;
    for (const FolderEntry &entry : ListFolderEntries(folder)) {
        if (entry.kind != FolderEntry::Kind::File || !volumeLike.match(entry.name).hasMatch())
            continue;
        const QFileInfo info(folder + QLatin1Char('/') + entry.name);
        state << QStringLiteral("%1 %2 %3")
                     .arg(entry.name)
                     .arg(info.size())
                     .arg(info.lastModified().toMSecsSinceEpoch());
    }
    state.sort();
    return state.join(QLatin1Char('\n'));
}

// Whether a round takes the set: not while it is unchanged since a job took it, nor while its
// volumes are still changing.
bool TakeSet(WatchMemory &memory, const QString &candidate)
{
    const QString state = VolumeState(candidate);
    const auto tried = memory.tried.constFind(candidate);
    const bool settled = memory.seen.value(candidate) == state;
    memory.seen.insert(candidate, state);
    if (tried != memory.tried.cend() && (*tried == state || !settled))
        return false;
    memory.tried.insert(candidate, state);
    return true;
}

bool folderHasWork(EngineContext &ctx, EngineContext &quiet, const QString &folder,
                   WatchMemory &memory)
{
    QSet<QString> &reported = memory.reported;
    const Settings &settings = quiet.settings;
    bool work = false;
    for (const QString &candidate : BuildCandidateList(quiet, scanFolder(folder))) {
        // A release still being copied in waits for a later round; it is named once.
        const QString missing =
            settings.CheckSfv() ? firstMissingListed(quiet, candidate) : QString();
        if (missing.isEmpty()) {
            // A lone SFV list is checked at every round.
            if (candidate.endsWith(QLatin1String(".sfv"), Qt::CaseInsensitive) ||
                TakeSet(memory, candidate))
                work = true;
            else
                ctx.job.SetsLeftForLater.insert(candidate);
        } else if (!reported.contains(candidate + QLatin1Char('/') + missing)) {
            reported.insert(candidate + QLatin1Char('/') + missing);
            ctx.AddLogLine(LogTag::Sfv + ctx.LangText(Text::ListedFileMissing, {missing}));
        }
    }
    if (work)
        return true;
    if (settings.UnpackZipFirst()) {
        QStringList zips;
        FindFiles(quiet, scanFolder(folder), zips, settings.ScanSubdirs(),
                  ExtensionList::make({QStringLiteral(".zip")}));
        if (!zips.isEmpty())
            return true;
    }
    return false;
}

} // namespace

bool WatchRoundHasWork(EngineContext &ctx, WatchMemory &memory)
{
    QSet<QString> &reported = memory.reported;
    ctx.job.SetsLeftForLater.clear();
    SilentLog silent;
    EngineContext quiet(ctx.settings, ctx.language, silent, ctx.view, ctx.dialogs, ctx.platform,
                        ctx.job);
    quiet.programFolder = ctx.programFolder;

    const Settings &settings = ctx.settings;
    const QStringList folders = settings.InputMode() == InputModeChoice::SingleFolder
                                    ? QStringList{settings.InputFolder()}
                                    : settings.Queue();
    bool work = false;
    for (const QString &folder : folders) {
        if (folder.trimmed().isEmpty())
            continue;
        if (!QFileInfo(folder).isDir()) {
            if (!reported.contains(folder)) {
                reported.insert(folder);
                ctx.AddLogLine(LogTag::Unpack + ctx.LangText(Text::FolderMissing, {folder}));
            }
            continue;
        }
        if (folderHasWork(ctx, quiet, folder, memory))
            work = true;
    }
    return work;
}
