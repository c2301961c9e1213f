#pragma once
// SIGINT and SIGTERM as Qt events: the handler only writes to a pipe, and the event loop (or any
// processEvents() of a running job) delivers the signal to the callback.

#include <functional>
#include <QObject>

class QSocketNotifier;

class SignalWatch : public QObject
{
    Q_OBJECT

public:
    // Takes over SIGINT and SIGTERM; each arrival calls received with the signal's number.
    explicit SignalWatch(std::function<void(int signal)> received, QObject *parent = nullptr);
    ~SignalWatch() override;

private:
    void readSignals();

    std::function<void(int)> m_received;
    QSocketNotifier *m_notifier = nullptr;
};
