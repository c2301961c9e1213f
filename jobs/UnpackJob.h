#pragma once
// The unpack job: the Unpack command over the input folder or the queue, and Stop and Pause.

#include <functional>
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
    void Button1Click();
    // Stop: toggles the request to stop after the current archive; nothing while no job runs.
    void Button14Click();
    // Pause: toggles holding the job at its next progress report; nothing while no job runs.
    void Button15Click();

private:
    void runFolders();
    void endJob();
    // One folder run, counted unless it refused its folder.
    QStringList runFolder(const QString &folder);

    EngineContext &m_ctx;
    JobWindow &m_window;
    SoundOutput &m_sound;
    FolderRun m_folderRun;
    int m_folderRuns = 0; // folder runs of the current job that were not refused
    bool m_running = false;
};
