#pragma once
// The walk over the header blocks of a RAR file, seeking over their data: what every reader of
// RAR headers without libunrar builds on.

#include <functional>
#include <QtGlobal>

class QFile;

// One header block as the walk finds it.
struct RarBlock
{
    // Where the header begins in the file, and where its data begins and how long it is.
    qint64 at = 0;
    qint64 dataAt = 0;
    quint64 dataSize = 0;
    // The data ends within the file; when it does not, the walk ends after this block.
    bool dataInFile = false;
    // RAR 5: 1 main, 2 file, 3 service, 4 encryption, 5 end. RAR 4: the type byte (0x73 main,
    // 0x74 file, 0x7A service, 0x7B end).
    quint64 type = 0;
    quint64 flags = 0;
    // The whole header, its CRC first.
    const uchar *header = nullptr;
    const uchar *end = nullptr;
    // RAR 5: the fields of the header's type, and its extra area (at its end).
    const uchar *fields = nullptr;
    quint64 extraSize = 0;
    // The header's own checksum matches (RAR 5 blocks are walked only when it does).
    bool crcOk = false;
};

// What the walk saw besides the blocks it handed over.
struct RarWalkEnd
{
    // The file ends inside its first header (a download cut short).
    bool headCut = false;
};

// Calls take for each header of the RAR 5 (rar5) or RAR 1.5-4 file, from the first after the
// signature, up to maxHeaders of them; false from take ends the walk. A RAR 5 header whose
// checksum is wrong or that cannot be parsed ends it, and so does a block whose data runs past
// the end of the file, after it is handed over. RAR 4 headers are handed over whatever their
// checksum says (crcOk tells).
RarWalkEnd WalkRarBlocks(QFile &file, bool rar5, int maxHeaders,
                         const std::function<bool(const RarBlock &)> &take);
