#include "engine/Crc32.h"

#include <QFile>

#include <isa-l/crc.h>
#include <vector>

#include "engine/EngineContext.h"
#include "engine/Errors.h"

namespace {
constexpr qint64 BlockSize = 65521;
}

QString FileCrc32(EngineContext &ctx, const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();

    std::vector<unsigned char> block(BlockSize);
    std::uint32_t crc = 0; // crc32_gzip_refl complements on the way in and out
    for (;;) {
        const qint64 got = file.read(reinterpret_cast<char *>(block.data()), BlockSize);
        if (got < 0)
            throw TevoError(QStringLiteral("%1: %2").arg(path, file.errorString()));
        if (got == 0)
            break;
        crc = crc32_gzip_refl(crc, block.data(), static_cast<std::uint64_t>(got));
        ctx.platform.processEvents();
    }
    return QStringLiteral("%1").arg(crc, 8, 16, QLatin1Char('0')).toUpper();
}
