#include "jobs/WatchRound.h"

#include <QFile>
#include <QFileInfo>

#include "engine/ArchiveSets.h"
#include "engine/EngineContext.h"
#include "engine/FileScan.h"
#include "engine/SfvCheck.h"
#include "tools/GeneralFuncs.h"

namespace {

constexpr int TextListedFileMissing = 101;
constexpr int TextFolderMissing = 188;
// As the SFV check: anything larger is no checksum list.
constexpr qint64 MaximumSfvSize = 64 * 1024 * 1024;

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
    const QString folder = candidate.left(candidate.lastIndexOf(QLatin1Char('/')) + 1);
    QStringList lists;
    FindFiles(quiet, scanFolder(folder), lists, false,
              ExtensionList::make({QStringLiteral(".sfv")}));
    for (const QString &list : std::as_const(lists)) {
        QFile file(list);
        if (file.size() > MaximumSfvSize || !file.open(QIODevice::ReadOnly))
            continue; // the check itself reports such a list
        for (const SfvEntry &entry : ParseSfv(file.readAll())) {
            const QString path = SfvEntryPath(folder, entry.name);
            if (!path.isEmpty() && !QFileInfo(path).isFile())
                return entry.name;
        }
    }
    return QString();
}

bool folderHasWork(EngineContext &ctx, EngineContext &quiet, const QString &folder,
                   QSet<QString> &reported)
{
    const Settings &settings = quiet.settings;
    bool work = false;
    for (const QString &candidate : BuildCandidateList(quiet, scanFolder(folder))) {
        // A release still being copied in waits for a later round; it is named once.
        const QString missing =
            settings.CheckSfv() ? firstMissingListed(quiet, candidate) : QString();
        if (missing.isEmpty()) {
            work = true;
        } else if (!reported.contains(candidate + QLatin1Char('/') + missing)) {
            reported.insert(candidate + QLatin1Char('/') + missing);
            ctx.AddLogLine(LogTag::Sfv + ctx.LangText(TextListedFileMissing, {missing}));
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

bool WatchRoundHasWork(EngineContext &ctx, QSet<QString> &reported)
{
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
                ctx.AddLogLine(LogTag::Unpack + ctx.LangText(TextFolderMissing, {folder}));
            }
            continue;
        }
        if (folderHasWork(ctx, quiet, folder, reported))
            work = true;
    }
    return work;
}
