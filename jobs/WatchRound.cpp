#include "jobs/WatchRound.h"

#include <QFileInfo>

#include "engine/ArchiveSets.h"
#include "engine/EngineContext.h"
#include "engine/FileScan.h"
#include "tools/GeneralFuncs.h"

namespace {

constexpr int TextFolderMissing = 188;

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

bool folderHasWork(EngineContext &quiet, const QString &folder)
{
    const Settings &settings = quiet.settings;
    if (!BuildCandidateList(quiet, scanFolder(folder)).isEmpty())
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

bool WatchRoundHasWork(EngineContext &ctx, QSet<QString> &reportedMissing)
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
            if (!reportedMissing.contains(folder)) {
                reportedMissing.insert(folder);
                ctx.AddLogLine(LogTag::Unpack + ctx.LangText(TextFolderMissing, {folder}));
            }
            continue;
        }
        if (!work && folderHasWork(quiet, folder))
            work = true;
    }
    return work;
}
