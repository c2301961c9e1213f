#include "engine/ProgressText.h"

#include <limits>

#include "engine/GeneralFuncs.h"

QString ProgressSize(qint64 bytes)
{
    if (bytes <= 1024)
        return QString::number(qMax<qint64>(bytes, 0)) + QStringLiteral(" B");
    return FormatSize(bytes);
}

QString ProgressDuration(qint64 seconds)
{
    if (seconds <= 0)
        return QStringLiteral("0 s");
    const qint32 clamped =
        static_cast<qint32>(qMin<qint64>(seconds, std::numeric_limits<qint32>::max()));
    return FormatDuration(clamped).trimmed();
}

QString SizeProgressText(qint64 done, qint64 total)
{
    return ProgressSize(done) + QLatin1Char('/') + ProgressSize(qMax(done, total));
}

bool ProgressTextPace::due(qint64 wholePercent, std::uint32_t now)
{
    if (m_worded && wholePercent == m_percent && now - m_tick < m_interval)
        return false;
    m_worded = true;
    m_percent = wholePercent;
    m_tick = now;
    return true;
}
