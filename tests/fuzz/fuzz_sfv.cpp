// The SFV reader on arbitrary bytes: never fails, and every entry is one clean line.

#include <cstddef>
#include <cstdint>
#include <QByteArray>

#include "engine/SfvCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray content(reinterpret_cast<const char *>(data), static_cast<int>(size));
    for (const SfvEntry &entry : ParseSfv(content)) {
        const QString line = entry.name + entry.expectedCrc;
        if (line.contains(QLatin1Char('\r')) || line.contains(QLatin1Char('\n')))
            __builtin_trap();
        if (entry.name.contains(QLatin1Char(' ')) || entry.expectedCrc.contains(QLatin1Char(' ')))
            __builtin_trap();
        if (!entry.hasBlank && (entry.name.isEmpty() || !entry.expectedCrc.isEmpty()))
            __builtin_trap();
        if (entry.name.startsWith(QLatin1Char(';')))
            __builtin_trap();
        // A name that could reach outside the folder is never resolved to a path.
        const QString path = SfvEntryPath(QStringLiteral("/nonexistent-tevo-fuzz/"), entry.name);
        if (!path.isEmpty() && (entry.name.startsWith(QLatin1Char('/')) ||
                                entry.name.split(QLatin1Char('/')).contains(QLatin1String(".."))))
            __builtin_trap();
    }
    return 0;
}
