#include "engine/FolderEntries.h"

#include "engine/StagingFolder.h"

#include <QFile>

#include <dirent.h>
#include <sys/stat.h>

QList<FolderEntry> ListFolderEntries(const QString &folder)
{
    QList<FolderEntry> entries;
    const QByteArray encodedFolder = QFile::encodeName(folder);
    // The whole listing is read before anything is done with it, so no folder stays open
    // during a descent and deleting entries cannot disturb the enumeration.
    DIR *dir = ::opendir(encodedFolder.constData());
    if (!dir)
        return entries;
    while (const dirent *ent = ::readdir(dir)) {
        const QByteArray name(ent->d_name);
        if (name.isEmpty() || name == "." || name == "..")
            continue;
        FolderEntry entry{QFile::decodeName(name), FolderEntry::Kind::Other};
        const QByteArray path = encodedFolder + '/' + name;
        struct stat linkInfo;
        if (::lstat(path.constData(), &linkInfo) == 0) {
            if (S_ISDIR(linkInfo.st_mode)) {
                entry.kind = FolderEntry::Kind::Folder;
            } else if (S_ISREG(linkInfo.st_mode)) {
                entry.kind = FolderEntry::Kind::File;
            } else if (S_ISLNK(linkInfo.st_mode)) {
                struct stat target;
                if (::stat(path.constData(), &target) == 0) {
                    if (S_ISREG(target.st_mode))
                        entry.kind = FolderEntry::Kind::File;
                    else if (S_ISDIR(target.st_mode))
                        entry.kind = FolderEntry::Kind::FolderLink;
                }
            }
        }
        entries << entry;
    }
    ::closedir(dir);
    return entries;
}

bool IsLeftAloneFolder(const QString &name)
{
    if (name.compare(QLatin1String("recycler"), Qt::CaseInsensitive) == 0 ||
        name == QLatin1String(".Trash") || IsStagingFolderName(name))
        return true;
    static const QLatin1String trashPrefix(".Trash-");
    if (!name.startsWith(trashPrefix) || name.size() == trashPrefix.size())
        return false;
    for (int i = trashPrefix.size(); i < name.size(); ++i) {
        if (!name.at(i).isDigit())
            return false;
    }
    return true;
}

QStringList FileNamesIn(const QString &folder)
{
    QStringList names;
    for (const FolderEntry &entry : ListFolderEntries(folder)) {
        if (entry.kind == FolderEntry::Kind::File)
            names << entry.name;
    }
    return names;
}
