#include "engine/StagedExtraction.h"

#include <cerrno>
#include <chrono>
#include <future>
#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/ArchiveBackend.h"
#include "engine/EngineContext.h"
#include "engine/Errors.h"
#include "engine/FolderEntries.h"
#include "engine/GeneralFuncs.h"
#include "engine/JobCheckpoint.h"
#include "engine/RarExtractor.h"
#include "engine/ScopeGuard.h"
#include "engine/SetPublish.h"
#include "engine/StagingFolder.h"

namespace {

// ForceDirectory that keeps the folders it made, so that a failed set can take them away again.
// A link on the way (dl -> disk/dl) is followed, never replaced.
QStringList CreateMissingFolders(const QString &path)
{
    QString folder = path;
    folder.replace(QLatin1String("//"), QLatin1String("/"));
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    QStringList created;
    for (int at = folder.indexOf(QLatin1Char('/'), 1); at >= 0;
         at = folder.indexOf(QLatin1Char('/'), at + 1)) {
        const QString prefix = folder.left(at + 1);
        if (QFileInfo(prefix).isDir())
            continue;
        if (::mkdir(QFile::encodeName(prefix).constData(), 0777) == 0)
            created << prefix;
        else if (!QFileInfo(prefix).isDir())
            throw TevoError(QStringLiteral("Cannot create folder \"%1\"").arg(prefix));
    }
    return created;
}

// Takes away the folders made for a set that failed, newest first; one that is no longer empty
// stays.
void RemoveCreatedFolders(const QStringList &created)
{
    for (auto it = created.crbegin(); it != created.crend(); ++it)
        ::rmdir(QFile::encodeName(*it).constData());
}

// Frees the files the set replaced on a thread of its own while the window runs: giving back a
// gigabyte of a memory-backed folder takes a tenth of a second.
void RemoveReplacedFiles(const StagingFolder &staging, JobCheckpoint &checkpoint)
{
    const QString replaced = staging.replaced();
    if (ListFolderEntries(replaced).isEmpty())
        return;
    std::future<bool> removal =
        std::async(std::launch::async, [replaced] { return RemoveTree(replaced); });
    while (removal.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
        checkpoint.pump();
}

} // namespace

bool ExtractStaged(EngineContext &ctx, ArchiveBackend &backend, ArchiveSink &sink,
                   const QString &destination, StagedExtraction &result)
{
    result.files.clear();
    result.leftOut.clear();
    const QStringList created = CreateMissingFolders(destination);
    bool published = false;
    const ScopeGuard undoFolders([&] {
        if (!published)
            RemoveCreatedFolders(created);
    });
    RemoveDeadStagingFolders(destination);

    StagingFolder staging(destination);
    if (!staging.isValid()) {
        sink.logLine(LogTag::Unpack +
                     ctx.LangText(Text::EntryFailed,
                                  {destination,
                                   ctx.LangText(staging.error() == ENOSPC ? Text::WriteFailed
                                                                          : Text::CreateFailed)}));
        return false;
    }
    if (!backend.extractTo(staging.tree(), sink))
        return false;

    SetPublisher publisher(ctx, staging, destination, result.ownFolder);
    result.leftOut = backend.leftOut();
    publisher.prepare(result.leftOut);
    if (!publisher.sizesMatch(backend.writtenFiles()) || !publisher.publish())
        return false;
    published = true;
    RemoveReplacedFiles(staging, sink.checkpoint());

    const QString folder = WithSlash(destination);
    for (const QString &entry : backend.extractedEntries()) {
        if (!result.leftOut.contains(entry))
            result.files << folder + entry;
    }
    for (const QString &file : publisher.publishedFiles())
        ctx.job.FilesWrittenThisJob.insert(file);
    return true;
}
