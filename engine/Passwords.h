#pragma once
// The passwords the user gives for sets that need one: a {{password}} in a folder's name and the
// lines of the password list. Tevo never writes one to the log, a notification or a command line.

#include <QString>
#include <QStringList>

class EngineContext;

// The passwords to try on the set whose first volume is firstVolume, in order: the {{password}}
// in the name of the set's folder or of the nearest folder above it that has one, then the lines
// of the settings' password list (blank lines and repeats left out). Empty when none is given;
// a list that cannot be read is named in the log.
QStringList PasswordsFor(EngineContext &ctx, const QString &firstVolume);

// text with every {{...}} shown as {{***}}, for the log and the user's other views.
QString WithoutPasswords(const QString &text);
