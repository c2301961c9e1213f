#pragma once
// The archive sink of a folder run: the window's progress display, the log and message boxes.

#include "engine/ArchiveBackend.h"

class EngineContext;

class EngineSink : public ArchiveSink
{
public:
    explicit EngineSink(EngineContext &ctx) : m_ctx(ctx) {}

    void currentEntry(const QString &text) override;
    void progressRange(qint64 maximumKiB) override;
    void progress(qint64 doneKiB, const QString &text, const QString &title) override;
    void logLine(const QString &text) override;
    void errorBox(const QString &text, const QString &caption) override;
    bool question(const QString &text) override;
    void finished(bool ok) override { Q_UNUSED(ok); }
    JobCheckpoint &checkpoint() override;

private:
    EngineContext &m_ctx;
};
