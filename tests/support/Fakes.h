#pragma once
// Test doubles for the engine's window and system: settings in memory, a recording log and view,
// scripted dialogs and a platform with its own clock that never opens, runs or powers off anything.

#include <deque>
#include <functional>
#include <memory>
#include <QDateTime>
#include <QList>
#include <QStringList>

#include "engine/EngineContext.h"
#include "engine/Pipeline.h"
#include "engine/SoundOutput.h"
#include "jobs/JobWindow.h"
#include "jobs/TrayIcon.h"
#include "jobs/UnpackJob.h"

// Every setting with its default, as plain fields.
struct MemorySettings : Settings
{
    InputModeChoice inputMode = InputModeChoice::SingleFolder;
    QString inputFolder;
    QStringList queue;
    OutputModeChoice outputMode = OutputModeChoice::InputFolder;
    QString customOutputDir;
    bool subdirPerEntry = false;
    SubdirNamingChoice subdirNaming = SubdirNamingChoice::ArchiveName;
    bool scanSubdirs = true;
    bool checkSfv = true;
    bool fullOutput = false;
    bool checkOnly = false;
    bool checkWithoutArchive = false;
    bool openNfo = true;
    bool copyNfo = false;
    bool deleteSources = false;
    DeleteTimingChoice deleteTiming = DeleteTimingChoice::AfterExtraction;
    bool deleteEmptySourceFolder = false;
    bool openDestination = false;
    bool shutdownAfter = false;
    bool closeAfter = false;
    bool suppressErrors = true;
    bool unpackZipFirst = true;
    bool deleteZipAfter = true;
    bool repairWithPar2 = true;
    bool noReturnFromTray = false;
    bool alwaysInTray = false;
    bool shellIntegration = false;
    QString watchInterval = QStringLiteral("15");
    QString languageFile = QStringLiteral("english.lng");
    PriorityChoice priority = PriorityChoice::Normal;
    AfterActionChoice afterAction = AfterActionChoice::DoNothing;
    QString soundFile;
    QString runCommand = QStringLiteral("cdemu load 0 \"%1\"");
    bool runPerQueueEntry = false;
    RunFileFilterChoice runFileFilter = RunFileFilterChoice::OfType;
    QString runExtension = QStringLiteral("cue");
    bool runOnce = false;
    bool listsApplyToFiles = false;
    QStringList skipList;
    QStringList deleteList;
    QString lastOpenPath;

    InputModeChoice InputMode() const override { return inputMode; }
    QString InputFolder() const override { return inputFolder; }
    QStringList Queue() const override { return queue; }
    OutputModeChoice OutputMode() const override { return outputMode; }
    QString CustomOutputDir() const override { return customOutputDir; }
    bool SubdirPerEntry() const override { return subdirPerEntry; }
    SubdirNamingChoice SubdirNaming() const override { return subdirNaming; }
    bool ScanSubdirs() const override { return scanSubdirs; }
    bool CheckSfv() const override { return checkSfv; }
    bool FullOutput() const override { return fullOutput; }
    bool CheckOnly() const override { return checkOnly; }
    bool CheckWithoutArchive() const override { return checkWithoutArchive; }
    bool OpenNfo() const override { return openNfo; }
    bool CopyNfo() const override { return copyNfo; }
    bool DeleteSources() const override { return deleteSources; }
    DeleteTimingChoice DeleteTiming() const override { return deleteTiming; }
    bool DeleteEmptySourceFolder() const override { return deleteEmptySourceFolder; }
    bool OpenDestination() const override { return openDestination; }
    bool ShutdownAfter() const override { return shutdownAfter; }
    bool CloseAfter() const override { return closeAfter; }
    bool SuppressErrors() const override { return suppressErrors; }
    bool UnpackZipFirst() const override { return unpackZipFirst; }
    bool DeleteZipAfter() const override { return deleteZipAfter; }
    bool RepairWithPar2() const override { return repairWithPar2; }
    bool NoReturnFromTray() const override { return noReturnFromTray; }
    bool AlwaysInTray() const override { return alwaysInTray; }
    bool ShellIntegration() const override { return shellIntegration; }
    QString WatchInterval() const override { return watchInterval; }
    QString LanguageFile() const override { return languageFile; }
    PriorityChoice Priority() const override { return priority; }
    AfterActionChoice AfterAction() const override { return afterAction; }
    QString SoundFile() const override { return soundFile; }
    QString RunCommand() const override { return runCommand; }
    bool RunPerQueueEntry() const override { return runPerQueueEntry; }
    RunFileFilterChoice RunFileFilter() const override { return runFileFilter; }
    QString RunExtension() const override { return runExtension; }
    bool RunOnce() const override { return runOnce; }
    bool ListsApplyToFiles() const override { return listsApplyToFiles; }
    QStringList SkipList() const override { return skipList; }
    QStringList DeleteList() const override { return deleteList; }
    QString LastOpenPath() const override { return lastOpenPath; }
};

// Keeps every log line, and the message part of each (the text after "[hh:nn] ").
struct RecordingLog : LogSink
{
    QStringList lines;
    void appendLogLine(const QString &line) override { lines << line; }
    QStringList messages() const;
    bool contains(const QString &fragment) const;
};

struct RecordingJobView : JobView
{
    bool progressEnabled = false;
    int progressMaximum = 0;
    int progressPosition = 0;
    QString currentFileText = QStringLiteral("??");
    QString progressText;
    QString applicationTitle = QStringLiteral("[Tevo]");
    QStringList titles;
    bool runControlsLocked = false;
    QList<WindowTab> shownTabs;
    int queueClears = 0;
    int inputFolderClears = 0;
    int closeRequests = 0;
    // Called on every progress update, for tests that act in the middle of a job.
    std::function<void()> onProgress;
    // Called when the queue is cleared, for tests whose settings hold the queue.
    std::function<void()> onClearQueue;

    void setProgressEnabled(bool enabled) override { progressEnabled = enabled; }
    void setProgressRange(int maximum) override { progressMaximum = maximum; }
    void setProgressPosition(int position) override;
    void setCurrentFileText(const QString &text) override { currentFileText = text; }
    void setProgressText(const QString &text) override { progressText = text; }
    void setApplicationTitle(const QString &title) override;
    void setRunControlsLocked(bool locked) override { runControlsLocked = locked; }
    void showTab(WindowTab tab) override { shownTabs << tab; }
    void clearQueue() override
    {
        ++queueClears;
        if (onClearQueue)
            onClearQueue();
    }
    void clearInputFolder() override { ++inputFolderClears; }
    void requestClose() override { ++closeRequests; }
};

// The command buttons and watch timer of a job, as plain fields.
struct RecordingJobWindow : JobWindow
{
    bool unpackEnabled = true;
    bool watchEnabled = true;
    bool stopEnabled = false;
    bool pauseEnabled = false;
    QString stopCaption = QStringLiteral("Stop");
    QString pauseCaption = QStringLiteral("Pause");
    bool watching = false;

    void setUnpackEnabled(bool enabled) override { unpackEnabled = enabled; }
    void setWatchEnabled(bool enabled) override { watchEnabled = enabled; }
    void setStopEnabled(bool enabled) override { stopEnabled = enabled; }
    void setStopCaption(const QString &caption) override { stopCaption = caption; }
    void setPauseEnabled(bool enabled) override { pauseEnabled = enabled; }
    void setPauseCaption(const QString &caption) override { pauseCaption = caption; }
    bool watchTimerEnabled() const override { return watching; }
};

// Answers dialogs from queues set up by the test; a dialog nobody scripted fails the test.
struct ScriptedDialogs : Dialogs
{
    struct ShownMessage
    {
        QString text;
        QString caption;
        MessageIcon icon;
        MessageButtons buttons;
    };
    QList<ShownMessage> shownMessages;
    std::deque<MessageAnswer> messageAnswers;
    std::deque<QString> folderAnswers;
    std::deque<QString> fileAnswers;
    std::deque<std::optional<QString>> inputAnswers;
    // When no answer is scripted, message boxes get this answer instead of failing.
    std::optional<MessageAnswer> defaultMessageAnswer = MessageAnswer::Ok;
    // Called as each message box is shown, for tests that look at the moment it appears.
    std::function<void(const ShownMessage &)> onMessage;

    void setNextAnswer(MessageAnswer answer) { messageAnswers.push_back(answer); }

    MessageAnswer messageBox(const QString &text, const QString &caption, MessageIcon icon,
                             MessageButtons buttons) override;
    QString chooseFolder(const QString &title, const QString &startFolder) override;
    QString chooseOpenFile(const QString &title, const QString &startFolder, const QString &filter,
                           const QString &defaultSuffix) override;
    QString chooseSaveFile(const QString &title, const QString &startFolder, const QString &filter,
                           const QString &defaultSuffix) override;
    std::optional<QString> inputBox(const QString &caption, const QString &prompt,
                                    const QString &initial) override;
};

// Records what would have been opened, started or shut down; its clock moves only when told
// (or by sleepMs), so timed behaviour is tested without waiting.
struct FakePlatform : Platform
{
    QStringList openedPaths;
    QList<QStringList> startedPrograms; // program first, then its arguments
    int shutdownRequests = 0;
    QList<PriorityChoice> priorities; // every priority asked for
    // The priorities this system refuses (an ordinary user cannot raise the priority), and the
    // one in force.
    QList<PriorityChoice> refusedPriorities;
    PriorityChoice priorityInForce = PriorityChoice::Normal;
    int processEventsCalls = 0;
    std::uint32_t tick = 1000;
    QDateTime now = QDateTime(QDate(2026, 1, 2), QTime(9, 3, 0));
    std::function<void()> onProcessEvents;
    // Real event processing as well, for tests that drive widgets.
    bool pumpRealEvents = false;

    bool openPath(const QString &path) override;
    bool startDetached(const QString &program, const QStringList &arguments) override;
    void requestShutdown() override { ++shutdownRequests; }
    PriorityChoice setProcessPriority(PriorityChoice priority) override;
    void processEvents() override;
    void sleepMs(int milliseconds) override;
    std::uint32_t tickCount() const override { return tick; }
    QDateTime currentDateTime() const override { return now; }
};

// Keeps the sounds the job would have played.
struct RecordingSound : SoundOutput
{
    QStringList played;
    void PlaySoundFile(const QString &path) override { played << path; }
};

// A notification area under the test's control: it takes the icon unless made unavailable.
struct FakeTrayShell : TrayShell
{
    bool available = true;
    bool shown = false;
    int addRequests = 0;
    bool addIcon() override
    {
        ++addRequests;
        if (available)
            shown = true;
        return available;
    }
    void removeIcon() override { shown = false; }
    bool iconShown() const override { return shown; }
};

// One engine context over fakes, with the project's english.lng loaded.
struct TestContext
{
    MemorySettings settings;
    LanguageTexts language;
    RecordingLog log;
    RecordingJobView view;
    ScriptedDialogs dialogs;
    FakePlatform platform;
    JobControl job;
    EngineContext context{settings, language, log, view, dialogs, platform, job};

    TestContext();
};

// The path of the project's english.lng in the source tree.
QString EnglishLanguageFile();

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
