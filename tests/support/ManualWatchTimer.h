#pragma once
// A watch timer that only keeps its state; the test calls the tick handler when it wants a tick.

#include "jobs/WatchTimer.h"

class ManualWatchTimer : public WatchTimer
{
public:
    void start(int intervalMs) override
    {
        m_interval = intervalMs;
        m_active = true;
        ++starts;
    }
    void stop() override { m_active = false; }
    bool isActive() const override { return m_active; }
    int interval() const override { return m_interval; }

    int starts = 0;

private:
    bool m_active = false;
    int m_interval = 0;
};
