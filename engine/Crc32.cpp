#include "engine/Crc32.h"

#include <QFile>

#include <cerrno>
#include <condition_variable>
#include <fcntl.h>
#include <isa-l/crc.h>
#include <memory>
#include <mutex>
#include <thread>
#include <unistd.h>
#include <vector>

#include "engine/EngineContext.h"
#include "engine/Errors.h"

namespace {
constexpr qint64 BlockSize = 65521;
constexpr int BlocksPerSlot = 16;
constexpr int SlotCount = 4;

// Reads a file in 65521-byte blocks on a second thread while the caller checks the blocks read
// before. Copying a block out of the page cache takes about as long as its CRC, so doing both on
// one thread ran at little more than half the speed of reading alone; side by side, a check runs
// at the speed of the slower of the two. Blocks are handed over some sixteen at a time, because
// waking the other thread for every block would cost more than the block itself.
class ReadAhead
{
public:
    struct Slot
    {
        // Left uninitialised: zero-filling 4 MiB of slots for every file made lists of many
        // small files spend their time in the kernel clearing pages that are never read into.
        std::unique_ptr<unsigned char[]> data{new unsigned char[BlockSize * BlocksPerSlot]};
        std::vector<qint64> blocks; // the size of every read, in order
        bool end = false;
        int error = 0;
    };

    explicit ReadAhead(int fd) : m_fd(fd), m_slots(SlotCount)
    {
        m_thread = std::thread([this] { readAll(); });
    }
    ~ReadAhead()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }
    ReadAhead(const ReadAhead &) = delete;
    ReadAhead &operator=(const ReadAhead &) = delete;

    // The next slot in file order, once it has been read.
    const Slot &next()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [this] { return m_filled > 0; });
        return m_slots[m_taken];
    }
    // Gives the slot returned by next() back for reading.
    void release()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_taken = (m_taken + 1) % SlotCount;
            --m_filled;
        }
        m_changed.notify_all();
    }

private:
    void readAll()
    {
        for (int index = 0;; index = (index + 1) % SlotCount) {
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_changed.wait(lock, [this] { return m_stop || m_filled < SlotCount; });
                if (m_stop)
                    return;
            }
            Slot &slot = m_slots[index];
            slot.blocks.clear();
            qint64 size = 0;
            while (int(slot.blocks.size()) < BlocksPerSlot) {
                const ssize_t got = ::read(m_fd, slot.data.get() + size, BlockSize);
                if (got < 0 && errno == EINTR)
                    continue;
                if (got < 0) {
                    slot.error = errno;
                    break;
                }
                if (got == 0) {
                    slot.end = true;
                    break;
                }
                slot.blocks.push_back(got);
                size += got;
            }
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                ++m_filled;
            }
            m_changed.notify_all();
            if (slot.end || slot.error)
                return;
        }
    }

    const int m_fd;
    std::vector<Slot> m_slots;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_filled = 0; // slots read and not yet released
    int m_taken = 0;  // the slot next() returns
    bool m_stop = false;
    std::thread m_thread;
};

} // namespace

QString FileCrc32(EngineContext &ctx, const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    // The whole file is read once from start to end: a larger read-ahead keeps the disk busy.
    posix_fadvise(file.handle(), 0, 0, POSIX_FADV_SEQUENTIAL);

    ReadAhead reader(file.handle());
    std::uint32_t crc = 0; // crc32_gzip_refl complements on the way in and out
    for (;;) {
        const ReadAhead::Slot &slot = reader.next();
        const unsigned char *block = slot.data.get();
        for (const qint64 got : slot.blocks) {
            crc = crc32_gzip_refl(crc, block, static_cast<std::uint64_t>(got));
            block += got;
            ctx.platform.processEvents();
        }
        if (slot.error)
            throw TevoError(QStringLiteral("%1: %2").arg(path, qt_error_string(slot.error)));
        const bool end = slot.end;
        reader.release();
        if (end)
            break;
    }
    return QStringLiteral("%1").arg(crc, 8, 16, QLatin1Char('0')).toUpper();
}
