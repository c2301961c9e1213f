#include "settings/FileManagerActions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

#include "settings/ShellIntegration.h"

namespace FileManagerActions {

namespace {

const QString ActionId = QStringLiteral("tevo-unpack-folder");

QString configHome()
{
    const QString configured = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!configured.isEmpty() && QDir::isAbsolutePath(configured))
        return configured;
    return QDir::homePath() + QStringLiteral("/.config");
}

// The program path as one word of a shell command line, as both file managers split it.
QString shellQuoted(const QString &text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

QString xmlEscaped(const QString &text)
{
    return text.toHtmlEscaped();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray systemThunarActions()
{
    QString dirs = qEnvironmentVariable("XDG_CONFIG_DIRS");
    if (dirs.isEmpty())
        dirs = QStringLiteral("/etc/xdg");
    for (const QString &dir : dirs.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        const QByteArray actions = readFile(dir + QStringLiteral("/Thunar/uca.xml"));
        if (!actions.isEmpty())
            return actions;
    }
    return QByteArray();
}

QByteArray nemoAction(const QString &programPath)
{
    return QStringLiteral("[Nemo Action]\n"
                          "Name=%1\n"
                          "Comment=Unpacks the release folder with Tevo\n"
                          "Exec=%2 %F\n"
                          "Icon-Name=archive-extract\n"
                          "Selection=s\n"
                          "Extensions=dir;\n")
        .arg(ShellIntegration::MenuText, shellQuoted(programPath))
        .toUtf8();
}

} // namespace

QString ThunarActionsPath()
{
    return configHome() + QStringLiteral("/Thunar/uca.xml");
}

QString NemoActionPath()
{
    return ShellIntegration::DataHome() + QStringLiteral("/nemo/actions/") + ActionId +
           QStringLiteral(".nemo_action");
}

QByteArray ThunarActions(const QByteArray &existing, const QString &programPath)
{
    QString text = QString::fromUtf8(existing);
    if (!text.contains(QLatin1String("</actions>")))
        text =
            QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<actions>\n</actions>\n");
    // Our earlier action, found by its id; the user's own actions are left alone.
    static const QRegularExpression ours(
        QStringLiteral("[ \\t]*<action>(?:(?!</action>).)*<unique-id>%1</unique-id>"
                       "(?:(?!</action>).)*</action>\\n?")
            .arg(ActionId),
        QRegularExpression::DotMatchesEverythingOption);
    text.remove(ours);
    if (!programPath.isEmpty()) {
        const QString action =
            QStringLiteral("<action>\n"
                           "\t<icon>archive-extract</icon>\n"
                           "\t<name>%1</name>\n"
                           "\t<unique-id>%2</unique-id>\n"
                           "\t<command>%3 %f</command>\n"
                           "\t<description>Unpacks the release folder with Tevo</description>\n"
                           "\t<patterns>*</patterns>\n"
                           "\t<directories/>\n"
                           "</action>\n")
                .arg(xmlEscaped(ShellIntegration::MenuText), ActionId,
                     xmlEscaped(shellQuoted(programPath)));
        text.insert(text.lastIndexOf(QLatin1String("</actions>")), action);
    }
    return text.toUtf8();
}

void Apply(bool on, const QString &programPath)
{
    // Thunar and Nemo make these folders on their first run; without them there is no file
    // manager to serve, and nothing is written.
    const QString thunar = ThunarActionsPath();
    if (QFileInfo(QFileInfo(thunar).absolutePath()).isDir()) {
        // Without a list of its own, Thunar shows the system's: ours starts from that one, or
        // its default actions would be gone.
        const QByteArray existing =
            QFileInfo::exists(thunar) ? readFile(thunar) : systemThunarActions();
        if (on || existing.contains(ActionId.toUtf8()))
            writeFile(thunar, ThunarActions(existing, on ? programPath : QString()));
    }
    if (!on) {
        QFile::remove(NemoActionPath());
        return;
    }
    if (QFileInfo(ShellIntegration::DataHome() + QStringLiteral("/nemo")).isDir())
        writeFile(NemoActionPath(), nemoAction(programPath));
}

} // namespace FileManagerActions
