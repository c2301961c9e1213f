// The PAR2 reader on arbitrary bytes: it ends, within its bounds, and what it gives is a list of
// distinct, named descriptions with whole hashes.

#include <cstddef>
#include <cstdint>
#include <QBuffer>
#include <QByteArray>
#include <QSet>

#include "engine/Par2Files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<int>(size));
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::ReadOnly))
        __builtin_trap();
    const QList<Par2FileDescription> files = ReadPar2Descriptions(buffer);
    if (files.size() > Par2MostPackets)
        __builtin_trap();
    QSet<QString> names;
    for (const Par2FileDescription &file : files) {
        if (file.name.isEmpty() || names.contains(file.name) || file.size < 0 ||
            file.hash.size() != 16 || file.hash16KiB.size() != 16)
            __builtin_trap();
        names.insert(file.name);
    }
    // Every description needs a whole packet of at least 120 bytes.
    if (qsizetype(files.size()) * 120 > bytes.size())
        __builtin_trap();
    return 0;
}
