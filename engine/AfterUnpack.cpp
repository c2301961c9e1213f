#include "engine/AfterUnpack.h"

#include "engine/EngineContext.h"
#include "engine/SoundOutput.h"

namespace {

// Splits a command line as a shell would: blanks and tabs separate words, single quotes keep
// everything up to the next single quote, double quotes keep everything up to the next double
// quote but for a backslash before a double quote or a backslash, and outside quotes a backslash
// keeps the character after it.
QStringList ShellWords(const QString &command)
{
    QStringList words;
    QString word;
    bool inWord = false;
    for (int i = 0; i < command.size(); ++i) {
        const QChar c = command.at(i);
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t')) {
            if (inWord)
                words << word;
            word.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == QLatin1Char('\'')) {
            const int close = command.indexOf(QLatin1Char('\''), i + 1);
            const int end = close < 0 ? command.size() : close;
            word += command.mid(i + 1, end - i - 1);
            i = end;
        } else if (c == QLatin1Char('"')) {
            for (++i; i < command.size() && command.at(i) != QLatin1Char('"'); ++i) {
                if (command.at(i) == QLatin1Char('\\') && i + 1 < command.size() &&
                    (command.at(i + 1) == QLatin1Char('"') ||
                     command.at(i + 1) == QLatin1Char('\\')))
                    ++i;
                word += command.at(i);
            }
        } else if (c == QLatin1Char('\\') && i + 1 < command.size()) {
            word += command.at(++i);
        } else {
            word += c;
        }
    }
    if (inWord)
        words << word;
    return words;
}

} // namespace

FollowUpCommand SplitFollowUpCommand(const QString &command, const QString &filePath)
{
    FollowUpCommand result;
    QStringList words = ShellWords(command);
    for (QString &word : words)
        word.replace(QLatin1String("%1"), filePath);
    if (words.isEmpty())
        return result;
    result.program = words.takeFirst();
    result.arguments = words;
    return result;
}

void RunWithFile(EngineContext &ctx, const QString &filePath)
{
    if (filePath.isEmpty())
        return;
    QString command = ctx.settings.RunCommand();
    const FollowUpCommand parts = SplitFollowUpCommand(command, filePath);
    command.replace(QLatin1String("%1"), filePath);
    ctx.AddLogLine(QStringLiteral("executing \"") + command + QLatin1Char('"'));
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
