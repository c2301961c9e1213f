#pragma once
// What happens after one release folder is done: a sound, the user's program with an extracted
// file, or clearing the queue.

#include <QString>
#include <QStringList>

class EngineContext;
class SoundOutput;

// The program and its arguments of a follow-up command. The command is split the way a shell
// would (blanks separate, single and double quotes group and are removed) before the file's path
// takes the place of each "%1", so a file name can never become further arguments.
struct FollowUpCommand
{
    QString program;
    QStringList arguments;
};
FollowUpCommand SplitFollowUpCommand(const QString &command, const QString &filePath);

// Acts on the AfterAction setting for the files one folder run extracted; does nothing at all
// when the list is empty.
void AfterUnpack(EngineContext &ctx, SoundOutput &sound, const QStringList &extractedFiles);

// Runs RunCommand with every "%1" replaced by the file's path, without waiting for it.
void RunWithFile(EngineContext &ctx, const QString &filePath);
