#include "engine/Crc32.h"

#include <QFile>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <fcntl.h>
#include <isa-l/crc.h>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <zlib.h>

#include "engine/EngineContext.h"
#include "engine/Errors.h"

namespace {
constexpr qint64 BlockSize = 65521;
// A file is checked in pieces of sixteen blocks, each piece by whichever thread is free.
constexpr qint64 PieceSize = BlockSize * 16;
// Smaller files are checked on the calling thread alone: starting a helper would cost more.
constexpr qint64 SharedCheckMinimum = PieceSize * 4;
constexpr qint64 NoEnd = std::numeric_limits<qint64>::max();

struct PieceCrc
{
    std::uint32_t crc = 0; // crc32_gzip_refl complements on the way in and out
    qint64 length = 0;
    int error = 0;
};

// Appends a piece to the CRC of the pieces before it; false when the piece hit a read error,
// which then becomes the whole's.
bool appendPiece(PieceCrc &whole, const PieceCrc &piece)
{
    if (piece.error) {
        whole.error = piece.error;
        return false;
    }
    whole.crc = std::uint32_t(crc32_combine(whole.crc, piece.crc, piece.length));
    whole.length += piece.length;
    return true;
}

// Reads the piece at `index` in 65521-byte blocks and returns its CRC. A piece shorter than
// PieceSize ends the file. Calls afterBlock() after every block.
template <typename AfterBlock>
PieceCrc checkPiece(int fd, qint64 index, unsigned char *buffer, AfterBlock afterBlock)
{
    PieceCrc piece;
    const qint64 start = index * PieceSize;
    while (piece.length < PieceSize) {
        const qint64 wanted = std::min(BlockSize, PieceSize - piece.length);
        const ssize_t got = ::pread(fd, buffer, size_t(wanted), off_t(start + piece.length));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            piece.error = errno;
            break;
        }
        if (got == 0)
            break;
        piece.crc = crc32_gzip_refl(piece.crc, buffer, std::uint64_t(got));
        piece.length += got;
        afterBlock();
    }
    return piece;
}

// Checks one file on two threads at once: the caller's and a helper's. Each takes the next
// unchecked piece, reads it into a buffer of its own and computes its CRC; the pieces' values
// are joined in file order at the end. Reading (a copy out of the page cache) and the CRC each
// take about as long as the other, so one thread doing both ran at half the speed of reading
// alone; two threads sharing the pieces keep up with it. Each thread reuses one small buffer
// that stays in its own cache, which is what makes a plain read loop fast.
class SharedCheck
{
public:
    explicit SharedCheck(int fd) : m_fd(fd)
    {
        m_helper = std::thread([this] {
            const std::unique_ptr<unsigned char[]> buffer(new unsigned char[BlockSize]);
            work(buffer.get(), [] {});
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_helperDone = true;
            }
            m_changed.notify_all();
        });
    }
    ~SharedCheck()
    {
        m_end.store(-1); // a caller leaving early (an exception) stops the helper at its next piece
        m_helper.join();
    }
    SharedCheck(const SharedCheck &) = delete;
    SharedCheck &operator=(const SharedCheck &) = delete;

    // Takes pieces on the calling thread until none is left, then waits for the helper's last
    // one, letting the window handle its events all along.
    PieceCrc run(EngineContext &ctx)
    {
        const std::unique_ptr<unsigned char[]> buffer(new unsigned char[BlockSize]);
        const auto letWindowRun = [&ctx] { ctx.checkpoint.pump(); };
        // The first piece is always the caller's, so the window has its turns during every file.
        checkAndKeep(0, buffer.get(), letWindowRun);
        work(buffer.get(), letWindowRun);
        for (;;) {
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                if (m_changed.wait_for(lock, std::chrono::milliseconds(2),
                                       [this] { return m_helperDone; }))
                    break;
            }
            ctx.checkpoint.pump();
        }
        return joined();
    }

private:
    template <typename AfterBlock> void work(unsigned char *buffer, AfterBlock afterBlock)
    {
        for (;;) {
            const qint64 index = m_nextPiece.fetch_add(1);
            if (index > m_end.load())
                return;
            checkAndKeep(index, buffer, afterBlock);
        }
    }

    template <typename AfterBlock>
    void checkAndKeep(qint64 index, unsigned char *buffer, AfterBlock afterBlock)
    {
        const PieceCrc piece = checkPiece(m_fd, index, buffer, afterBlock);
        if (piece.error || piece.length < PieceSize) {
            qint64 end = m_end.load();
            while (index < end && !m_end.compare_exchange_weak(end, index)) {
            }
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        m_pieces[index] = piece;
    }

    // The CRC of pieces 0 up to the end of the file, or the first read error on the way there.
    PieceCrc joined() const
    {
        PieceCrc whole;
        const qint64 end = m_end.load();
        for (auto it = m_pieces.begin(); it != m_pieces.end() && it->first <= end; ++it) {
            if (!appendPiece(whole, it->second))
                break;
        }
        return whole;
    }

    const int m_fd;
    std::atomic<qint64> m_nextPiece{1}; // the helper starts at the second piece
    std::atomic<qint64> m_end{NoEnd};   // the index of the first piece that ends the file
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::map<qint64, PieceCrc> m_pieces;
    bool m_helperDone = false;
    std::thread m_helper;
};

// Checks the whole file on the calling thread, one piece after another.
PieceCrc checkAlone(EngineContext &ctx, int fd)
{
    const std::unique_ptr<unsigned char[]> buffer(new unsigned char[BlockSize]);
    PieceCrc whole;
    for (qint64 index = 0;; ++index) {
        const PieceCrc piece =
            checkPiece(fd, index, buffer.get(), [&ctx] { ctx.checkpoint.pump(); });
        if (!appendPiece(whole, piece) || piece.length < PieceSize)
            return whole;
    }
}

bool worthSharing(int fd)
{
    struct stat status = {};
    return std::thread::hardware_concurrency() > 1 && ::fstat(fd, &status) == 0 &&
           S_ISREG(status.st_mode) && status.st_size >= SharedCheckMinimum;
}

} // namespace

QString FileCrc32(EngineContext &ctx, const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const int fd = file.handle();
    // The whole file is read once from start to end: a larger read-ahead keeps the disk busy.
    posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);

    PieceCrc whole;
    if (worthSharing(fd)) {
        SharedCheck check(fd);
        whole = check.run(ctx);
    } else {
        whole = checkAlone(ctx, fd);
    }
    if (whole.error)
        throw TevoError(QStringLiteral("%1: %2").arg(path, qt_error_string(whole.error)));
    return QStringLiteral("%1").arg(whole.crc, 8, 16, QLatin1Char('0')).toUpper();
}
