#include "jobs/CommandLine.h"

#include "engine/GeneralFuncs.h"
#include "settings/SettingsModel.h"

CommandLine SplitCommandLine(const QStringList &parameters)
{
    CommandLine result;
    for (const QString &parameter : parameters) {
        if (parameter.startsWith(QLatin1Char('-')))
            result.switches << parameter.mid(1).toLower();
        else
            result.folders << parameter;
    }
    return result;
}

bool IsInQueue(const QStringList &queue, const QString &normalizedFolder)
{
    for (const QString &entry : queue) {
        if (NormalizeFolder(entry) == normalizedFolder)
            return true;
    }
    return false;
}

QStringList QueueWith(QStringList queue, const QStringList &folders)
{
    for (const QString &folder : folders) {
        if (!IsInQueue(queue, NormalizeFolder(folder)))
            queue << folder;
    }
    return queue;
}

void ApplyCommandLine(SettingsModel &settings, const CommandLine &commandLine,
                      const CommandLineActions &actions)
{
    if (commandLine.folders.size() == 1) {
        settings.setInputFolder(commandLine.folders.first());
    } else if (commandLine.folders.size() > 1) {
        settings.setInputMode(InputModeChoice::Queue);
        settings.setQueue(QueueWith({}, commandLine.folders));
    }
    for (const QString &option : commandLine.switches) {
        if (option == QLatin1String("unpack") && actions.unpack)
            actions.unpack();
        else if (option == QLatin1String("watch") && actions.watch)
            actions.watch();
    }
}
