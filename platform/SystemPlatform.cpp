#include "platform/SystemPlatform.h"

#include "platform/ThreadPriority.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QThread>

#include <time.h>

bool SystemPlatform::startDetached(const QString &program, const QStringList &arguments)
{
    return QProcess::startDetached(program, arguments);
}

void SystemPlatform::requestShutdown()
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PowerOff"));
    call << false; // not interactive: no polkit prompt
    QDBusConnection::systemBus().call(call, QDBus::NoBlock);
}

PriorityChoice SystemPlatform::setProcessPriority(PriorityChoice priority)
{
    if (priority != PriorityChoice::NoSelection)
        (void)SetProcessNiceness(NicenessOf(priority));
    return PriorityOfNiceness(CurrentNiceness());
}

// The engine asks for this after every 64 KiB block of an SFV check, tens of thousands of times
// a second, and one pass through Qt's event dispatcher (a poll() and the timer bookkeeping) costs
// more than checking the block. A pass within the last 5 ms has already delivered what was
// pending, so the next one is made once 5 ms have gone by: the window never waits more than that
// plus one block, and a check runs at the speed of reading the files. Each pass also paints what
// changed since the last one; one pass a millisecond spent a quarter of a core repainting the
// progress display during an extraction. (Every 16 ms left longer gaps and gained nothing.)
void SystemPlatform::processEvents()
{
    constexpr qint64 kEventPassNs = 5000000;
    if (m_sinceEvents.isValid() && m_sinceEvents.nsecsElapsed() < kEventPassNs)
        return;
    QCoreApplication::processEvents();
    m_sinceEvents.start();
}

void SystemPlatform::sleepMs(int milliseconds)
{
    QThread::msleep(static_cast<unsigned long>(milliseconds));
}

std::uint32_t SystemPlatform::tickCount() const
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const std::uint64_t ms = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                             static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<std::uint32_t>(ms);
}

QDateTime SystemPlatform::currentDateTime() const
{
    return QDateTime::currentDateTime();
}
