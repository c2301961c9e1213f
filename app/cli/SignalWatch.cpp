#include "SignalWatch.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

extern "C" void onSignal(int signal)
{
    const unsigned char number = static_cast<unsigned char>(signal);
    // Nothing else is safe here; a full pipe loses a repeat of a signal already on its way.
    (void)!write(signalPipe[1], &number, 1);
}

} // namespace

const int SignalWatch::WatchedSignals[3] = {SIGINT, SIGTERM, SIGHUP};

QString SignalWatch::nameOf(int signal)
{
    switch (signal) {
    case SIGINT:
        return QStringLiteral("SIGINT");
    case SIGHUP:
        return QStringLiteral("SIGHUP");
    default:
        return QStringLiteral("SIGTERM");
    }
}

SignalWatch::SignalWatch(std::function<void(int)> received, QObject *parent)
    : QObject(parent), m_received(std::move(received))
{
    if (pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SignalWatch::readSignals);
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : WatchedSignals)
        sigaction(signal, &action, nullptr);
}

SignalWatch::~SignalWatch()
{
    for (const int signal : WatchedSignals)
        std::signal(signal, SIG_DFL);
    for (int &end : signalPipe) {
        if (end >= 0)
            close(end);
        end = -1;
    }
}

void SignalWatch::readSignals()
{
    unsigned char number = 0;
    while (read(signalPipe[0], &number, 1) == 1) {
        if (m_received)
            m_received(number);
    }
}
