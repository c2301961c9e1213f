#include "ui/Startup.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QSignalBlocker>
#include <QWindow>

#include "engine/Errors.h"
#include "engine/TextNumbers.h"
#include "jobs/CommandLine.h"
#include "jobs/StartupSettings.h"
#include "jobs/WatchMode.h"
#include "settings/ShellIntegration.h"
#include "ui/MainWindow.h"
#include "ui/SoundPlayer.h"
#include "ui/SplashWindow.h"
#include "ui/TrayIcon.h"

namespace {
constexpr int SplashStepMs = 10;
} // namespace

bool RunStartupSequence(TForm1 &form, const QStringList &parameters, bool *soundUnavailable,
                        const std::function<bool()> &initSound)
{
    ResetJobControl(form.jobControl());

    // The previous run's settings and lists; they also name the language file.
    LoadStoredSettings(
        form.settings(), form.lastOptionSetPath(), [&form] { form.ComboBox2Change(); },
        [&form](const QString &message) { form.ShowError(message); });

    if (!form.StartupLanguageLoad())
        return false;

    const bool noSound = initSound ? initSound() : InitSoundOutput();
    if (soundUnavailable)
        *soundUnavailable = noSound;

    if (form.settings().AlwaysInTray())
        form.trayIcon().SendToTray(false);

    // The context-menu entry: its state on disk decides the setting, then the setting's rule
    // rewrites the entry for the program's current path (or removes it), run once: by the change,
    // or here when there is none.
    const bool registered = ShellIntegration::ReadState();
    if (form.settings().ShellIntegration() != registered)
        form.settings().setShellIntegration(registered);
    else
        form.ApplyShellIntegrationRule();

    LogStartupLine(form.context());
    // Said once, here; a box only when a sound is chosen (TevoProgram::exec).
    if (noSound)
        form.AddLogLine(LogTag::Init + form.context().LangText(Text::SoundUnavailable));

    // Dropped folders are taken by ListBox1 and Edit1 from the window's creation on.

    // A command-line Unpack or Watch runs here, to its end, before the window is shown.
    form.ApplyCommandLine(SplitCommandLine(parameters));
    return true;
}

TevoProgram::TevoProgram(Dialogs &dialogs, Platform &platform, StartupOptions options)
    : m_dialogs(dialogs), m_platform(platform), m_options(std::move(options))
{
}

TevoProgram::~TevoProgram() = default;

void TevoProgram::start(const QStringList &parameters)
{
    // Closing the main window ends the program; the tool windows closing must not, even when
    // the main window is hidden in the notification area at that moment.
    QApplication::setQuitOnLastWindowClosed(false);

    m_splash = std::make_unique<TForm2>();
    showSplash();

    struct HideSplash
    {
        TForm2 &splash;
        ~HideSplash() { splash.hide(); }
    } hideSplash{*m_splash};

    m_form = std::make_unique<TForm1>(m_dialogs, m_platform);
    if (m_options.windowCreated)
        m_options.windowCreated(*m_form);
    m_mustEnd = !RunStartupSequence(*m_form, parameters, &m_soundUnavailable, m_options.initSound);
    m_started = true;
}

void TevoProgram::showSplash()
{
    m_splash->show();
    // A window manager maps the window a moment after show(), and a paint before that is lost:
    // the splash is painted once it is on screen, and events go on being handled while it
    // stays, so that it is painted again whenever it is uncovered.
    bool painted = false;
    const std::uint32_t shownAt = m_platform.tickCount();
    do {
        m_platform.processEvents();
        const QWindow *window = m_splash->windowHandle();
        if (!painted && window && window->isExposed()) {
            m_splash->repaint();
            painted = true;
        }
        if (std::uint32_t(m_platform.tickCount() - shownAt) >=
            std::uint32_t(m_options.splashMilliseconds))
            break;
        m_platform.sleepMs(SplashStepMs);
    } while (true);
    if (!painted)
        m_splash->repaint();
}

int TevoProgram::exec()
{
    if (m_mustEnd)
        return 1;
    // A close asked for by a command-line job ("Close Tevo after extraction") happens now.
    m_form->finishPendingClose();
    if (m_form->hasClosed())
        return 0;
    m_form->show();
    // Told only now, so that a command-line job was not held up by a box waiting for OK.
    if (m_soundUnavailable && m_form->settings().AfterAction() == AfterActionChoice::PlaySound)
        m_form->ShowError(m_form->context().LangText(Text::SoundUnavailable));
    if (m_form->hasClosed())
        return 0;
    return QApplication::exec();
}
