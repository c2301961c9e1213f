#pragma once
// tevo-cli's terminal: the log on standard output, errors and questions on standard error, and
// while standard error is a terminal one progress line there, rewritten in place.

#include <functional>

#include <QElapsedTimer>
#include <QString>

#include "engine/Dialogs.h"
#include "engine/JobView.h"
#include "engine/LogSink.h"
#include "JsonEvents.h"

class Console
{
public:
    explicit Console(bool progressLine);

    void logLine(const QString &line);
    void errorLine(const QString &line);
    // Whether a progress line is to be shown now: standard error is a terminal, and none was
    // shown in the last tenth of a second.
    bool progressDue() const;
    // Shows the progress line in place of the last one.
    void progress(const QString &line);
    void clearProgress();

private:
    bool m_progressLine;
    bool m_progressShown = false;
    QElapsedTimer m_sinceProgress;
};

// The log on standard output; with --json the events take its place and the log is left out.
class ConsoleLog : public LogSink
{
public:
    ConsoleLog(Console &console, bool shown) : m_console(console), m_shown(shown) {}
    void appendLogLine(const QString &line) override
    {
        if (m_shown)
            m_console.logLine(line);
    }

private:
    Console &m_console;
    bool m_shown;
};

// The progress display as one line: current file, its share done, and the window's progress text
// (sizes, speed, time left).
class ConsoleJobView : public JobView
{
public:
    // With json, the progress also goes there as events.
    ConsoleJobView(Console &console, JsonEvents *json) : m_console(console), m_json(json) {}
    void setProgressEnabled(bool enabled) override;
    void setProgressRange(int maximum) override;
    void setProgressPosition(int position) override;
    void setCurrentFileText(const QString &text) override;
    void setProgressText(const QString &text) override;
    void setBytesDone(qint64 done) override;
    void setApplicationTitle(const QString &) override {}
    void setRunControlsLocked(bool) override {}
    void showTab(WindowTab) override {}
    // The queue and the input folder live in the settings, which tevo-cli never saves: the
    // "clear queue" action has nothing to clear.
    void clearQueue() override {}
    void clearInputFolder() override {}
    void requestClose() override {}

private:
    void show();

    Console &m_console;
    JsonEvents *m_json;
    bool m_enabled = false;
    int m_maximum = 0;
    // The speed over the current step: bytes and time at its first report, and now.
    QElapsedTimer m_stepClock;
    qint64 m_stepFirstBytes = -1;
    qint64 m_bytes = 0;
    int m_position = 0;
    QString m_file;
    QString m_text;
};

// Message boxes, and the errors kept out of them, become lines on standard error; the question
// before the deletion after all sets is answered Yes only when the user said so. Nothing is ever
// chosen from a browser.
class ConsoleDialogs : public Dialogs
{
public:
    // stamp gives the time stamp that starts each line, as in the log.
    ConsoleDialogs(Console &console, bool answerYes, std::function<QString()> stamp)
        : m_console(console), m_answerYes(answerYes), m_stamp(std::move(stamp))
    {
    }
    MessageAnswer messageBox(const QString &text, const QString &caption, MessageIcon icon,
                             MessageButtons buttons) override;
    // tevo-cli has no boxes to suppress: an error reaches standard error whatever the settings.
    void errorWithoutBox(const QString &text) override;
    QString chooseFolder(const QString &, const QString &) override { return {}; }
    QString chooseOpenFile(const QString &, const QString &, const QString &,
                           const QString &) override
    {
        return {};
    }
    QString chooseSaveFile(const QString &, const QString &, const QString &,
                           const QString &) override
    {
        return {};
    }
    std::optional<QString> inputBox(const QString &, const QString &, const QString &) override
    {
        return std::nullopt;
    }

    // How many error boxes there would have been.
    int errorsShown() const { return m_errors; }

private:
    Console &m_console;
    bool m_answerYes;
    std::function<QString()> m_stamp;
    int m_errors = 0;
};
