#pragma once
// Watch mode: the Watch command and the timer that starts the Unpack command every few seconds.

#include <functional>
#include <memory>
#include <QObject>
#include <QSet>
#include <QString>

#include "jobs/WatchRound.h"
#include "jobs/WatchTimer.h"

class EngineContext;
class JobWindow;
class QTimer;
class SettingsModel;

class WatchMode : public QObject
{
    Q_OBJECT

public:
    // Ticks with the timer given (its own when null). runJob is the Unpack command: a tick runs
    // it when the input holds anything to work on.
    WatchMode(EngineContext &ctx, SettingsModel &settings, JobWindow &window, QTimer *timer,
              std::function<void()> runJob, QObject *parent = nullptr);
    ~WatchMode() override;

    // What a tick runs; by default whatever a click on Unpack (Button1) runs, also while the
    // button is disabled for watching, when the input holds anything to work on.
    void setUnpackCommand(std::function<void()> unpack) { m_unpack = std::move(unpack); }
    // Replaces Timer1 as the source of ticks (tests).
    void setTimer(std::unique_ptr<WatchTimer> timer);
    WatchTimer &timer() { return *m_timer; }
    // Whether watching is on: the timer runs.
    bool watching() const { return m_timer->isActive(); }

    // The Watch command: stops watching when the timer runs; otherwise starts it when the
    // caption says "Watch".
    void toggle();
    // Starts watching, whatever the caption says; false (after telling the user) when the
    // interval is no number of seconds or "Delete Files" is off.
    bool StartWatching();
    void StopWatching();
    // A tick starts the Unpack command unless a job runs; ticks during a job are dropped.
    void runRound();

    // The longest interval the timer takes, in seconds.
    static constexpr int MaxIntervalSeconds = 2147483;

private:
    EngineContext &m_ctx;
    SettingsModel &m_settings;
    JobWindow &m_window;
    std::unique_ptr<WatchTimer> m_timer;
    std::function<void()> m_unpack;
    WatchMemory m_memory; // what this watch session has named and tried
};
