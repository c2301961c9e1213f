#pragma once
// One folder's entries as the file system lists them, told apart without following links.

#include <QList>
#include <QString>
#include <QStringList>

struct FolderEntry
{
    enum class Kind {
        Folder,     // a real folder, never a link to one
        File,       // a regular file, or a link to one
        FolderLink, // a link to a folder, never to be followed
        Other       // a dangling link, a device or socket, a vanished entry
    };
    QString name;
    Kind kind;
};

// The entries of folder (hidden ones included, "." and ".." left out) in the order the file
// system lists them. A folder that does not exist or cannot be listed gives none.
QList<FolderEntry> ListFolderEntries(const QString &folder);

// The names of folder's regular files (and links to files), in listing order.
QStringList FileNamesIn(const QString &folder);

// Folders that are never searched, cleaned or deleted from: a "recycler" folder (any letter case)
// and the freedesktop trash (".Trash", ".Trash-<uid>"), whose files the user has thrown away;
// and Tevo's staging folders, whose files are not published (yet).
bool IsLeftAloneFolder(const QString &name);
