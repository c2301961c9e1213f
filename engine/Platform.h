#pragma once
// The operating-system services Tevo uses: shell open, programs, shutdown, priority, clock and
// event pump.

#include <cstdint>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include "engine/Settings.h"

class Platform
{
public:
    virtual ~Platform() = default;

    // The shell's "open": a file with its associated program, a folder in the file manager.
    virtual bool openPath(const QString &path) = 0;
    // Starts a program without waiting for it.
    virtual bool startDetached(const QString &program, const QStringList &arguments) = 0;
    // Asks the system to power off; the result is not looked at.
    virtual void requestShutdown() = 0;
    // Sets the scheduling priority of the own process, all its threads, and returns the one in
    // force afterwards: the one asked for unless the system refused it. NoSelection changes
    // nothing.
    virtual PriorityChoice setProcessPriority(PriorityChoice priority) = 0;

    // Lets the window system handle pending events (clicks on Stop, Pause, Close ...).
    virtual void processEvents() = 0;
    virtual void sleepMs(int milliseconds) = 0;
    // A 32-bit millisecond tick counter that wraps like the system's.
    virtual std::uint32_t tickCount() const = 0;
    virtual QDateTime currentDateTime() const = 0;
};
