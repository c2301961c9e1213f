#pragma once
// A set's hidden staging folder inside its destination, locked while Tevo works in it, so that a
// set is written there in full before any of it is published, and a killed Tevo's leftovers are
// told apart from everything else by their free lock.

#include <QString>

// Layout: "<destination>/.tevo-staging-XXXXXX/" holding the lock file "lock" (flock'ed, with
// Tevo's marker line) and the folder "tree/" that the back-end extracts into. The set's own
// entries never meet the lock file, whatever they are named.
class StagingFolder
{
public:
    // Creates a fresh staging folder inside destination, which must exist. isValid() tells
    // whether it worked; error() then gives the errno.
    explicit StagingFolder(const QString &destination);
    // Removes the folder with everything in it, then lets go of the lock.
    ~StagingFolder();
    StagingFolder(const StagingFolder &) = delete;
    StagingFolder &operator=(const StagingFolder &) = delete;

    bool isValid() const { return m_lockFd >= 0; }
    int error() const { return m_error; }
    // The staging folder itself, ending with "/".
    QString path() const { return m_path; }
    // Where the set's entries go, ending with "/".
    QString tree() const { return m_path + QLatin1String("tree/"); }
    // A place for the files a publish replaces until it is done, ending with "/".
    QString replaced() const { return m_path + QLatin1String("replaced/"); }

private:
    QString m_path;
    int m_lockFd = -1;
    int m_error = 0;
};

// Whether name is shaped like a staging folder's name (".tevo-staging-" and six characters).
bool IsStagingFolderName(const QString &name);

// Removes the staging folders in destination that a killed Tevo left behind, whatever process
// made them: only real folders of this user named like one, holding a lock file with Tevo's
// marker whose lock is free. A folder in use, or anything else of a similar name, stays.
// Returns how many were removed.
int RemoveDeadStagingFolders(const QString &destination);

// Removes folder and everything in it without following a link, making folders that the set
// left unreadable readable first. True when it is gone.
bool RemoveTree(const QString &folder);
