#include "engine/PartFile.h"

#include <atomic>
#include <cerrno>
#include <QFile>
#include <QRegularExpression>
#include <signal.h>
#include <unistd.h>

#include "engine/FolderEntries.h"

QString PartFileName(const QString &folder)
{
    static std::atomic<unsigned> serial{0};
    const QString prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    return prefix + QStringLiteral(".tevo-%1-%2.part").arg(::getpid()).arg(++serial);
}

void RemoveStalePartFiles(const QString &folder)
{
    static const QRegularExpression partName(QStringLiteral("^\\.tevo-([0-9]+)-[0-9]+\\.part$"));
    const QString prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    for (const FolderEntry &entry : ListFolderEntries(folder)) {
        const QRegularExpressionMatch match = partName.match(entry.name);
        if (entry.kind != FolderEntry::Kind::File || !match.hasMatch())
            continue;
        bool ok = false;
        const long pid = match.captured(1).toLong(&ok);
        if (!ok || pid <= 0 || pid == ::getpid())
            continue;
        if (::kill(pid_t(pid), 0) != 0 && errno == ESRCH)
            QFile::remove(prefix + entry.name);
    }
}
