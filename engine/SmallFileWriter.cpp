#include "engine/SmallFileWriter.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <QFile>
#include <unistd.h>

#include "engine/GeneralFuncs.h"

namespace {

// How much may wait to be written: enough to ride out a slow create, little beside a release.
constexpr qint64 kMaxQueuedBytes = 8 * 1024 * 1024;
// The writer is woken for a batch of files, not for each: a wake-up costs the caller a system
// call, about as much as the writer's work on one small file.
constexpr std::size_t kBatchFiles = 64;
constexpr qint64 kBatchBytes = 256 * 1024;
// How long a waiting caller goes without its whileWaiting call at most.
constexpr auto kWaitSlice = std::chrono::milliseconds(4);

} // namespace

SmallFileWriter::SmallFileWriter(const QString &tree)
{
    m_tree = ::open(QFile::encodeName(tree).constData(),
                    O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (m_tree >= 0)
        m_thread = std::thread([this] { writerLoop(); });
}

SmallFileWriter::~SmallFileWriter()
{
    if (m_tree < 0)
        return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_quit = true;
    }
    m_writerWake.notify_all();
    m_thread.join();
    ::close(m_tree);
}

void SmallFileWriter::writerLoop()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        if (!m_quit && m_queue.empty()) {
            m_writerIdle = true;
            m_writerWake.wait(lock, [this] { return m_quit || !m_queue.empty(); });
            m_writerIdle = false;
        }
        if (m_quit)
            return;
        const SmallFile file = std::move(m_queue.front());
        m_queue.pop_front();
        m_writing = true;
        lock.unlock();
        bool notCreated = false;
        const int error = write(file, notCreated);
        lock.lock();
        m_writing = false;
        m_queuedBytes -= file.data.size();
        if (error && !m_failed) {
            m_failed = true;
            m_failure = Failure{file.path, error, notCreated};
            m_queuedBytes = 0;
            m_queue.clear();
        }
        m_callerWake.notify_all();
    }
}

int SmallFileWriter::write(const SmallFile &file, bool &notCreated)
{
    notCreated = true;
    if (const int error = makeFolders(file.path))
        return error;
    // Mode 0600 until the file is whole; a name that is there already is not this file's.
    const int fd = ::openat(m_tree, file.path.constData(),
                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return errno;
    notCreated = false;
    int error = 0;
    const timespec times[2] = {{0, UTIME_NOW}, file.modified};
    if (!WriteAll(fd, file.data.constData(), file.data.size()) || ::fchmod(fd, file.mode) != 0 ||
        ::futimens(fd, times) != 0)
        error = errno;
    if (::close(fd) != 0 && !error)
        error = errno;
    return error;
}

// Makes the folders on the way to path that are not there yet, as libunrar does: with the
// process umask, their own modes coming with their entries.
int SmallFileWriter::makeFolders(const QByteArray &path)
{
    for (int at = path.indexOf('/'); at > 0; at = path.indexOf('/', at + 1)) {
        const QByteArray folder = path.left(at);
        if (m_folders.contains(folder))
            continue;
        if (::mkdirat(m_tree, folder.constData(), 0777) != 0) {
            struct stat info;
            if (errno != EEXIST)
                return errno;
            if (::fstatat(m_tree, folder.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0)
                return errno;
            if (!S_ISDIR(info.st_mode))
                return ENOTDIR;
        }
        m_folders.insert(folder);
    }
    return 0;
}

void SmallFileWriter::waitUntil(std::unique_lock<std::mutex> &lock,
                                const std::function<bool()> &done,
                                const std::function<void()> &whileWaiting)
{
    while (!done()) {
        if (m_callerWake.wait_for(lock, kWaitSlice, done))
            return;
        lock.unlock();
        whileWaiting();
        lock.lock();
    }
}

bool SmallFileWriter::add(SmallFile file, const std::function<void()> &whileWaiting)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_queuedBytes >= kMaxQueuedBytes)
        m_writerWake.notify_all();
    waitUntil(
        lock, [this] { return m_failed || m_queuedBytes < kMaxQueuedBytes; }, whileWaiting);
    if (m_failed)
        return false;
    m_queuedBytes += file.data.size();
    m_queue.push_back(std::move(file));
    const bool wake =
        m_writerIdle && (m_queue.size() >= kBatchFiles || m_queuedBytes >= kBatchBytes);
    lock.unlock();
    if (wake)
        m_writerWake.notify_all();
    return true;
}

bool SmallFileWriter::finish(const std::function<void()> &whileWaiting)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_writerWake.notify_all();
    waitUntil(
        lock, [this] { return m_failed || (m_queue.empty() && !m_writing); }, whileWaiting);
    return !m_failed;
}

SmallFileWriter::Failure SmallFileWriter::failure() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_failure;
}
