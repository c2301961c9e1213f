#include "engine/StoredCopy.h"

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <isa-l/crc.h>
#include <memory>
#include <QFile>
#include <unistd.h>
#include <utility>
#include <zlib.h>

#include "engine/GeneralFuncs.h"

namespace {

// Large enough that the system calls cost little, small enough to stay in the caches while the
// CRC and the write pass over it.
constexpr qint64 kBlockSize = 1024 * 1024;

class Fd
{
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    int get() const { return m_fd; }
    // Closes the file now; false when the system reports an error writing it out.
    bool close()
    {
        const int fd = std::exchange(m_fd, -1);
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

// Copies one piece, adding its bytes to crc; the result's kind says how it ended.
StoredCopyResult::Kind CopyPiece(const StoredPiece &piece, int out, unsigned char *buffer,
                                 std::uint32_t &crc, const std::function<bool(qint64)> &afterBlock)
{
    const Fd in(::open(QFile::encodeName(piece.volume).constData(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0)
        return StoredCopyResult::ReadFailed;
    ::posix_fadvise(in.get(), piece.dataAt, piece.size, POSIX_FADV_SEQUENTIAL);
    for (qint64 done = 0; done < piece.size;) {
        const qint64 wanted = qMin(kBlockSize, piece.size - done);
        const ssize_t got = ::pread(in.get(), buffer, size_t(wanted), off_t(piece.dataAt + done));
        if (got < 0 && errno == EINTR)
            continue;
        // Nothing more where the headers promised data: the volume changed since.
        if (got <= 0)
            return StoredCopyResult::ReadFailed;
        crc = crc32_gzip_refl(crc, buffer, std::uint64_t(got));
        if (!WriteAll(out, reinterpret_cast<const char *>(buffer), got))
            return StoredCopyResult::WriteFailed;
        done += got;
        if (!afterBlock(got))
            return StoredCopyResult::Stopped;
    }
    return StoredCopyResult::Done;
}

} // namespace

StoredCopyResult CopyStoredPieces(const QList<StoredPiece> &pieces, const QString &target,
                                  const std::function<bool(qint64)> &afterBlock)
{
    StoredCopyResult result;
    Fd out(::open(QFile::encodeName(target).constData(),
                  O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (out.get() < 0) {
        result.kind = StoredCopyResult::CreateFailed;
        return result;
    }
    const std::unique_ptr<unsigned char[]> buffer(new unsigned char[kBlockSize]);
    std::uint32_t whole = 0;
    for (int i = 0; i < pieces.size(); ++i) {
        const StoredPiece &piece = pieces.at(i);
        std::uint32_t pieceCrc = 0;
        result.kind = CopyPiece(piece, out.get(), buffer.get(), pieceCrc, afterBlock);
        whole = std::uint32_t(crc32_combine(whole, pieceCrc, z_off_t(piece.size)));
        const bool last = i + 1 == pieces.size();
        if (result.kind == StoredCopyResult::Done && (last ? whole : pieceCrc) != piece.crc)
            result.kind = StoredCopyResult::Damaged;
        if (result.kind != StoredCopyResult::Done) {
            result.volume = piece.volume;
            return result;
        }
    }
    if (!out.close())
        result.kind = StoredCopyResult::WriteFailed;
    return result;
}
