#include "engine/StagingFolder.h"

#include <cerrno>
#include <fcntl.h>
#include <QFile>
#include <QRegularExpression>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/FolderEntries.h"
#include "engine/GeneralFuncs.h"

namespace {

const char kPrefix[] = ".tevo-staging-";
// The first line of every lock file: a staging folder without it is not Tevo's.
const QByteArray kMarker =
    QByteArrayLiteral("Tevo staging folder, removed when its lock is free\n");

// Opens the lock file of a staging folder without following a link; -1 when it is not a regular
// file of this user.
int OpenOwnLockFile(const QString &path, int flags)
{
    const int fd =
        ::open(QFile::encodeName(path).constData(), flags | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return -1;
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::getuid()) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Whether the staging folder at path is a dead one of Tevo's; on true, fd holds its lock, which
// the caller keeps until the folder is gone.
bool IsDeadStagingFolder(const QString &path, int &fd)
{
    struct stat info;
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        info.st_uid != ::getuid())
        return false;
    fd = OpenOwnLockFile(path + QLatin1String("/lock"), O_RDONLY);
    if (fd < 0)
        return false;
    QByteArray head(kMarker.size(), '\0');
    const bool marked =
        ::pread(fd, head.data(), size_t(head.size()), 0) == head.size() && head == kMarker;
    if (marked && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
        return true;
    ::close(fd);
    fd = -1;
    return false;
}

} // namespace

StagingFolder::StagingFolder(const QString &destination)
{
    QByteArray pattern = QFile::encodeName(WithSlash(destination)) + kPrefix + "XXXXXX";
    if (!::mkdtemp(pattern.data())) {
        m_error = errno;
        return;
    }
    m_path = QFile::decodeName(pattern) + QLatin1Char('/');
    const int fd = OpenOwnLockFile(m_path + QLatin1String("lock"), O_RDWR | O_CREAT | O_EXCL);
    const bool locked = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
                        ::write(fd, kMarker.constData(), size_t(kMarker.size())) == kMarker.size();
    if (!locked || ::mkdir(QFile::encodeName(tree()).constData(), 0700) != 0 ||
        ::mkdir(QFile::encodeName(replaced()).constData(), 0700) != 0) {
        m_error = errno ? errno : EIO;
        if (fd >= 0)
            ::close(fd);
        RemoveTree(m_path);
        return;
    }
    m_lockFd = fd;
}

StagingFolder::~StagingFolder()
{
    if (m_lockFd < 0)
        return;
    RemoveTree(m_path);
    ::close(m_lockFd);
}

bool IsStagingFolderName(const QString &name)
{
    static const QRegularExpression shape(QStringLiteral("^\\.tevo-staging-[A-Za-z0-9]{6}$"));
    return shape.match(name).hasMatch();
}

int RemoveDeadStagingFolders(const QString &destination)
{
    int removed = 0;
    for (const FolderEntry &entry : ListFolderEntries(destination)) {
        if (entry.kind != FolderEntry::Kind::Folder || !IsStagingFolderName(entry.name))
            continue;
        const QString path = WithSlash(destination) + entry.name;
        int fd = -1;
        if (!IsDeadStagingFolder(path, fd))
            continue;
        if (RemoveTree(path))
            ++removed;
        ::close(fd);
    }
    return removed;
}

bool RemoveTree(const QString &folder)
{
    const QByteArray encoded = QFile::encodeName(folder);
    struct stat info;
    if (::lstat(encoded.constData(), &info) != 0)
        return errno == ENOENT;
    if (!S_ISDIR(info.st_mode))
        return ::unlink(encoded.constData()) == 0;
    // A folder stored without read or search permission could not be emptied.
    if ((info.st_mode & S_IRWXU) != S_IRWXU)
        ::chmod(encoded.constData(), (info.st_mode & 07777) | S_IRWXU);
    const QString prefix = WithSlash(folder);
    for (const FolderEntry &entry : ListFolderEntries(folder)) {
        if (entry.kind == FolderEntry::Kind::Folder)
            RemoveTree(prefix + entry.name);
        else
            ::unlink(QFile::encodeName(prefix + entry.name).constData());
    }
    return ::rmdir(encoded.constData()) == 0;
}
