#pragma once
// The real platform services on a Linux desktop: Qt's desktop services, logind, setpriority.

#include <QElapsedTimer>

#include "platform/Platform.h"

class QtPlatform : public Platform
{
public:
    bool openPath(const QString &path) override;
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
