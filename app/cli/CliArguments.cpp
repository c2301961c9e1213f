#include "CliArguments.h"

#include "settings/OptionsReference.h"
#include "settings/SettingsModel.h"

namespace {

// The value of "--name VALUE" or "--name=VALUE" at arguments[*i], moving *i past it; nullopt
// when the argument is another one. An empty or absent value sets *error.
std::optional<QString> valueOf(const QString &name, const QStringList &arguments, int *i,
                               QString *error)
{
    const QString &argument = arguments.at(*i);
    std::optional<QString> value;
    if (argument == name && *i + 1 < arguments.size())
        value = arguments.at(++*i);
    else if (argument == name)
        value = QString();
    else if (argument.startsWith(name + QLatin1Char('=')))
        value = argument.mid(name.size() + 1);
    if (value && value->isEmpty())
        *error = QStringLiteral("%1 needs a value").arg(name);
    return value;
}

} // namespace

std::optional<CliArguments> ParseCliArguments(const QStringList &arguments, QString *error)
{
    CliArguments result;
    bool onlyFolders = false; // after "--" every argument is a folder
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (onlyFolders || !argument.startsWith(QLatin1Char('-')) ||
            argument == QLatin1String("-")) {
            result.folders << argument;
        } else if (argument == QLatin1String("--")) {
            onlyFolders = true;
        } else if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            result.help = true;
        } else if (argument == QLatin1String("--version")) {
            result.version = true;
        } else if (argument == QLatin1String("--watch")) {
            result.watch = true;
        } else if (argument == QLatin1String("--yes") || argument == QLatin1String("-y")) {
            result.yes = true;
        } else if (argument == QLatin1String("--list-options")) {
            result.listOptions = true;
        } else if (argument == QLatin1String("--json")) {
            result.json = true;
        } else if (const auto file = valueOf(QStringLiteral("--options"), arguments, &i, error)) {
            if (file->isEmpty()) {
                *error = QStringLiteral("--options needs the name of an option-set file");
                return std::nullopt;
            }
            result.optionSetFile = *file;
        } else if (const auto list = valueOf(QStringLiteral("--passwords"), arguments, &i, error)) {
            if (list->isEmpty()) {
                *error = QStringLiteral("--passwords needs the name of a password list");
                return std::nullopt;
            }
            result.assignments << QStringLiteral("Edit7=") + *list;
        } else if (const auto assignment = valueOf(QStringLiteral("--set"), arguments, &i, error)) {
            // A key or value that cannot be set is a usage error before anything runs.
            SettingsModel scratch;
            if (error->isEmpty())
                *error = ApplySettingAssignment(scratch, *assignment);
            if (!error->isEmpty())
                return std::nullopt;
            result.assignments << *assignment;
        } else {
            *error = QStringLiteral("unknown option %1").arg(argument);
            return std::nullopt;
        }
    }
    if (result.help || result.version || result.listOptions)
        return result;
    if (result.folders.isEmpty()) {
        *error = QStringLiteral("no folder given");
        return std::nullopt;
    }
    return result;
}

QString CliUsage()
{
    return QStringLiteral(
        "Usage: tevo-cli [--options FILE.os] [--set KEY=VALUE]... [--passwords FILE] [--watch]\n"
        "                [--yes] [--json] FOLDER...\n"
        "       tevo-cli --list-options\n"
        "\n"
        "Unpacks the release folders without a window: unpacks ZIP files, checks the RAR sets\n"
        "against their SFV lists, extracts them and cleans up, with the settings of the window\n"
        "program. Several folders are worked on as a queue.\n"
        "\n"
        "  --options FILE.os  the settings of this option-set file, instead of those the window\n"
        "                     program saved last (last.os), or the defaults when there is none\n"
        "  --set KEY=VALUE    sets one key over the option set, for this run only; may be\n"
        "                     given several times (--list-options names every key)\n"
        "  --list-options     lists every key with its caption, values and default\n"
        "  --passwords FILE   tries the passwords of FILE (one a line) on sets that need one,\n"
        "                     after a {{password}} in the folder's name; never logged\n"
        "  --json             prints one JSON object a line in place of the log lines\n"
        "  --watch            keeps watching the folders and unpacks what arrives, at the\n"
        "                     interval of the settings, until stopped (Ctrl+C, SIGTERM); needs\n"
        "                     \"Delete Files\" on\n"
        "  --yes              answers Yes when asked whether to delete the sources after all\n"
        "                     sets (without it the answer is No and the sources stay)\n"
        "  --help             shows this text\n"
        "  --version          shows the version\n"
        "\n"
        "The log goes to standard output, errors to standard error, and while standard error\n"
        "is a terminal a progress line too. Ctrl+C, SIGTERM or SIGHUP stops at the next safe\n"
        "point: nothing is deleted that was not due already.\n"
        "\n"
        "Exit status: 0 when every set was extracted or there was nothing to do; 1 when a set\n"
        "or check failed or a folder does not exist; 2 for a usage error; 130, 143 or 129 when\n"
        "stopped by SIGINT, SIGTERM or SIGHUP.\n");
}
