#pragma once
// Test doubles for the jobs: a job window of plain fields, and the Unpack command over the fakes.

#include "jobs/JobWindow.h"
#include "jobs/UnpackJob.h"
#include "support/Fakes.h"

// The command buttons and watch timer of a job, as plain fields.
struct RecordingJobWindow : JobWindow
{
    bool unpackEnabled = true;
    bool watchEnabled = true;
    bool stopEnabled = false;
    bool pauseEnabled = false;
    QString stopCaption = QStringLiteral("Stop");
    QString pauseCaption = QStringLiteral("Pause");
    QString watchCaptionText = QStringLiteral("Watch");
    bool watching = false;

    void setUnpackEnabled(bool enabled) override { unpackEnabled = enabled; }
    void setWatchEnabled(bool enabled) override { watchEnabled = enabled; }
    void setWatchCaption(const QString &caption) override { watchCaptionText = caption; }
    QString watchCaption() const override { return watchCaptionText; }
    void setStopEnabled(bool enabled) override { stopEnabled = enabled; }
    void setStopCaption(const QString &caption) override { stopCaption = caption; }
    void setPauseEnabled(bool enabled) override { pauseEnabled = enabled; }
    void setPauseCaption(const QString &caption) override { pauseCaption = caption; }
    bool watchTimerEnabled() const override { return watching; }
};

// The Unpack command over a test context, running the real pipeline on every folder.
struct PipelineJob
{
    explicit PipelineJob(TestContext &t)
        : job(t.context, window, sound,
              [&t](const QString &folder) { return UnPack(t.context, folder); })
    {
    }
    RecordingJobWindow window;
    RecordingSound sound;
    UnpackJob job;
};
