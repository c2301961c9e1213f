#include "jobs/SingleInstance.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr quint32 HandOverMagic = 0x5445564f; // "TEVO", version 1 of the hand-over
constexpr int HandOverTimeoutMs = 10000;
constexpr char Accepted = '1';

QStringList withAbsoluteFolders(const QStringList &parameters)
{
    QStringList result;
    for (const QString &parameter : parameters) {
        if (parameter.startsWith(QLatin1Char('-')) || parameter.isEmpty())
            result << parameter;
        else
            result << QDir::cleanPath(QFileInfo(parameter).absoluteFilePath());
    }
    return result;
}

} // namespace

QString SingleInstance::serverPath()
{
    const QString folder = privateRuntimeFolder();
    return folder.isEmpty() ? QString() : folder + QStringLiteral("/tevo.socket");
}

bool SingleInstance::isPrivateFolder(const QString &folder)
{
    // lstat: a link, even to a private folder, could be swapped for one to another user's.
    struct stat info = {};
    if (folder.isEmpty() || ::lstat(QFile::encodeName(folder).constData(), &info) != 0)
        return false;
    return S_ISDIR(info.st_mode) && info.st_uid == ::getuid() && (info.st_mode & 07777) == 0700;
}

QString SingleInstance::privateRuntimeFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime) && isPrivateFolder(runtime))
        return QDir::cleanPath(runtime);
    // A folder of this user's own, never a name all users share; when another user holds it, or
    // it is not private, there is no hand-over.
    const QString own = QDir::tempPath() + QStringLiteral("/tevo-%1").arg(::getuid());
    ::mkdir(QFile::encodeName(own).constData(), 0700);
    return isPrivateFolder(own) ? own : QString();
}

bool SingleInstance::handOver(const QStringList &parameters, const QString &path)
{
    if (path.isEmpty())
        return false;
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(HandOverTimeoutMs))
        return false;
    QByteArray message;
    QDataStream out(&message, QIODevice::WriteOnly);
    out << HandOverMagic << withAbsoluteFolders(parameters);
    socket.write(message);
    if (!socket.waitForBytesWritten(HandOverTimeoutMs))
        return false;
    // The running Tevo answers once it has taken the folders; a busy one answers from inside
    // its job, whose progress reports let events through.
    while (socket.bytesAvailable() < 1) {
        if (!socket.waitForReadyRead(HandOverTimeoutMs))
            return false;
    }
    return socket.read(1) == QByteArray(1, Accepted);
}

SingleInstance::SingleInstance(QObject *parent) : QObject(parent) {}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::listen(std::function<void(const QStringList &)> received, const QString &path)
{
    m_received = std::move(received);
    if (path.isEmpty())
        return false;
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::takeConnection);
    if (m_server->listen(path))
        return true;
    // Nobody answered on it (handOver failed first), so the socket is left over from a Tevo
    // that did not end cleanly.
    QLocalServer::removeServer(path);
    return m_server->listen(path);
}

void SingleInstance::takeConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            QDataStream in(socket);
            in.startTransaction();
            quint32 magic = 0;
            QStringList parameters;
            in >> magic >> parameters;
            if (!in.commitTransaction())
                return; // the rest is still on its way
            if (magic != HandOverMagic) {
                socket->disconnectFromServer();
                return;
            }
            if (m_received)
                m_received(parameters);
            socket->write(QByteArray(1, Accepted));
            socket->flush();
        });
    }
}
