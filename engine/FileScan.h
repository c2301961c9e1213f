#pragma once
// The release scan: every file below a folder whose extension begins with one of a few tokens.

#include <QString>
#include <QStringList>

class EngineContext;

// Extension lists: tokens such as ".rar" separated by the character 29.
namespace ExtensionList {
inline constexpr QChar Separator = QChar(29);
QString make(const QStringList &tokens);
} // namespace ExtensionList

// Appends to result the path (folder + "/" + name, the folder exactly as given) of every file in
// folder, and with recurse in its subfolders, whose extension (from the last "." on) begins with
// one of the tokens of extensionList, whatever its letter case (X.RAR as x.rar: download tools
// write both). Depth-first in the order the file
// system lists entries. "recycler" folders are never entered (logged); with recurse, subfolders
// in the skip list are left out, and with ListsApplyToFiles files in it too. Links to folders are
// never followed; a folder that cannot be listed gives nothing.
void FindFiles(EngineContext &ctx, const QString &folder, QStringList &result, bool recurse,
               const QString &extensionList);
