#pragma once
// tevo-cli --json: the job's events as one JSON object a line on standard output.

#include <QElapsedTimer>
#include <QJsonObject>

#include "engine/JobEvents.h"

class JsonEvents : public JobEvents
{
public:
    void jobStarted() override;
    void jobEnded(int unpacked, int failed, int seconds) override;
    void folderStarted(const QString &folder) override;
    void folderEnded(const QString &folder, int unpacked, int failed) override;
    void setFound(const QString &set) override;
    void setChecked(const QString &set, bool passed) override;
    void setDone(const QString &set) override;
    void setFailed(const QString &set, const QString &reason) override;
    void fileDeleted(const QString &path) override;
    void error(const QString &text) override { m_lastError = text; }

    // The extraction's progress, at most once a second: the file, its share in percent and the
    // bytes written in the current step.
    void progress(const QString &file, int percent, qint64 bytes);

private:
    void write(const QString &event, QJsonObject fields = {});

    QElapsedTimer m_sinceProgress;
    // The last error of the current set: the reason of a failure that names none.
    QString m_lastError;
};
