#include "engine/Par2Output.h"

#include <QRegularExpression>

namespace {

// par2 prints "Repairing: 45.2%", "Scanning: \"x.part2.rar\": 12.0%" and the like, each ended
// by a carriage return.
const QRegularExpression &Percentage()
{
    static const QRegularExpression pattern(
        QStringLiteral("^([A-Za-z ]+):.*?([0-9]+(\\.[0-9]+)?)%$"));
    return pattern;
}

} // namespace

void Par2Output::feed(const QByteArray &bytes)
{
    m_pending += bytes;
    qsizetype start = 0;
    for (qsizetype i = 0; i < m_pending.size(); ++i) {
        if (m_pending.at(i) != '\r' && m_pending.at(i) != '\n')
            continue;
        takeLine(QString::fromLocal8Bit(m_pending.mid(start, i - start)));
        start = i + 1;
    }
    m_pending.remove(0, start);
    // A line without an end for this long is no line par2 writes; keep its end only.
    if (m_pending.size() > 4 * LongestLine)
        m_pending.remove(0, m_pending.size() - LongestLine);
}

void Par2Output::finish()
{
    takeLine(QString::fromLocal8Bit(m_pending));
    m_pending.clear();
}

std::optional<Par2Progress> Par2Output::takeProgress()
{
    std::optional<Par2Progress> progress;
    progress.swap(m_progress);
    return progress;
}

QStringList Par2Output::reasons() const
{
    QStringList why;
    for (const QString &text : m_lines) {
        if (text.startsWith(QLatin1String("Repair is not")) ||
            text.startsWith(QLatin1String("You need")) || text.contains(QLatin1String("missing")) ||
            text.contains(QLatin1String("damaged")))
            why << text;
    }
    return why;
}

void Par2Output::takeLine(const QString &line)
{
    const QString text = line.trimmed();
    if (text.isEmpty())
        return;
    const QRegularExpressionMatch match = Percentage().match(text);
    if (match.hasMatch()) {
        m_progress = Par2Progress{match.captured(1).trimmed(), match.captured(2)};
        return;
    }
    m_lines << text.left(LongestLine);
    if (m_lines.size() > KeptLines)
        m_lines.removeFirst();
}
