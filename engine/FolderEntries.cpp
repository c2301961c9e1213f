#include "engine/FolderEntries.h"

#include "engine/StagingFolder.h"

#include <QFile>

#include <dirent.h>
#include <sys/stat.h>

namespace {

// The kind of the entry at path, by lstat and, for a link, by what it leads to.
FolderEntry::Kind KindByStat(const QByteArray &path)
{
    struct stat linkInfo;
    if (::lstat(path.constData(), &linkInfo) != 0)
        return FolderEntry::Kind::Other;
    if (S_ISDIR(linkInfo.st_mode))
        return FolderEntry::Kind::Folder;
    if (S_ISREG(linkInfo.st_mode))
        return FolderEntry::Kind::File;
    struct stat target;
    if (!S_ISLNK(linkInfo.st_mode) || ::stat(path.constData(), &target) != 0)
        return FolderEntry::Kind::Other;
    if (S_ISREG(target.st_mode))
        return FolderEntry::Kind::File;
    return S_ISDIR(target.st_mode) ? FolderEntry::Kind::FolderLink : FolderEntry::Kind::Other;
}

} // namespace

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
        // The listing's own type spares a stat per entry where the file system gives it.
        if (ent->d_type == DT_DIR)
            entry.kind = FolderEntry::Kind::Folder;
        else if (ent->d_type == DT_REG)
            entry.kind = FolderEntry::Kind::File;
        else if (ent->d_type == DT_LNK || ent->d_type == DT_UNKNOWN)
            entry.kind = KindByStat(encodedFolder + '/' + name);
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
