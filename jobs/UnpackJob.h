#pragma once
// The unpack job: the Unpack command over the input folder or the queue, and Stop and Pause.

#include <functional>
#include <QList>
#include <QString>
#include <QStringList>

class EngineContext;
class JobWindow;
class SoundOutput;

class UnpackJob
{
public:
    // One folder run: unpacks the folder and returns the paths it extracted.
    using FolderRun = std::function<QStringList(const QString &folder)>;

    UnpackJob(EngineContext &ctx, JobWindow &window, SoundOutput &sound, FolderRun folderRun);

    // Unpack: one folder run per input folder, each followed by its after-extraction action. An
    // unexpected error ends the job; it is shown in an error box once the job's end is written.
    void start();
    // Stop: toggles the request to stop after the current archive; nothing while no job runs.
    void stop();
    // Pause: toggles holding the job at its next progress report; nothing while no job runs.
    void togglePause();

private:
    void runFolders();
    void endJob();
    // One folder run, counted unless it refused its folder; number and count name it in the log.
    QStringList runFolder(const QString &folder, int number, int count);
    // One line per folder run: what it unpacked and what failed.
    void logSummary();

    struct FolderOutcome
    {
        QString folder;
        int unpacked = 0;
        int failed = 0;
    };

    EngineContext &m_ctx;
    JobWindow &m_window;
    SoundOutput &m_sound;
    FolderRun m_folderRun;
    int m_folderRuns = 0; // folder runs of the current job that were not refused
    QList<FolderOutcome> m_outcomes;
    bool m_running = false;
};
