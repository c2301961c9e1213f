#pragma once
// The real platform services of a Linux system: programs, logind, setpriority, the clock and
// the event pump. Opening files and folders belongs to a desktop and is left to a subclass.

#include <QElapsedTimer>

#include "engine/Platform.h"

class SystemPlatform : public Platform
{
public:
    bool startDetached(const QString &program, const QStringList &arguments) override;
    void requestShutdown() override;
    PriorityChoice setProcessPriority(PriorityChoice priority) override;
    void processEvents() override;
    void sleepMs(int milliseconds) override;
    std::uint32_t tickCount() const override;
    QDateTime currentDateTime() const override;

private:
    // When pending messages were last processed (invalid before the first time).
    QElapsedTimer m_sinceEvents;
};
