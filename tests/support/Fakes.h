#pragma once
// Test doubles for the engine's window and system: a recording log and view,
// scripted dialogs and a platform with its own clock that never opens, runs or powers off anything.
// Those of the jobs are in support/JobFakes.h, the tray's in support/TrayFakes.h.

#include <deque>
#include <functional>
#include <memory>
#include <QDateTime>
#include <QList>
#include <QStringList>

#include "engine/EngineContext.h"
#include "engine/Pipeline.h"
#include "engine/SoundOutput.h"
#include "settings/SettingsModel.h"

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

// One engine context over fakes, with the project's english.lng loaded.
struct TestContext
{
    SettingsModel settings;
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
