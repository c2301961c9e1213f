#include "jobs/WatchTimer.h"

#include <QTimer>

QtWatchTimer::QtWatchTimer(QTimer *timer, std::function<void()> onTick) : m_timer(timer)
{
    QObject::connect(m_timer, &QTimer::timeout, m_timer, std::move(onTick));
}

void QtWatchTimer::start(int intervalMs)
{
    m_timer->start(intervalMs);
}

void QtWatchTimer::stop()
{
    m_timer->stop();
}

bool QtWatchTimer::isActive() const
{
    return m_timer->isActive();
}

int QtWatchTimer::interval() const
{
    return m_timer->interval();
}
