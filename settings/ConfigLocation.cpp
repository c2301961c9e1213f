#include "settings/ConfigLocation.h"

#include <QDir>
#include <QFileInfo>

#include <unistd.h>

namespace {

QString withTrailingSlash(const QString &folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

// The user's configuration base folder of the freedesktop base-directory rules; a relative
// $XDG_CONFIG_HOME is invalid there and is ignored.
QString userConfigHome()
{
    const QString configured = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!configured.isEmpty() && QDir::isAbsolutePath(configured))
        return configured;
    return QDir::homePath() + QStringLiteral("/.config");
}

} // namespace

bool IsOwnProgramFolder(const QString &programFolder)
{
    if (programFolder.isEmpty() || !QFileInfo(programFolder).isDir())
        return false;
    // An installed copy keeps its language files in the data folder, not beside the program;
    // its bin folder is never a place for one user's settings, even for root, who may write
    // there.
    const QString folder = QDir::cleanPath(QFileInfo(programFolder).absoluteFilePath());
    if (folder == QDir::cleanPath(QStringLiteral(TEVO_INSTALLED_BIN_DIR)))
        return false;
    return !QDir(folder).entryList({QStringLiteral("*.lng")}, QDir::Files).isEmpty();
}

QString ConfigFolder(const QString &programFolder)
{
    // access() asks the kernel, so read-only mounts and ACLs count, not only the mode bits.
    if (IsOwnProgramFolder(programFolder) &&
        ::access(QFile::encodeName(programFolder).constData(), W_OK) == 0)
        return withTrailingSlash(programFolder);

    const QString folder = withTrailingSlash(userConfigHome()) + QStringLiteral("tevo/");
    QDir().mkpath(folder); // a failure shows later, when last.os cannot be written
    return folder;
}

QString LastOptionSetPath(const QString &programFolder)
{
    return ConfigFolder(programFolder) + QStringLiteral("last.os");
}
