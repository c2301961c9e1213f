#pragma once
// The watch timer behind a small interface, so that tests deliver its ticks themselves.

#include <functional>

class QTimer;

class WatchTimer
{
public:
    virtual ~WatchTimer() = default;
    // Starts, or restarts, ticking every intervalMs milliseconds.
    virtual void start(int intervalMs) = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
    virtual int interval() const = 0;
};

// The window's QTimer (Timer1); each of its timeouts calls onTick.
class QtWatchTimer : public WatchTimer
{
public:
    QtWatchTimer(QTimer *timer, std::function<void()> onTick);
    void start(int intervalMs) override;
    void stop() override;
    bool isActive() const override;
    int interval() const override;

private:
    QTimer *m_timer;
};
