#pragma once
// What a running job shows and locks in the window: progress display, title, tabs, run-time control
// locks.

#include <QString>
#include <QtGlobal>

enum class WindowTab { InputOutput, Options, AfterExtraction, SkipDeleteList, ProgressLog };

class JobView
{
public:
    virtual ~JobView() = default;

    // The progress group (bar, "Current File:", "Progress:", Label4, Label5).
    virtual void setProgressEnabled(bool enabled) = 0;
    virtual void setProgressRange(int maximum) = 0;
    virtual void setProgressPosition(int position) = 0;
    virtual void setCurrentFileText(const QString &text) = 0; // Label5
    virtual void setProgressText(const QString &text) = 0;    // Label4
    // The bytes of the current extraction written so far, for a display that shows a speed;
    // the window shows none and takes no notice.
    virtual void setBytesDone(qint64 done) { Q_UNUSED(done); }
    // The application title, "[Tevo]" when idle and "[Tevo] n%" while extracting.
    virtual void setApplicationTitle(const QString &title) = 0;

    // Locks the output, deletion, shutdown and close settings for a folder run; unlocking
    // re-applies their enabling rules.
    virtual void setRunControlsLocked(bool locked) = 0;

    virtual void showTab(WindowTab tab) = 0;
    // Clears the input queue (the "Clear queue and jump back" action).
    virtual void clearQueue() = 0;
    // Empties the input folder text (the same action, in single-folder mode).
    virtual void clearInputFolder() = 0;
    // Asks the main window to close; it does so once the job has returned.
    virtual void requestClose() = 0;
};
