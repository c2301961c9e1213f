#include "support/FakeBackend.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "engine/EngineContext.h"
#include "engine/JobCheckpoint.h"

SetPlan FakeBackend::list()
{
    SetPlan plan;
    plan.firstVolume = firstVolume;
    plan.volumes << firstVolume;
    plan.opened = plan.complete = true;
    for (const FakeEntry &entry : std::as_const(entries)) {
        plan.entries << PlannedEntry{entry.name, entry.content.size(), false};
        plan.unpackedTotal += entry.content.size();
    }
    return plan;
}

bool FakeBackend::extractTo(const QString &folder, ArchiveSink &sink)
{
    m_extracted.clear();
    m_written.clear();
    qint64 done = 0;
    for (int i = 0; i < entries.size(); ++i) {
        const FakeEntry &entry = entries.at(i);
        sink.currentEntry(entry.name);
        if (sink.checkpoint().pass() || i == failAt) {
            sink.logLine(LogTag::Unpack + QStringLiteral("fake: %1 failed").arg(entry.name));
            sink.finished(false);
            return false;
        }
        const QString path = folder + entry.name;
        QDir().mkpath(QFileInfo(path).path());
        if (!entry.linkTarget.isEmpty()) {
            QFile::link(entry.linkTarget, path);
        } else {
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
                return false;
            file.write(entry.content);
            m_written.insert(entry.name, entry.content.size());
        }
        m_extracted << entry.name;
        done += entry.content.size();
        sink.progress(done / 1024, QStringLiteral("%1 bytes").arg(done), QString());
    }
    sink.finished(true);
    return true;
}

BackendFactory FakeBackend::factory() const
{
    const FakeBackend model = *this;
    return [model](EngineContext &, const QString &path, const SetPlan *) {
        auto backend = std::make_unique<FakeBackend>(model);
        backend->firstVolume = path;
        return backend;
    };
}
