#pragma once
// The command line: folders to unpack, and the switches "-unpack" and "-watch".

#include <functional>
#include <QStringList>

class SettingsModel;

struct CommandLine
{
    QStringList folders;  // parameters that do not begin with "-", in order
    QStringList switches; // the others, without their "-", lower-cased, in order
};

// What the switches press.
struct CommandLineActions
{
    std::function<void()> unpack; // the Unpack command
    std::function<void()> watch;  // the Watch command
};

// Splits the parameters (without the program's own name).
CommandLine SplitCommandLine(const QStringList &parameters);

// True when some entry's NormalizeFolder form equals normalizedFolder.
bool IsInQueue(const QStringList &queue, const QString &normalizedFolder);
// The queue with each folder added at its end unless it is queued already.
QStringList QueueWith(QStringList queue, const QStringList &folders);

// One folder becomes the input folder; two or more fill the queue (switching to queue mode),
// each once. Then each switch in order: "unpack" runs the Unpack command, "watch" the Watch
// command; others are ignored.
void ApplyCommandLine(SettingsModel &settings, const CommandLine &commandLine,
                      const CommandLineActions &actions);
