#pragma once
// One Tevo per user: a second start hands its command line to the running Tevo and ends, so
// that only one window works on the folders and writes "last.os".

#include <functional>
#include <QObject>
#include <QStringList>

class QLocalServer;

class SingleInstance : public QObject
{
    Q_OBJECT

public:
    // The running Tevo's socket, in the user's runtime folder ($XDG_RUNTIME_DIR).
    static QString serverPath();
    // Hands the parameters (folders made absolute against the current folder) to a running
    // Tevo and waits until it took them; false when none runs.
    static bool handOver(const QStringList &parameters, const QString &path = serverPath());

    explicit SingleInstance(QObject *parent = nullptr);
    ~SingleInstance() override;
    // Takes the socket (a stale one of a Tevo that crashed is replaced); each command line
    // handed over later goes to received. False when the socket cannot be made.
    bool listen(std::function<void(const QStringList &)> received,
                const QString &path = serverPath());

private:
    void takeConnection();

    QLocalServer *m_server = nullptr;
    std::function<void(const QStringList &)> m_received;
};
