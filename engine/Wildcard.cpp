#include "engine/Wildcard.h"

#include <vector>

#include "engine/EngineContext.h"
#include "engine/TextNumbers.h"

namespace {

bool IsWildcard(QChar c)
{
    return c == QLatin1Char('*') || c == QLatin1Char('?') || c == QLatin1Char('#');
}

// One wildcard with the literal run that follows it up to the next wildcard.
struct Piece
{
    QChar wildcard;
    QString run;
};

class Matcher
{
public:
    Matcher(const QString &path, const std::vector<Piece> &pieces)
        : m_path(path), m_pieces(pieces),
          m_failed(pieces.size() * (static_cast<size_t>(path.size()) + 1), false)
    {
    }

    // Whether pieces from index on consume the path from position on exactly.
    bool matchFrom(size_t index, int position)
    {
        if (index == m_pieces.size())
            return position == m_path.size();
        // The outcome for a (piece, position) pair never changes, so a pair that failed once is
        // not tried again: this keeps patterns with many stars from taking exponential time.
        const size_t key = index * (static_cast<size_t>(m_path.size()) + 1) + position;
        if (m_failed[key])
            return false;
        const bool matched = tryPiece(index, position);
        if (!matched)
            m_failed[key] = true;
        return matched;
    }

private:
    bool tryPiece(size_t index, int position)
    {
        const Piece &piece = m_pieces[index];
        const bool last = index + 1 == m_pieces.size();
        const int remaining = m_path.size() - position;

        if (piece.wildcard == QLatin1Char('*')) {
            if (last)
                return QStringView(m_path).mid(position).endsWith(piece.run);
            // A star right before another wildcard has nothing to anchor on.
            if (piece.run.isEmpty())
                return false;
            // Leftmost occurrence first, then each later one that starts past the end of the
            // one before.
            int found = m_path.indexOf(piece.run, position);
            while (found >= 0) {
                if (matchFrom(index + 1, found + piece.run.size()))
                    return true;
                found = m_path.indexOf(piece.run, found + piece.run.size());
            }
            return false;
        }

        if (!last && piece.run.isEmpty())
            return false; // two wildcards side by side
        if (remaining < 1)
            return false;
        const QChar c = m_path.at(position);
        if (piece.wildcard == QLatin1Char('#') && (c < QLatin1Char('0') || c > QLatin1Char('9')))
            return false;
        const int after = position + 1;
        if (!QStringView(m_path).mid(after).startsWith(piece.run))
            return false;
        return matchFrom(index + 1, after + piece.run.size());
    }

    const QString &m_path;
    const std::vector<Piece> &m_pieces;
    std::vector<bool> m_failed;
};

} // namespace

bool MatchesWildcard(const QString &path, const QString &pattern)
{
    if (path.isEmpty())
        return false;

    int first = 0;
    while (first < pattern.size() && !IsWildcard(pattern.at(first)))
        ++first;
    if (first == pattern.size())
        return path == pattern;

    const QString prefix = pattern.left(first);
    if (!path.startsWith(prefix))
        return false;

    std::vector<Piece> pieces;
    for (int i = first; i < pattern.size();) {
        Piece piece{pattern.at(i), QString()};
        int end = i + 1;
        while (end < pattern.size() && !IsWildcard(pattern.at(end)))
            ++end;
        piece.run = pattern.mid(i + 1, end - i - 1);
        pieces.push_back(piece);
        i = end;
    }

    Matcher matcher(path, pieces);
    return matcher.matchFrom(0, prefix.size());
}

int FirstMatchingPattern(const QString &path, const QStringList &patterns)
{
    for (int i = 0; i < patterns.size(); ++i) {
        if (MatchesWildcard(path, patterns.at(i)))
            return i;
    }
    return -1;
}

bool IsInSkipList(EngineContext &ctx, const QString &path)
{
    const QStringList patterns = ctx.settings.SkipList();
    const int hit = FirstMatchingPattern(path, patterns);
    if (hit < 0)
        return false;
    ctx.AddLogLine(LogTag::Unpack + ctx.LangText(Text::SkipListHit, {path, patterns.at(hit)}));
    return true;
}

bool IsInDeleteList(EngineContext &ctx, const QString &path)
{
    return FirstMatchingPattern(path, ctx.settings.DeleteList()) >= 0;
}
