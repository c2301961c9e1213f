#pragma once
// Watch mode: the Watch command and the timer that starts the Unpack command every few seconds.

#include <functional>
#include <memory>
#include <QObject>
#include <QSet>
#include <QString>

#include "jobs/WatchRound.h"
#include "jobs/WatchTimer.h"

class TForm1;

class WatchMode : public QObject
{
    Q_OBJECT

public:
    // Attaches itself to the window's Watch button and Timer1 and lives as long as the window.
    explicit WatchMode(TForm1 &form);
    ~WatchMode() override;

    // What a tick runs; by default whatever a click on Unpack (Button1) runs, also while the
    // button is disabled for watching, when the input holds anything to work on.
    void setUnpackCommand(std::function<void()> unpack) { m_unpack = std::move(unpack); }
    // Replaces Timer1 as the source of ticks (tests).
    void setTimer(std::unique_ptr<WatchTimer> timer);
    WatchTimer &timer() { return *m_timer; }
    // Whether watching is on: the timer runs.
    bool watching() const { return m_timer->isActive(); }

    // Watch (Button17): stops watching when the timer runs; otherwise starts it when the
    // caption says "Watch".
    void Button17Click();
    // A tick starts the Unpack command unless a job runs; ticks during a job are dropped.
    void Timer1Timer();

    // The longest interval the timer takes, in seconds.
    static constexpr int MaxIntervalSeconds = 2147483;

private:
    void startWatching();
    void stopWatching();

    TForm1 &m_form;
    std::unique_ptr<WatchTimer> m_timer;
    std::function<void()> m_unpack;
    WatchMemory m_memory; // what this watch session has named and tried
};
