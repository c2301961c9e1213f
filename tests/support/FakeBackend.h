#pragma once
// A back-end without an archive, for job, pipeline and publish tests where the archive is not the
// point: it writes the entries it is given into the folder and fails where the test says.

#include <QByteArray>
#include <QList>
#include <QString>

#include "engine/ArchiveBackend.h"
#include "engine/Backends.h"

struct FakeEntry
{
    QString name;       // relative path, "/" between folders
    QByteArray content; // a file's bytes
    QString linkTarget; // not empty: a symbolic link to this
};

struct FakeBackend : ArchiveBackend
{
    explicit FakeBackend(QList<FakeEntry> entries) : entries(std::move(entries)) {}

    QList<FakeEntry> entries;
    // Set by factory() to the set's path.
    QString firstVolume;
    // The entry at which the extraction fails with a log line; -1: none does.
    int failAt = -1;

    SetPlan list() override;
    bool extractTo(const QString &folder, ArchiveSink &sink) override;
    QStringList extractedEntries() const override { return m_extracted; }
    QHash<QString, qint64> writtenFiles() const override { return m_written; }
    QStringList leftOut() const override { return {}; }

    // A factory for EngineContext::backendFactory that makes a copy of this back-end for every
    // set.
    BackendFactory factory() const;

private:
    QStringList m_extracted;
    QHash<QString, qint64> m_written;
};
