#pragma once
// Tevo's start and end: the splash, the main window with its start-up sequence (which may run a
// whole command-line job), the event loop, and the exit once the main window has closed.

#include <functional>
#include <memory>
#include <QStringList>

#include "engine/Version.h"

class Dialogs;
class Platform;
class TForm1;
class TForm2;

// The start-up sequence the creation of the main window runs, in its order: job flags,
// "last.os", the language file, sound, "Always stay in TNA", the context-menu entry, the
// "[iNiT   ] " line and the command line. Returns false when no language file was found: the
// user has been told and the program has to end (nothing further runs, no command-line job).
// *soundUnavailable tells whether sound output could not be set up.
// initSound sets up sound output and says whether it is unavailable (InitSoundOutput when not
// given); a failure is logged once after the start-up line.
bool RunStartupSequence(TForm1 &form, const QStringList &parameters, bool *soundUnavailable,
                        const std::function<bool()> &initSound = {});

struct StartupOptions
{
    int splashMilliseconds = 1000;
    // Called as soon as the main window exists, before its start-up sequence.
    std::function<void(TForm1 &)> windowCreated;
    // Sets up sound output; true when there is none (InitSoundOutput when not given).
    std::function<bool()> initSound;
};

class TevoProgram
{
public:
    TevoProgram(Dialogs &dialogs, Platform &platform, StartupOptions options = {});
    ~TevoProgram();

    // Shows the splash, creates the main window and runs its start-up sequence with the
    // command-line parameters (without the program's name), then hides the splash.
    void start(const QStringList &parameters);
    // Shows the main window and runs the event loop until the window closes; returns at once
    // when the window closed during start-up (a command-line job with "Close Tevo after
    // extraction") or start-up found no language file. Returns the exit code. Missing sound
    // output is shown in a box only when the after-extraction action plays a sound.
    int exec();

    TForm1 &form() { return *m_form; }
    // True once start() has returned: the window holds its settings and any command-line job
    // has run.
    bool started() const { return m_started; }
    TForm2 &splash() { return *m_splash; }

private:
    // Shows the splash and keeps it painted for the splash time.
    void showSplash();

    Dialogs &m_dialogs;
    Platform &m_platform;
    StartupOptions m_options;
    std::unique_ptr<TForm2> m_splash;
    std::unique_ptr<TForm1> m_form;
    bool m_mustEnd = false;
    bool m_started = false;
    bool m_soundUnavailable = false;
};
