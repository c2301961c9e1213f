// Wildcard matching on arbitrary paths and patterns: answers quickly and keeps its own rules.

#include <cstddef>
#include <cstdint>
#include <QString>

#include "engine/Wildcard.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // The first NUL byte separates the path from the pattern.
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<int>(size));
    const int split = bytes.indexOf('\0');
    if (split < 0)
        return 0;
    const QString path = QString::fromUtf8(bytes.left(split));
    const QString pattern = QString::fromUtf8(bytes.mid(split + 1));
    const bool matched = MatchesWildcard(path, pattern);

    if (path.isEmpty() && matched)
        __builtin_trap();
    const bool hasWildcard = pattern.contains(QLatin1Char('*')) ||
                             pattern.contains(QLatin1Char('?')) ||
                             pattern.contains(QLatin1Char('#'));
    if (!hasWildcard && matched != (!path.isEmpty() && path == pattern))
        __builtin_trap();
    if (!path.isEmpty() && !MatchesWildcard(path, QStringLiteral("*")))
        __builtin_trap();
    // A pattern of literals and "?" matches exactly the paths of its length that agree with it.
    if (!pattern.contains(QLatin1Char('*')) && !pattern.contains(QLatin1Char('#')) &&
        !pattern.contains(QLatin1String("??")) && matched && path.size() != pattern.size())
        __builtin_trap();
    return 0;
}
