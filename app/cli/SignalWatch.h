#pragma once
// SIGINT, SIGTERM and SIGHUP as Qt events: the handler only writes to a pipe, and the event loop
// (or any processEvents() of a running job) delivers the signal to the callback. SIGHUP (the
// terminal closed) is a request to stop like the others, not an end on the spot.

#include <functional>
#include <QObject>
#include <QString>

class QSocketNotifier;

class SignalWatch : public QObject
{
    Q_OBJECT

public:
    // Takes over the watched signals; each arrival calls received with the signal's number.
    explicit SignalWatch(std::function<void(int signal)> received, QObject *parent = nullptr);
    ~SignalWatch() override;

    static const int WatchedSignals[3];
    // "SIGINT", "SIGTERM" or "SIGHUP".
    static QString nameOf(int signal);

private:
    void readSignals();

    std::function<void(int)> m_received;
    QSocketNotifier *m_notifier = nullptr;
};
