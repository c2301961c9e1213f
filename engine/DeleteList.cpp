#include "engine/DeleteList.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/EngineContext.h"
#include "engine/Errors.h"
#include "engine/FolderEntries.h"
#include "engine/TextNumbers.h"
#include "engine/Wildcard.h"

namespace {

QString EntryPath(const QString &folder, const QString &name)
{
    return folder + QLatin1Char('/') + name;
}

void LogFileDeletion(EngineContext &ctx, const QString &path, const char *procedure)
{
    ctx.AddLogLine(
        QStringLiteral("Deleting File \"%1\" in procedure %2").arg(path, QLatin1String(procedure)));
}

// Removes a file or a link itself; the outcome is not looked at.
void RemoveEntry(const QString &path)
{
    ::unlink(QFile::encodeName(path).constData());
}

// A trailing "/" would make lstat and unlink look through a link.
QString WithoutTrailingSlashes(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

bool IsLink(const QString &path)
{
    struct stat info;
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISLNK(info.st_mode);
}

QString LastErrorText()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

void ProcessDeletelist(EngineContext &ctx, const QString &folder)
{
    for (const FolderEntry &entry : ListFolderEntries(folder)) {
        const QString entryPath = EntryPath(folder, entry.name);
        if (entry.kind == FolderEntry::Kind::Folder) {
            if (IsLeftAloneFolder(entry.name))
                ctx.AddLogLine(LogTag::Delete + ctx.LangText(Text::RecyclerLeftAlone, {entryPath}));
            else if (IsInDeleteList(ctx, entryPath))
                DeleteWithContent(ctx, entryPath);
            else
                ProcessDeletelist(ctx, entryPath);
            continue;
        }
        if (entry.kind == FolderEntry::Kind::FolderLink) {
            // Named like a folder of the list: the link goes, what it points to stays.
            if (IsInDeleteList(ctx, entryPath))
                DeleteWithContent(ctx, entryPath);
            continue;
        }
        if (!ctx.settings.ListsApplyToFiles() || !IsInDeleteList(ctx, entryPath))
            continue;
        RemoveEntry(entryPath);
        LogFileDeletion(ctx, entryPath, "ProcessDeletelist");
    }
}

void DeleteWithContent(EngineContext &ctx, const QString &folder)
{
    ctx.AddLogLine(LogTag::Delete + ctx.LangText(Text::DeletingFolder, {folder}));

    const QString bareFolder = WithoutTrailingSlashes(folder);
    if (IsLink(bareFolder)) {
        // Named by the delete list, but only the link is ours to remove.
        if (::unlink(QFile::encodeName(bareFolder).constData()) == 0)
            ctx.AddLogLine(LogTag::Delete + ctx.LangText(Text::FolderDeleted));
        else
            ctx.AddLogLine(LogTag::Delete +
                           ctx.LangText(Text::FolderNotDeleted, {LastErrorText()}));
        return;
    }

    for (const FolderEntry &entry : ListFolderEntries(folder)) {
        const QString entryPath = EntryPath(folder, entry.name);
        if (entry.kind == FolderEntry::Kind::Folder) {
            DeleteWithContent(ctx, entryPath);
        } else {
            LogFileDeletion(ctx, entryPath, "DeleteWithContent");
            RemoveEntry(entryPath);
        }
    }

    if (::rmdir(QFile::encodeName(folder).constData()) == 0)
        ctx.AddLogLine(LogTag::Delete + ctx.LangText(Text::FolderDeleted));
    else
        ctx.AddLogLine(LogTag::Delete + ctx.LangText(Text::FolderNotDeleted, {LastErrorText()}));
}

void RemoveDirIfEmpty(EngineContext &ctx, const QString &folder)
{
    if (!ListFolderEntries(folder).isEmpty())
        return;
    ctx.AddLogLine(LogTag::Delete + ctx.LangText(Text::RemovingEmptyFolder, {folder}));
    if (::rmdir(QFile::encodeName(folder).constData()) != 0)
        throw TevoError(QStringLiteral("%1: %2").arg(folder, LastErrorText()));
}
