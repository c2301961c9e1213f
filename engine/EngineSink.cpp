#include "engine/EngineSink.h"

#include <limits>

#include "engine/EngineContext.h"

namespace {

int ClampToInt(qint64 value)
{
    if (value > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    return value < 0 ? 0 : int(value);
}

} // namespace

void EngineSink::currentEntry(const QString &text)
{
    m_ctx.view.setCurrentFileText(text);
}

void EngineSink::progressRange(qint64 maximumKiB)
{
    m_ctx.view.setProgressRange(ClampToInt(maximumKiB));
}

void EngineSink::progress(qint64 doneKiB, const QString &text, const QString &title)
{
    m_ctx.view.setProgressPosition(ClampToInt(doneKiB));
    if (text.isEmpty())
        return;
    m_ctx.view.setBytesDone(doneKiB * 1024);
    m_ctx.view.setProgressText(text);
    if (!title.isEmpty())
        m_ctx.view.setApplicationTitle(title);
}

void EngineSink::logLine(const QString &text)
{
    m_ctx.AddLogLine(text);
}

void EngineSink::errorBox(const QString &text, const QString &caption)
{
    m_ctx.ReportError(text, true, caption);
}

bool EngineSink::question(const QString &text)
{
    return m_ctx.dialogs.messageBox(text, QStringLiteral("Question"), MessageIcon::Question,
                                    MessageButtons::YesNo) == MessageAnswer::Yes;
}

JobCheckpoint &EngineSink::checkpoint()
{
    return m_ctx.checkpoint;
}
