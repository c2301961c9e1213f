#pragma once
// Moves a set that was extracted in full into its staging folder to its destination, all or
// nothing: links that lead outside are left out, modes follow the umask, today's collision rules
// decide, and on any failure the destination is as it was.

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QtGlobal>

class EngineContext;
class JobCheckpoint;
class StagingFolder;

// One entry of the staged tree, by its path relative to the tree.
struct StagedEntry
{
    enum class Kind { File, Folder, Link, Other };
    QString name;
    Kind kind = Kind::Other;
    qint64 size = 0;
    unsigned mode = 0;
};

// Every entry under root (ending with "/"), parents before their contents, without following a
// link; folders closed to their owner are opened up to be listed (their mode as found is kept).
// With checkpoint, the window runs after each folder: a tree of thousands of files takes a while.
QList<StagedEntry> ListStagedTree(const QString &root, JobCheckpoint *checkpoint = nullptr);

// Whether the link stored at name (relative to root) with the given target resolves, through
// every link on its way as they are on disk under root, to a place inside root.
bool LinkResolvesInside(const QString &root, const QString &name, const QString &target);

// The mode an entry is published with: the stored permission bits under the process umask,
// never setuid or setgid.
unsigned PublishedMode(unsigned storedMode, unsigned umask);
// The process umask as it is now.
unsigned ProcessUmask();

class SetPublisher
{
public:
    // ownFolder: each set has a folder of its own, where an older file of an entry's name is the
    // set's own earlier output and may be replaced whatever its size.
    SetPublisher(EngineContext &ctx, const StagingFolder &staging, const QString &destination,
                 bool ownFolder);

    // Removes every link that leads outside the set's tree, each with its log line, and gives
    // every file and folder its published mode. The names left out go to leftOut.
    void prepare(QStringList &leftOut);
    // Whether every file the back-end wrote is there with the size its header gave (sizes at or
    // above 2^62 are unknown); logs the first that is not.
    bool sizesMatch(const QHash<QString, qint64> &written);
    // Moves the tree into the destination: a top-level entry whose name is free with one rename,
    // otherwise entry by entry. Refuses (logged, nothing changed) a file written earlier in this
    // job, a different existing file (unless ownFolder), a read-only one, and a file where a
    // folder is or the other way round.
    bool publish();
    // The full paths of the files and links published.
    const QStringList &publishedFiles() const { return m_published; }

private:
    struct Move
    {
        QString from;
        QString to;
        bool replaces = false;
        QString backup;
    };
    using Children = QHash<QString, QList<qsizetype>>;
    bool planMerge(const QString &relative, const Children &children, QList<Move> &moves);
    bool mayReplace(const QString &name, const QString &target, qint64 stagedSize);
    bool refuse(const QString &text);
    void undo(const QList<Move> &done);

    EngineContext &m_ctx;
    const StagingFolder &m_staging;
    QString m_destination;
    bool m_ownFolder;
    // After prepare(): the staged tree, each file and folder with the mode it is published with.
    QList<StagedEntry> m_tree;
    // The staged folders that were merged into folders already in the destination.
    QSet<QString> m_mergedFolders;
    QStringList m_published;
};
