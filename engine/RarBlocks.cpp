#include "engine/RarBlocks.h"

#include <QByteArray>
#include <QFile>

#include "engine/RarBytes.h"

namespace {

using namespace RarBytes;

// Far above any real header (a file header with a long name and its extra records).
constexpr quint64 kMaxHeaderSize = 256 * 1024;

// Reads the headers through a window of the file: the headers of small entries lie close
// together, and reading each one with a seek of its own cost a set of thousands of files two
// system calls per header.
class HeaderReader
{
public:
    explicit HeaderReader(QFile &file) : m_file(file) {}

    QByteArray readAt(qint64 at, qint64 size)
    {
        if (at < m_windowAt || at + size > m_windowAt + m_window.size()) {
            m_window.clear();
            if (!m_file.seek(at))
                return QByteArray();
            m_window = m_file.read(qMax(size, kWindowSize));
            m_windowAt = at;
        }
        const qint64 offset = at - m_windowAt;
        return m_window.mid(offset, qMin(size, qint64(m_window.size()) - offset));
    }

private:
    static constexpr qint64 kWindowSize = 16 * 1024;
    QFile &m_file;
    qint64 m_windowAt = 0;
    QByteArray m_window;
};

// Type, flags, [extra area size], [data size]: the fields every RAR 5 header begins with.
bool ParseRar5Common(RarBlock &block)
{
    const uchar *p = block.fields;
    if (!ReadVint(p, block.end, block.type) || !ReadVint(p, block.end, block.flags))
        return false;
    if ((block.flags & 0x1) && !ReadVint(p, block.end, block.extraSize))
        return false;
    if ((block.flags & 0x2) && !ReadVint(p, block.end, block.dataSize))
        return false;
    if (block.extraSize > quint64(block.end - p))
        return false;
    block.fields = p;
    return true;
}

// How reading one block ended: read whole, cut short by the end of the file, or not readable.
enum class BlockRead { Whole, Cut, Bad };

// CRC32, header size (a variable-length number), then the header, which the CRC covers.
BlockRead ReadRar5Block(HeaderReader &reader, QByteArray &header, RarBlock &block)
{
    const QByteArray start = reader.readAt(block.at, 7);
    const auto *s = reinterpret_cast<const uchar *>(start.constData());
    const uchar *p = s + 4;
    quint64 headerSize = 0;
    if (start.size() != 7 || !ReadVint(p, s + 7, headerSize) || headerSize == 0 ||
        headerSize > kMaxHeaderSize)
        return BlockRead::Bad;
    const qint64 total = (p - s) + qint64(headerSize);
    header = reader.readAt(block.at, total);
    if (header.size() != total)
        return BlockRead::Cut;
    block.header = reinterpret_cast<const uchar *>(header.constData());
    block.end = block.header + total;
    block.fields = block.header + (p - s);
    block.crcOk = Crc(block.header + 4, total - 4) == Le32(block.header);
    if (!block.crcOk || !ParseRar5Common(block))
        return BlockRead::Bad;
    block.dataAt = block.at + total;
    return BlockRead::Whole;
}

// The data size of a RAR 4 block: the added size of long blocks, with the high half that large
// file and service headers carry.
quint64 Rar4DataSize(const uchar *d, qint64 headSize, quint64 type, quint64 flags)
{
    if (!(flags & 0x8000) || headSize < 11)
        return 0;
    quint64 size = Le32(d + 7);
    if ((type == 0x74 || type == 0x7A) && (flags & 0x100) && headSize >= 36)
        size += quint64(Le32(d + 32)) << 32;
    return size;
}

// CRC16, type, flags, header size, then the rest of the header.
BlockRead ReadRar4Block(HeaderReader &reader, QByteArray &header, RarBlock &block)
{
    const QByteArray base = reader.readAt(block.at, 7);
    if (base.size() != 7)
        return BlockRead::Bad;
    const auto *b = reinterpret_cast<const uchar *>(base.constData());
    const quint16 headSize = Le16(b + 5);
    if (headSize < 7)
        return BlockRead::Bad;
    header = reader.readAt(block.at, headSize);
    if (header.size() != headSize)
        return BlockRead::Cut;
    block.header = reinterpret_cast<const uchar *>(header.constData());
    block.end = block.header + headSize;
    block.type = b[2];
    block.flags = Le16(b + 3);
    block.crcOk = Le16(block.header) == quint16(Crc(block.header + 2, headSize - 2));
    block.dataAt = block.at + headSize;
    block.dataSize = Rar4DataSize(block.header, headSize, block.type, block.flags);
    return BlockRead::Whole;
}

} // namespace

RarWalkEnd WalkRarBlocks(QFile &file, bool rar5, int maxHeaders,
                         const std::function<bool(const RarBlock &)> &take)
{
    RarWalkEnd walk;
    const qint64 fileSize = file.size();
    HeaderReader reader(file);
    qint64 at = rar5 ? 8 : 7;
    walk.headCut = fileSize < at + 7;
    for (int count = 0; count < maxHeaders && at + 7 <= fileSize; ++count) {
        QByteArray header;
        RarBlock block;
        block.at = at;
        const BlockRead read =
            rar5 ? ReadRar5Block(reader, header, block) : ReadRar4Block(reader, header, block);
        if (read != BlockRead::Whole) {
            walk.headCut = read == BlockRead::Cut && count == 0;
            return walk;
        }
        block.dataInFile = block.dataSize <= quint64(fileSize - block.dataAt);
        // Data running past the end: the volume is cut short or still being written.
        if (!take(block) || !block.dataInFile)
            return walk;
        at = block.dataAt + qint64(block.dataSize);
    }
    return walk;
}
