// Wildcard matching on arbitrary paths and patterns: answers quickly, keeps its own rules, and
// agrees with a plain step-by-step transcription of them.

#include <cstddef>
#include <cstdint>
#include <QString>

#include "engine/Wildcard.h"

namespace {

bool isWildcard(QChar c)
{
    return c == QLatin1Char('*') || c == QLatin1Char('?') || c == QLatin1Char('#');
}

// The same rules transcribed step by step, without the look-up table that keeps the real one
// fast: literal prefix, then pieces left to right; a star before further pieces tries the
// leftmost occurrence of its run and then each one beginning past the end of the one before.
bool piecesMatch(const QString &path, int position, const QString &pattern, int index)
{
    if (index == pattern.size())
        return position == path.size();
    const QChar wildcard = pattern.at(index);
    int end = index + 1;
    while (end < pattern.size() && !isWildcard(pattern.at(end)))
        ++end;
    const QString run = pattern.mid(index + 1, end - index - 1);
    const bool last = end == pattern.size();
    if (run.isEmpty() && !last)
        return false;
    if (wildcard == QLatin1Char('*')) {
        if (last)
            return path.size() - position >= run.size() && path.endsWith(run);
        for (int found = path.indexOf(run, position); found >= 0;
             found = path.indexOf(run, found + run.size())) {
            if (piecesMatch(path, found + run.size(), pattern, end))
                return true;
        }
        return false;
    }
    if (position >= path.size())
        return false;
    const QChar c = path.at(position);
    if (wildcard == QLatin1Char('#') && !(c >= QLatin1Char('0') && c <= QLatin1Char('9')))
        return false;
    if (QStringView(path).mid(position + 1, run.size()) != run)
        return false;
    return piecesMatch(path, position + 1 + run.size(), pattern, end);
}

bool referenceMatch(const QString &path, const QString &pattern)
{
    if (path.isEmpty())
        return false;
    int first = 0;
    while (first < pattern.size() && !isWildcard(pattern.at(first)))
        ++first;
    if (first == pattern.size())
        return path == pattern;
    if (!path.startsWith(pattern.left(first)))
        return false;
    return piecesMatch(path, first, pattern, first);
}

} // namespace

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
    // The transcription takes exponential time on many stars; compare where it is quick.
    if (pattern.count(QLatin1Char('*')) <= 3 && path.size() <= 64 &&
        matched != referenceMatch(path, pattern))
        __builtin_trap();
    return 0;
}
