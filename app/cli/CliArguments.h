#pragma once
// The command line of tevo-cli: what to unpack and how.

#include <optional>
#include <QString>
#include <QStringList>

struct CliArguments
{
    QString optionSetFile; // --options FILE.os; empty for last.os or the defaults
    bool watch = false;    // --watch
    bool yes = false;      // --yes: the question before deleting after all sets is answered Yes
    bool help = false;
    bool version = false;
    bool listOptions = false; // --list-options: every settings key, then the end
    bool json = false;        // --json: one JSON object a line in place of the log lines
    QStringList assignments;  // --set KEY=VALUE, in order, over the option set
    QStringList folders;
};

// The arguments (without the program's name), or nullopt with *error saying what is wrong.
std::optional<CliArguments> ParseCliArguments(const QStringList &arguments, QString *error);

// What --help prints.
QString CliUsage();
