#include "HeadlessProgram.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <csignal>
#include <cstdio>

#include <unistd.h>

#include "engine/Errors.h"
#include "engine/Pipeline.h"
#include "jobs/CommandLine.h"
#include "jobs/JobWindow.h"
#include "jobs/ProcessPriority.h"
#include "jobs/StartupSettings.h"
#include "jobs/UnpackJob.h"
#include "jobs/WatchMode.h"
#include "settings/ConfigLocation.h"
#include "settings/LanguageFolders.h"
#include "settings/OptionsReference.h"
#include "SignalWatch.h"

// No buttons to enable or caption; watching is the watch mode's timer.
class HeadlessJobWindow : public JobWindow
{
public:
    void setUnpackEnabled(bool) override {}
    void setWatchEnabled(bool) override {}
    // tevo-cli starts watching directly, never through the button's caption.
    void setWatchCaption(const QString &) override {}
    QString watchCaption() const override { return {}; }
    void setStopEnabled(bool) override {}
    void setStopCaption(const QString &) override {}
    void setPauseEnabled(bool) override {}
    void setPauseCaption(const QString &) override {}
    bool watchTimerEnabled() const override { return watchMode && watchMode->watching(); }

    WatchMode *watchMode = nullptr;
};

HeadlessProgram::HeadlessProgram(const CliArguments &arguments)
    : m_arguments(arguments), m_json(arguments.json ? std::make_unique<JsonEvents>() : nullptr),
      m_console(isatty(STDERR_FILENO) == 1 && !arguments.json), m_log(m_console, !arguments.json),
      m_view(m_console, m_json.get()),
      m_dialogs(m_console, arguments.yes,
                [this] { return LogTimeStamp(m_platform.currentDateTime()); }),
      m_platform([this](const QString &text) { m_ctx.AddLogLine(LogTag::Notice + text); }),
      m_sound([this](const QString &text) { m_ctx.AddLogLine(LogTag::Notice + text); }),
      m_ctx(m_settings, m_language, m_log, m_view, m_dialogs, m_platform, m_job),
      m_window(std::make_unique<HeadlessJobWindow>())
{
    m_ctx.programFolder = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    m_ctx.events = m_json.get();
    m_unpackJob = std::make_unique<UnpackJob>(
        m_ctx, *m_window, m_sound, [this](const QString &folder) { return UnPack(m_ctx, folder); });
}

HeadlessProgram::~HeadlessProgram() = default;

int HeadlessProgram::run()
{
    // Ctrl+C, SIGTERM and SIGHUP act as the window's Close from the start: a job stops at its next
    // check point and nothing is deleted that was not due already.
    ResetJobControl(m_job);
    m_signals = std::make_unique<SignalWatch>([this](int signal) { onSignal(signal); });

    if (!loadSettings())
        return 2;
    applyAssignments();
    if (!loadLanguage())
        return 1;
    if (m_arguments.listOptions) {
        std::fputs(OptionsReference(m_language).toUtf8().constData(), stdout);
        return 0;
    }
    ApplyProcessPriority(m_ctx, m_settings.Priority());
    LogStartupLine(m_ctx);
    takeFolders();

    if (!m_arguments.watch) {
        if (!m_signal)
            runJob();
        return m_signal ? signalExitCode(m_signal) : jobExitCode();
    }

    m_watchMode =
        std::make_unique<WatchMode>(m_ctx, m_settings, *m_window, nullptr, [this] { runJob(); });
    m_window->watchMode = m_watchMode.get();
    if (!m_watchMode->StartWatching())
        return 2;
    m_console.errorLine(QStringLiteral("Watching every %1 s; Ctrl+C or SIGTERM ends.")
                            .arg(m_settings.WatchInterval()));
    if (m_signal)
        return signalExitCode(m_signal);
    return QCoreApplication::exec();
}

bool HeadlessProgram::loadSettings()
{
    const QString &own = m_arguments.optionSetFile;
    if (!own.isEmpty() && !QFileInfo(own).isFile()) {
        m_console.errorLine(QStringLiteral("tevo-cli: no option-set file %1").arg(own));
        return false;
    }
    bool readable = true;
    // The priority is applied once every setting is in (run).
    LoadStoredSettings(m_settings, own.isEmpty() ? LastOptionSetPath(m_ctx.programFolder) : own, {},
                       [this, &readable](const QString &message) {
                           m_console.errorLine(QStringLiteral("tevo-cli: %1").arg(message));
                           readable = false;
                       });
    // An unreadable last.os leaves the defaults, as in the window; a file asked for must be read.
    return readable || own.isEmpty();
}

void HeadlessProgram::applyAssignments()
{
    // Each was tried on the command line already; what is left cannot fail.
    for (const QString &assignment : std::as_const(m_arguments.assignments))
        ApplySettingAssignment(m_settings, assignment);
}

bool HeadlessProgram::loadLanguage()
{
    const QStringList folders =
        LanguageFolders(m_ctx.programFolder, QStringLiteral(TEVO_INSTALLED_DATA_DIR));
    const StartupLanguage language = FindStartupLanguage(m_settings, folders);
    if (language.path.isEmpty()) {
        m_console.errorLine(QStringLiteral("tevo-cli: no language file found in %1")
                                .arg(folders.join(QStringLiteral(", "))));
        return false;
    }
    try {
        m_language.loadFile(language.path);
    } catch (const TevoError &error) {
        m_console.errorLine(QStringLiteral("tevo-cli: %1").arg(error.message()));
        return false;
    }
    return true;
}

void HeadlessProgram::takeFolders()
{
    QStringList folders;
    for (const QString &folder : std::as_const(m_arguments.folders))
        folders << QFileInfo(folder).absoluteFilePath();
    if (folders.size() == 1) {
        m_settings.setInputMode(InputModeChoice::SingleFolder);
        m_settings.setInputFolder(folders.first());
    } else {
        // Each folder once, as the window's queue takes them.
        m_settings.setInputMode(InputModeChoice::Queue);
        m_settings.setQueue(QueueWith({}, folders));
    }
}

void HeadlessProgram::onSignal(int signal)
{
    if (!m_signal)
        m_signal = signal;
    m_job.AbortRequested = true;
    m_console.errorLine(QStringLiteral("tevo-cli: %1: stopping at the next safe point")
                            .arg(SignalWatch::nameOf(signal)));
    // Between two watch rounds nothing runs: end now. A running job ends first (runJob).
    if (m_job.JobStartTick == 0 && m_watchMode)
        QCoreApplication::exit(signalExitCode(m_signal));
}

void HeadlessProgram::runJob()
{
    m_unpackJob->start();
    if (m_signal && m_watchMode)
        QCoreApplication::exit(signalExitCode(m_signal));
}

int HeadlessProgram::jobExitCode() const
{
    return m_job.Tally.failures > 0 || m_dialogs.errorsShown() > 0 ? 1 : 0;
}
