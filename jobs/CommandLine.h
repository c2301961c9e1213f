#pragma once
// The command line: folders to unpack, and the switches "-unpack" and "-watch".

#include <QStringList>

class TForm1;

struct CommandLine
{
    QStringList folders;  // parameters that do not begin with "-", in order
    QStringList switches; // the others, without their "-", lower-cased, in order
};

// Splits the parameters (without the program's own name).
CommandLine SplitCommandLine(const QStringList &parameters);

// One folder becomes the input folder; two or more fill the queue (switching to queue mode),
// each once. Then each switch in order: "unpack" presses Unpack, "watch" presses Watch; others
// are ignored.
void ApplyCommandLine(TForm1 &form, const CommandLine &commandLine);
