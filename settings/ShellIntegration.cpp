#include "settings/ShellIntegration.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "settings/FileManagerActions.h"
#include "settings/IniReader.h"

namespace ShellIntegration {

namespace {

const QString EntryFileName = QStringLiteral("tevo-unpack-folder.desktop");
const QString DesktopEntrySection = QStringLiteral("Desktop Entry");

// Writes the whole file at once; a failure leaves what was there. Returns false on failure.
bool writeFile(const QString &path, const QByteArray &bytes, QFileDevice::Permissions permissions)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return false;
    return QFile::setPermissions(path, permissions);
}

// The program path as one word of a POSIX shell command.
QString shellQuoted(const QString &text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

// A launcher for scripts and the start-up read only: hidden from menus, and without a MimeType,
// so that it can never become the desktop's default application for folders (an entry of the
// user's own folder would rank above the file manager's).
QByteArray desktopEntry(const QString &programPath)
{
    const QString text = QStringLiteral("[Desktop Entry]\n"
                                        "Type=Application\n"
                                        "Name=%1\n"
                                        "Comment=Unpacks the release folder with Tevo\n"
                                        "Icon=archive-extract\n"
                                        "Exec=%2 %f\n"
                                        "NoDisplay=true\n"
                                        "Terminal=false\n")
                             .arg(MenuText, DesktopExecProgram(programPath));
    return text.toUtf8();
}

QByteArray serviceMenu(const QString &programPath)
{
    const QString text = QStringLiteral("[Desktop Entry]\n"
                                        "Type=Service\n"
                                        "MimeType=inode/directory;\n"
                                        "Actions=unpackWithTevo;\n"
                                        "X-KDE-ServiceTypes=KonqPopupMenu/Plugin\n"
                                        "\n"
                                        "[Desktop Action unpackWithTevo]\n"
                                        "Name=%1\n"
                                        "Icon=archive-extract\n"
                                        "Exec=%2 %f\n")
                             .arg(MenuText, DesktopExecProgram(programPath));
    return text.toUtf8();
}

QByteArray nautilusScript(const QString &programPath)
{
    const QString text =
        QStringLiteral("#!/bin/sh\n"
                       "# Written by Tevo (\"Activate Shell Integration\"): hands the selected\n"
                       "# folder to Tevo.\n"
                       "folder=$(printf '%s\\n' \"$NAUTILUS_SCRIPT_SELECTED_FILE_PATHS\" | "
                       "head -n 1)\n"
                       "[ -n \"$folder\" ] || folder=$(realpath -- \"${1:-.}\")\n"
                       "exec %1 \"$folder\"\n")
            .arg(shellQuoted(programPath));
    return text.toUtf8();
}

QString withoutTrailingSlash(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

} // namespace

QString DataHome()
{
    const QString configured = qEnvironmentVariable("XDG_DATA_HOME");
    if (!configured.isEmpty() && QDir::isAbsolutePath(configured))
        return withoutTrailingSlash(configured);
    return QDir::homePath() + QStringLiteral("/.local/share");
}

QString DesktopEntryPath()
{
    return DataHome() + QStringLiteral("/applications/") + EntryFileName;
}

QString ServiceMenuPath()
{
    return DataHome() + QStringLiteral("/kio/servicemenus/") + EntryFileName;
}

QString NautilusScriptPath()
{
    return DataHome() + QStringLiteral("/nautilus/scripts/") + MenuText;
}

QString DesktopExecProgram(const QString &programPath)
{
    // Inside double quotes the characters " ` $ \ are escaped with a backslash.
    QString quoted;
    for (const QChar c : programPath) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
            c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    quoted = QLatin1Char('"') + quoted + QLatin1Char('"');
    // A literal "%" is written "%%", or it would be read as a field code.
    quoted.replace(QLatin1Char('%'), QStringLiteral("%%"));
    // Then the value is a string of the key file, with its own escapes.
    QString value;
    for (const QChar c : quoted) {
        if (c == QLatin1Char('\\'))
            value += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\n'))
            value += QStringLiteral("\\n");
        else if (c == QLatin1Char('\r'))
            value += QStringLiteral("\\r");
        else if (c == QLatin1Char('\t'))
            value += QStringLiteral("\\t");
        else
            value += c;
    }
    return value;
}

bool ReadState()
{
    const IniReader entry = IniReader::fromFile(DesktopEntryPath());
    return !entry.readString(DesktopEntrySection, QStringLiteral("Exec")).isEmpty();
}

void Apply(bool on, const QString &programPath)
{
    const QFileDevice::Permissions readable = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ReadGroup | QFileDevice::ReadOther;
    const QFileDevice::Permissions executable =
        readable | QFileDevice::ExeOwner | QFileDevice::ExeGroup | QFileDevice::ExeOther;
    if (!on) {
        QFile::remove(DesktopEntryPath());
        QFile::remove(ServiceMenuPath());
        QFile::remove(NautilusScriptPath());
        FileManagerActions::Apply(false, programPath);
        return;
    }
    writeFile(DesktopEntryPath(), desktopEntry(programPath), readable);
    // Dolphin only runs service menus of the user's own folder when they are executable.
    writeFile(ServiceMenuPath(), serviceMenu(programPath), executable);
    // Nautilus creates its folder on its first run; without it there is no Nautilus to serve.
    if (QFileInfo(DataHome() + QStringLiteral("/nautilus")).isDir())
        writeFile(NautilusScriptPath(), nautilusScript(programPath), executable);
    FileManagerActions::Apply(true, programPath);
}

} // namespace ShellIntegration
