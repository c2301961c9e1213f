#pragma once
// Where Tevo keeps "last.os" and where the option-set dialogs start: one place decides it.

#include <QString>

// Whether the program runs from a folder of its own (its build folder or a copy unpacked into a
// folder): one that holds its language files and is not the installed bin folder.
bool IsOwnProgramFolder(const QString &programFolder);

// The program folder when it is the program's own and Tevo may write there, else
// $XDG_CONFIG_HOME/tevo (default ~/.config/tevo), created on demand: an installed copy always
// keeps its settings in the user's configuration folder. Ends with "/".
QString ConfigFolder(const QString &programFolder);

// ConfigFolder(programFolder) + "last.os".
QString LastOptionSetPath(const QString &programFolder);
