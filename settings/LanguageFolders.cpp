#include "settings/LanguageFolders.h"

#include <QDir>
#include <QFileInfo>

namespace {

QString asFolder(const QString &path)
{
    const QString clean = QDir::cleanPath(path);
    return clean.endsWith(QLatin1Char('/')) ? clean : clean + QLatin1Char('/');
}

} // namespace

QStringList LanguageFolders(const QString &programFolder, const QString &builtInDataFolder)
{
    QStringList folders;
    const auto add = [&folders](const QString &folder) {
        if (!folder.isEmpty() && !folders.contains(asFolder(folder)))
            folders << asFolder(folder);
    };
    // An installed copy is moved as a whole: its data folder is found from the program's place,
    // whatever prefix it was configured with.
    const QDir program(programFolder);
    if (!programFolder.isEmpty() && program.dirName() == QLatin1String("bin"))
        add(program.absoluteFilePath(QStringLiteral("../share/tevo")));
    add(programFolder);
    add(builtInDataFolder);
    return folders;
}
