#pragma once
// What a job decides, as events for a reader other than the log (tevo-cli --json); each does
// nothing unless a program listens. Progress is the job view's.

#include <QString>

class JobEvents
{
public:
    virtual ~JobEvents() = default;

    // The job over its input folders begins; ends with the sets unpacked and failed.
    virtual void jobStarted() {}
    virtual void jobEnded(int unpacked, int failed, int seconds)
    {
        Q_UNUSED(unpacked);
        Q_UNUSED(failed);
        Q_UNUSED(seconds);
    }
    // One input folder's run, with the sets it unpacked and those that failed.
    virtual void folderStarted(const QString &folder) { Q_UNUSED(folder); }
    virtual void folderEnded(const QString &folder, int unpacked, int failed)
    {
        Q_UNUSED(folder);
        Q_UNUSED(unpacked);
        Q_UNUSED(failed);
    }
    // An archive set (its first volume) is taken up, and how its check came out.
    virtual void setFound(const QString &set) { Q_UNUSED(set); }
    virtual void setChecked(const QString &set, bool passed)
    {
        Q_UNUSED(set);
        Q_UNUSED(passed);
    }
    virtual void setDone(const QString &set) { Q_UNUSED(set); }
    // A set failed; an empty reason means the last error() said why.
    virtual void setFailed(const QString &set, const QString &reason)
    {
        Q_UNUSED(set);
        Q_UNUSED(reason);
    }
    // An error for the user (also shown in a box or the log).
    virtual void error(const QString &text) { Q_UNUSED(text); }
    // A file or folder that the clean-up removed.
    virtual void fileDeleted(const QString &path) { Q_UNUSED(path); }
};
