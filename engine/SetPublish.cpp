#include "engine/SetPublish.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <QFile>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "engine/EngineContext.h"
#include "engine/GeneralFuncs.h"
#include "engine/JobCheckpoint.h"
#include "engine/RarExtractor.h"
#include "engine/SetPlan.h"
#include "engine/StagingFolder.h"

namespace {

// Link hops followed at most while resolving one link, as the kernel allows.
constexpr int kMaxLinkHops = 40;
// Sizes at or above this are unknown to the archive (streamed input).
constexpr qint64 kUnknownSize = qint64(1) << 62;

QByteArray Encoded(const QString &path)
{
    return QFile::encodeName(path);
}

StagedEntry::Kind KindOf(mode_t mode)
{
    if (S_ISREG(mode))
        return StagedEntry::Kind::File;
    if (S_ISDIR(mode))
        return StagedEntry::Kind::Folder;
    if (S_ISLNK(mode))
        return StagedEntry::Kind::Link;
    return StagedEntry::Kind::Other;
}

// Lists one folder of the tree into entries, then each of its folders, letting the window run
// after each.
void ListInto(const QString &root, const QString &relative, QList<StagedEntry> &entries,
              JobCheckpoint *checkpoint)
{
    DIR *dir = ::opendir(Encoded(root + relative).constData());
    if (!dir)
        return;
    const int fd = ::dirfd(dir);
    QList<int> folders;
    while (const dirent *item = ::readdir(dir)) {
        if (std::strcmp(item->d_name, ".") == 0 || std::strcmp(item->d_name, "..") == 0)
            continue;
        struct stat info;
        if (::fstatat(fd, item->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        StagedEntry entry{relative + QFile::decodeName(item->d_name), KindOf(info.st_mode),
                          qint64(info.st_size), unsigned(info.st_mode & 07777)};
        if (entry.kind == StagedEntry::Kind::Folder) {
            folders << int(entries.size());
            // A folder stored without the owner's read or search permission could not be
            // listed; it is opened up here and gets its mode when it is published.
            if ((info.st_mode & S_IRWXU) != S_IRWXU)
                ::fchmodat(fd, item->d_name, (info.st_mode & 07777) | S_IRWXU, 0);
        }
        entries << entry;
    }
    ::closedir(dir);
    if (checkpoint)
        checkpoint->pump();
    for (const int index : std::as_const(folders))
        ListInto(root, entries.at(index).name + QLatin1Char('/'), entries, checkpoint);
}

QString ReadLinkAt(const QString &path)
{
    std::vector<char> buffer(4096);
    const ssize_t size = ::readlink(Encoded(path).constData(), buffer.data(), buffer.size() - 1);
    return size <= 0 ? QString() : QFile::decodeName(QByteArray(buffer.data(), int(size)));
}

// The name's folder part: "a/b/l" gives "a/b".
QStringList FolderParts(const QString &name)
{
    QStringList parts = name.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (!parts.isEmpty())
        parts.removeLast();
    return parts;
}

// Renames from to to, never over something that appeared there meanwhile. File systems without
// an atomic no-replace rename get a look first.
bool RenameNoReplace(const QByteArray &from, const QByteArray &to)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    struct stat info;
    if (::lstat(to.constData(), &info) == 0) {
        errno = EEXIST;
        return false;
    }
    return ::rename(from.constData(), to.constData()) == 0;
}

// Puts the staged file from in the place of the file at to, which moves to backup. Where the
// file system can, the two swap places in one step: a Tevo killed in between never leaves the
// folder without the file. Elsewhere the old file moves aside first.
bool ReplaceFile(const QByteArray &from, const QByteArray &to, const QByteArray &backup)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_EXCHANGE) == 0) {
        if (::rename(from.constData(), backup.constData()) == 0)
            return true;
        const int error = errno;
        ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_EXCHANGE);
        errno = error;
        return false;
    }
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    if (::rename(to.constData(), backup.constData()) != 0)
        return false;
    if (RenameNoReplace(from, to))
        return true;
    const int error = errno;
    ::rename(backup.constData(), to.constData());
    errno = error;
    return false;
}

} // namespace

QList<StagedEntry> ListStagedTree(const QString &root, JobCheckpoint *checkpoint)
{
    QList<StagedEntry> entries;
    ListInto(root, QString(), entries, checkpoint);
    return entries;
}

bool LinkResolvesInside(const QString &root, const QString &name, const QString &target)
{
    // Resolved component by component as the kernel would, from the link's own folder (itself
    // reached through any links on its way), with root as the top: a ".." above it, an absolute
    // target or a loop leads outside.
    if (target.isEmpty() || target.startsWith(QLatin1Char('/')))
        return false;
    QStringList resolved;
    QStringList pending = FolderParts(name) + target.split(QLatin1Char('/'));
    int hops = 0;
    while (!pending.isEmpty()) {
        const QString part = pending.takeFirst();
        if (part.isEmpty() || part == QLatin1String("."))
            continue;
        if (part == QLatin1String("..")) {
            if (resolved.isEmpty())
                return false;
            resolved.removeLast();
            continue;
        }
        resolved << part;
        const QString onDisk = root + resolved.join(QLatin1Char('/'));
        struct stat info;
        if (::lstat(Encoded(onDisk).constData(), &info) != 0 || !S_ISLNK(info.st_mode))
            continue;
        const QString next = ReadLinkAt(onDisk);
        if (++hops > kMaxLinkHops || next.isEmpty() || next.startsWith(QLatin1Char('/')))
            return false;
        resolved.removeLast();
        pending = next.split(QLatin1Char('/')) + pending;
    }
    return true;
}

unsigned PublishedMode(unsigned storedMode, unsigned umask)
{
    return storedMode & 07777 & ~unsigned(S_ISUID | S_ISGID) & ~umask;
}

unsigned ProcessUmask()
{
    // Read from the kernel's status file: setting the umask to read it would change it for a
    // moment for every thread.
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("Umask:")) {
                bool ok = false;
                const unsigned mask = line.mid(6).trimmed().toUInt(&ok, 8);
                if (ok)
                    return mask;
            }
        }
    }
    const mode_t old = ::umask(022);
    ::umask(old);
    return unsigned(old);
}

SetPublisher::SetPublisher(EngineContext &ctx, const StagingFolder &staging,
                           const QString &destination, bool ownFolder)
    : m_ctx(ctx), m_staging(staging),
      m_destination(NormalizeSlashes(destination + QLatin1Char('/'))), m_ownFolder(ownFolder)
{
}

void SetPublisher::prepare(QStringList &leftOut)
{
    const QString root = m_staging.tree();
    m_tree = ListStagedTree(root, &m_ctx.checkpoint);
    const unsigned mask = ProcessUmask();
    QList<StagedEntry> kept;
    for (const StagedEntry &entry : std::as_const(m_tree)) {
        const QByteArray path = Encoded(root + entry.name);
        if (entry.kind == StagedEntry::Kind::Link) {
            const QString target = ReadLinkAt(root + entry.name);
            if (!LinkResolvesInside(root, entry.name, target)) {
                ::unlink(path.constData());
                m_ctx.AddLogLine(LogTag::Unpack +
                                 m_ctx.LangText(Text::LinkLeftOut, {entry.name, target}));
                leftOut << entry.name;
                continue;
            }
        } else if (entry.kind != StagedEntry::Kind::Other) {
            const unsigned mode = PublishedMode(entry.mode, mask);
            // Folders stay open to the owner until they are published: moving an entry out of a
            // folder needs its write permission. Their own mode follows the publish.
            const unsigned now =
                entry.kind == StagedEntry::Kind::Folder ? mode | unsigned(S_IRWXU) : mode;
            if (now != entry.mode)
                ::chmod(path.constData(), now);
            StagedEntry published = entry;
            published.mode = mode;
            kept << published;
            continue;
        }
        kept << entry;
    }
    m_tree = kept;
}

bool SetPublisher::sizesMatch(const QHash<QString, qint64> &written)
{
    QHash<QString, qint64> staged;
    for (const StagedEntry &entry : std::as_const(m_tree)) {
        if (entry.kind == StagedEntry::Kind::File)
            staged.insert(entry.name, entry.size);
    }
    for (auto it = written.cbegin(); it != written.cend(); ++it) {
        const auto found = staged.constFind(it.key());
        const qint64 size = found == staged.cend() ? 0 : *found;
        if (it.value() >= kUnknownSize || (found != staged.cend() && size == it.value()))
            continue;
        m_ctx.AddLogLine(LogTag::Unpack +
                         m_ctx.LangText(Text::EntryFailed,
                                        {it.key(), m_ctx.LangText(Text::SizeMismatch,
                                                                  {it.key(), QString::number(size),
                                                                   QString::number(it.value())})}));
        return false;
    }
    return true;
}

bool SetPublisher::refuse(const QString &text)
{
    m_ctx.AddLogLine(LogTag::Unpack + text);
    m_ctx.ReportError(text);
    return false;
}

bool SetPublisher::mayReplace(const QString &name, const QString &target, qint64 stagedSize)
{
    struct stat info;
    if (::lstat(Encoded(target).constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return refuse(m_ctx.LangText(Text::ReplacesDifferent, {name, target}));
    if (m_ctx.job.FilesWrittenThisJob.contains(target))
        return refuse(m_ctx.LangText(Text::OverwritesThisJob, {name, target}));
    // A file the user made read-only is never replaced.
    if (!(info.st_mode & S_IWUSR) || ::access(Encoded(target).constData(), W_OK) != 0)
        return refuse(m_ctx.LangText(Text::ReadOnlyTarget, {target}));
    if (!m_ownFolder && qint64(info.st_size) != stagedSize)
        return refuse(m_ctx.LangText(Text::ReplacesDifferent, {name, target}));
    return true;
}

bool SetPublisher::planMerge(const QString &relative, const Children &children, QList<Move> &moves)
{
    for (const qsizetype index : children.value(relative)) {
        const StagedEntry &entry = m_tree.at(index);
        const QString target = m_destination + entry.name;
        struct stat info;
        if (::lstat(Encoded(target).constData(), &info) != 0) {
            if (errno != ENOENT)
                return refuse(m_ctx.LangText(Text::ReplacesDifferent, {entry.name, target}));
            moves << Move{m_staging.tree() + entry.name, target, false, QString()};
            continue;
        }
        if (entry.kind == StagedEntry::Kind::Folder && S_ISDIR(info.st_mode)) {
            m_mergedFolders.insert(entry.name);
            if (!planMerge(entry.name, children, moves))
                return false;
            continue;
        }
        // Only a file replaces anything: a link or folder of the set never takes the place of
        // what is there.
        if (entry.kind != StagedEntry::Kind::File)
            return refuse(m_ctx.LangText(Text::ReplacesDifferent, {entry.name, target}));
        if (!mayReplace(entry.name, target, entry.size))
            return false;
        moves << Move{m_staging.tree() + entry.name, target, true,
                      m_staging.replaced() + QString::number(moves.size())};
    }
    return true;
}

void SetPublisher::undo(const QList<Move> &done)
{
    for (auto it = done.crbegin(); it != done.crend(); ++it) {
        ::rename(Encoded(it->to).constData(), Encoded(it->from).constData());
        if (it->replaces)
            ::rename(Encoded(it->backup).constData(), Encoded(it->to).constData());
    }
}

bool SetPublisher::publish()
{
    // The entries of each folder by its name ("" for the top), so that a merge into a deep tree
    // that is there already does not go through the whole tree once for every folder.
    Children children;
    for (qsizetype i = 0; i < m_tree.size(); ++i)
        children[FolderOf(m_tree.at(i).name)] << i;
    QList<Move> moves;
    if (!planMerge(QString(), children, moves))
        return false;
    QList<Move> done;
    for (const Move &move : std::as_const(moves)) {
        const QByteArray to = Encoded(move.to);
        const bool ok = move.replaces ? ReplaceFile(Encoded(move.from), to, Encoded(move.backup))
                                      : RenameNoReplace(Encoded(move.from), to);
        const int error = ok ? 0 : errno;
        if (!ok) {
            undo(done);
            m_ctx.AddLogLine(LogTag::Unpack +
                             m_ctx.LangText(Text::EntryFailed,
                                            {move.to, error == ENAMETOOLONG
                                                          ? m_ctx.LangText(Text::PathTooLong)
                                                          : m_ctx.LangText(Text::CreateFailed)}));
            return false;
        }
        done << move;
    }
    for (const StagedEntry &entry : std::as_const(m_tree)) {
        if (entry.kind != StagedEntry::Kind::Folder)
            m_published << m_destination + entry.name;
    }
    // The folders moved in get their own mode, the deepest first; folders that were there
    // already keep theirs.
    for (auto it = m_tree.crbegin(); it != m_tree.crend(); ++it) {
        if (it->kind == StagedEntry::Kind::Folder && !m_mergedFolders.contains(it->name) &&
            it->mode != (it->mode | unsigned(S_IRWXU)))
            ::chmod(Encoded(m_destination + it->name).constData(), it->mode);
    }
    return true;
}
