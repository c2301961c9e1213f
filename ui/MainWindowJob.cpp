// The main window's job commands: Unpack, Stop and Pause over the folder runs, and the Play
// button that tries the chosen sound.

#include <QCheckBox>
#include <QPushButton>

#include "engine/Pipeline.h"
#include "engine/TextNumbers.h"
#include "jobs/JobNotification.h"
#include "jobs/WatchMode.h"
#include "ui/MainWindow.h"
#include "ui/TrayIcon.h"

namespace {

// The command buttons and the watch timer as the unpack job sees them.
class FormJobWindow : public JobWindow
{
public:
    explicit FormJobWindow(TForm1 &form) : m_form(form) {}
    void setUnpackEnabled(bool enabled) override { m_form.Button1->setEnabled(enabled); }
    void setWatchEnabled(bool enabled) override { m_form.Button17->setEnabled(enabled); }
    void setWatchCaption(const QString &caption) override { m_form.Button17->setText(caption); }
    QString watchCaption() const override { return m_form.Button17->text(); }
    void setStopEnabled(bool enabled) override { m_form.Button14->setEnabled(enabled); }
    void setStopCaption(const QString &caption) override { m_form.Button14->setText(caption); }
    void setPauseEnabled(bool enabled) override { m_form.Button15->setEnabled(enabled); }
    void setPauseCaption(const QString &caption) override { m_form.Button15->setText(caption); }
    bool watchTimerEnabled() const override { return m_form.watchMode().watching(); }

private:
    TForm1 &m_form;
};

} // namespace

void TForm1::connectJobCommands()
{
    m_soundOutput = std::make_unique<QtSoundOutput>();
    m_jobWindow = std::make_unique<FormJobWindow>(*this);
    m_unpackJob = std::make_unique<UnpackJob>(
        m_context, *m_jobWindow, *m_soundOutput,
        [this](const QString &folder) { return UnPack(m_context, folder); });
    m_soundTestButton = std::make_unique<SoundTestButton>(
        m_language, m_context.platform, [this] { return Button12->text(); },
        [this](const QString &caption) { Button12->setText(caption); });

    m_notifier = std::make_unique<DesktopNotifier>(
        [this](const QString &title, const QString &text, bool failed) {
            return m_trayIcon && m_trayIcon->showMessage(title, text, failed);
        });

    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(Button14, &QPushButton::clicked, this, &TForm1::Button14Click);
    connect(Button15, &QPushButton::clicked, this, &TForm1::Button15Click);
    connect(Button12, &QPushButton::clicked, this, &TForm1::Button12Click);
}

void TForm1::Button1Click()
{
    m_unpackJob->start();
    const JobTally &tally = m_job.Tally;
    // While watching, a round that unpacked nothing is tried again at the next one: only the
    // log tells about it, not a notification every few seconds.
    const bool worthTelling = !watchMode().watching() || tally.archivesUnpacked > 0;
    if (m_settings.NotifyAtJobEnd() && m_notifier && worthTelling) {
        m_notifier->notify(m_context.LangText(Text::JobFinished), JobEndText(m_language, tally),
                           tally.failures > 0);
    }
}

void TForm1::ApplyCommandLine(const CommandLine &commandLine)
{
    ::ApplyCommandLine(m_settings, commandLine,
                       {[this] { Button1Click(); }, [this] { m_watchMode->toggle(); }});
}

void TForm1::Button14Click()
{
    m_unpackJob->stop();
}

void TForm1::Button15Click()
{
    m_unpackJob->togglePause();
}

void TForm1::Button12Click()
{
    m_soundTestButton->Button12Click(m_settings.SoundFile());
}
