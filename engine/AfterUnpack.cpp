#include "engine/AfterUnpack.h"

#include <QProcess>

#include "engine/EngineContext.h"
#include "engine/SoundOutput.h"

FollowUpCommand SplitFollowUpCommand(const QString &command)
{
    FollowUpCommand result;
    const int blank = command.indexOf(QLatin1Char(' '));
    if (blank < 0) {
        result.program = command;
        return result;
    }
    result.program = command.left(blank);
    result.arguments = QProcess::splitCommand(command.mid(blank + 1));
    return result;
}

void RunWithFile(EngineContext &ctx, const QString &filePath)
{
    if (filePath.isEmpty())
        return;
    QString command = ctx.settings.RunCommand();
    command.replace(QLatin1String("%1"), filePath);
    ctx.AddLogLine(QStringLiteral("executing \"") + command + QLatin1Char('"'));
    const FollowUpCommand parts = SplitFollowUpCommand(command);
    // A program that cannot be started is not reported: the log line above is all the user gets.
    (void)ctx.platform.startDetached(parts.program, parts.arguments);
}

namespace {

// The first entry whose extension, ignoring case, is "." + the wanted one.
QString FirstOfType(const QStringList &files, const QString &extension)
{
    const QString wanted = QLatin1Char('.') + extension.toLower();
    for (const QString &file : files) {
        const int dot = file.lastIndexOf(QLatin1Char('.'));
        const int slash = file.lastIndexOf(QLatin1Char('/'));
        if (dot > slash && file.mid(dot).toLower() == wanted)
            return file;
    }
    return QString();
}

} // namespace

void AfterUnpack(EngineContext &ctx, SoundOutput &sound, const QStringList &extractedFiles)
{
    if (extractedFiles.isEmpty())
        return;
    const Settings &settings = ctx.settings;
    switch (settings.AfterAction()) {
    case AfterActionChoice::PlaySound:
        if (!settings.SoundFile().isEmpty())
            sound.PlaySoundFile(settings.SoundFile());
        return;
    case AfterActionChoice::RunApplication:
        if (settings.RunCommand().isEmpty())
            return;
        if (settings.RunFileFilter() == RunFileFilterChoice::EveryFile)
            RunWithFile(ctx, extractedFiles.first());
        else
            RunWithFile(ctx, FirstOfType(extractedFiles, settings.RunExtension()));
        return;
    case AfterActionChoice::ClearQueue:
        ctx.view.clearQueue();
        ctx.view.clearInputFolder();
        ctx.view.showTab(WindowTab::InputOutput);
        return;
    case AfterActionChoice::DoNothing:
        return;
    }
}
