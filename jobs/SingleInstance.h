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
    // The running Tevo's socket, in the user's private runtime folder; empty when there is none,
    // and then nothing is handed over.
    static QString serverPath();
    // $XDG_RUNTIME_DIR when it is the user's own folder of mode 0700; else a folder "tevo-<uid>"
    // in the temporary folder, made with mode 0700 and checked the same way; empty when that
    // one belongs to another user or is open to others.
    static QString privateRuntimeFolder();
    // A real folder (no link) of this user's with mode 0700.
    static bool isPrivateFolder(const QString &folder);
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
