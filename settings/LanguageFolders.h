#pragma once
// Where Tevo looks for its language files, worked out from where the program file lies.

#include <QString>
#include <QStringList>

// The folders that may hold the language files, in the order they are searched, each ending
// with "/": for a program in <prefix>/bin the installed data folder <prefix>/share/tevo, then
// the program folder itself (a build tree or a copy unpacked into a folder of its own), then the
// data folder chosen when Tevo was built. A folder appears once.
QStringList LanguageFolders(const QString &programFolder, const QString &builtInDataFolder);
