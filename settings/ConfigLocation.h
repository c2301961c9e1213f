#pragma once
// Where Tevo keeps "last.os" and where the option-set dialogs start: one place decides it.

#include <QString>

// The program folder when Tevo may write there (a copy unpacked into a folder of its own),
// else $XDG_CONFIG_HOME/tevo (default ~/.config/tevo), created on demand. Ends with "/".
QString ConfigFolder(const QString &programFolder);

// ConfigFolder(programFolder) + "last.os".
QString LastOptionSetPath(const QString &programFolder);
