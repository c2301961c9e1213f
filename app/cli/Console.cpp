#include "Console.h"

#include <cstdio>

#include "engine/GeneralFuncs.h"

namespace {

void writeLine(std::FILE *stream, const QString &line)
{
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

Console::Console(bool progressLine) : m_progressLine(progressLine) {}

void Console::logLine(const QString &line)
{
    clearProgress();
    writeLine(stdout, line);
}

void Console::errorLine(const QString &line)
{
    clearProgress();
    writeLine(stderr, line);
}

bool Console::progressDue() const
{
    return m_progressLine && !(m_progressShown && m_sinceProgress.elapsed() < 100);
}

void Console::progress(const QString &line)
{
    m_sinceProgress.start();
    // Carriage return, the line, and erase to the end of the terminal line.
    const QByteArray bytes = "\r" + line.toUtf8() + "\x1b[K";
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
    std::fflush(stderr);
    m_progressShown = true;
}

void Console::clearProgress()
{
    if (!m_progressShown)
        return;
    std::fputs("\r\x1b[K", stderr);
    std::fflush(stderr);
    m_progressShown = false;
}

void ConsoleJobView::setProgressEnabled(bool enabled)
{
    m_enabled = enabled;
    if (!enabled)
        m_console.clearProgress();
}

void ConsoleJobView::setProgressRange(int maximum)
{
    // A new range is a new step (a ZIP file, an SFV list, an archive set): its speed starts anew.
    m_maximum = maximum;
    m_stepFirstBytes = -1;
}

void ConsoleJobView::setBytesDone(qint64 done)
{
    if (m_stepFirstBytes < 0 || done < m_stepFirstBytes) {
        m_stepFirstBytes = done;
        m_stepClock.start();
    }
    m_bytes = done;
}

void ConsoleJobView::setProgressPosition(int position)
{
    if (position == m_position)
        return;
    m_position = position;
    show();
}

void ConsoleJobView::setCurrentFileText(const QString &text)
{
    m_file = text;
    show();
}

void ConsoleJobView::setProgressText(const QString &text)
{
    if (text == m_text)
        return;
    m_text = text;
    show();
}

void ConsoleJobView::show()
{
    if (m_enabled && m_json && m_maximum > 0)
        m_json->progress(m_file, int(qint64(m_position) * 100 / m_maximum), m_bytes);
    // Called for every block extracted: the line is put together only when it will be shown.
    if (!m_enabled || !m_console.progressDue())
        return;
    QString line = m_file;
    if (m_maximum > 0)
        line += QStringLiteral("  %1%").arg(qint64(m_position) * 100 / m_maximum);
    if (!m_text.isEmpty())
        line += QStringLiteral("  ") + QString(m_text).replace(QLatin1Char('\n'), QLatin1Char(' '));
    // The speed once a quarter of a second has gone by, so that the first block does not count
    // as a burst.
    const qint64 elapsedMs = m_stepFirstBytes >= 0 ? m_stepClock.elapsed() : 0;
    if (elapsedMs >= 250)
        line += QStringLiteral("  ") +
                FormatSize((m_bytes - m_stepFirstBytes) * 1000 / elapsedMs).trimmed() +
                QStringLiteral("/s");
    m_console.progress(line);
}

MessageAnswer ConsoleDialogs::messageBox(const QString &text, const QString &caption,
                                         MessageIcon icon, MessageButtons buttons)
{
    const QString oneLine = QString(text).replace(QLatin1Char('\n'), QLatin1Char(' '));
    if (buttons == MessageButtons::YesNo || buttons == MessageButtons::YesNoCancel) {
        const MessageAnswer answer = m_answerYes ? MessageAnswer::Yes : MessageAnswer::No;
        m_console.errorLine(QStringLiteral("%1: %2 %3")
                                .arg(caption, oneLine,
                                     m_answerYes ? QStringLiteral("Yes (--yes).")
                                                 : QStringLiteral("No (--yes answers Yes).")));
        return answer;
    }
    if (icon == MessageIcon::Error)
        ++m_errors;
    m_console.errorLine(QStringLiteral("%1 %2: %3").arg(m_stamp(), caption, oneLine));
    return buttons == MessageButtons::OkCancel ? MessageAnswer::Cancel : MessageAnswer::Ok;
}

void ConsoleDialogs::errorWithoutBox(const QString &text)
{
    ++m_errors;
    m_console.errorLine(
        QStringLiteral("%1 Error: %2")
            .arg(m_stamp(), QString(text).replace(QLatin1Char('\n'), QLatin1Char(' '))));
}
