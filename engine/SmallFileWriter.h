#pragma once
// Writes small files into a staging tree on a thread of its own, so that for a release of
// thousands of small files the file system's work overlaps the decoding of the next ones.

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <QByteArray>
#include <QSet>
#include <QString>
#include <sys/stat.h>
#include <thread>
#include <time.h>

// One file to write: its whole contents and what to set on it.
struct SmallFile
{
    // Relative to the tree, in the file system's encoding; its folders are made as needed.
    QByteArray path;
    QByteArray data;
    mode_t mode = 0600;
    // The modification time; the access time becomes the time of writing.
    timespec modified{0, UTIME_OMIT};
};

class SmallFileWriter
{
public:
    // What went wrong with the first file that could not be written.
    struct Failure
    {
        QByteArray path;
        int error = 0;
        // The file could not be made, as against written or finished.
        bool notCreated = false;
    };

    // The tree must be a fresh folder that only this process writes into, without links: files
    // and folders are made with O_EXCL and relative to it.
    explicit SmallFileWriter(const QString &tree);
    // Stops after the file being written; files still queued are dropped.
    ~SmallFileWriter();
    SmallFileWriter(const SmallFileWriter &) = delete;
    SmallFileWriter &operator=(const SmallFileWriter &) = delete;

    bool isValid() const { return m_tree >= 0; }
    // Queues a file. While more than a few MiB wait to be written it waits, calling whileWaiting
    // every few milliseconds. False once a file has failed; nothing is queued after that.
    bool add(SmallFile file, const std::function<void()> &whileWaiting);
    // Waits until every queued file is written, calling whileWaiting every few milliseconds.
    // False when one failed.
    bool finish(const std::function<void()> &whileWaiting);
    Failure failure() const;

private:
    void writerLoop();
    // On the writer thread: 0, or the errno of what failed.
    int write(const SmallFile &file, bool &notCreated);
    int makeFolders(const QByteArray &path);
    void waitUntil(std::unique_lock<std::mutex> &lock, const std::function<bool()> &done,
                   const std::function<void()> &whileWaiting);

    int m_tree = -1;
    mutable std::mutex m_mutex;
    std::condition_variable m_writerWake;
    std::condition_variable m_callerWake;
    // Guarded by m_mutex.
    std::deque<SmallFile> m_queue;
    qint64 m_queuedBytes = 0;
    bool m_writing = false;
    bool m_writerIdle = false;
    bool m_quit = false;
    bool m_failed = false;
    Failure m_failure;
    // The writer thread's own: folders known to be there.
    QSet<QByteArray> m_folders;
    std::thread m_thread;
};
