// The main window's life cycle and its companions: the Close, Disk space, Tray and About
// buttons, the tray icon, and the closing step that saves "last.os".

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QPushButton>
#include <QTimer>

#include "engine/Errors.h"
#include "engine/TextNumbers.h"
#include "settings/ConfigLocation.h"
#include "ui/AboutWindow.h"
#include "ui/DiskSpaceWindow.h"
#include "ui/MainWindow.h"
#include "ui/TrayIcon.h"

namespace {
// How often a waiting close looks whether the job has ended.
constexpr int PendingCloseCheckMs = 20;
} // namespace

void TForm1::connectProgramWindows()
{
    // The tray menu presses the buttons' commands: emitting clicked() runs them also while a
    // button is disabled (Stop and Pause when no job runs).
    m_trayIcon = std::make_unique<TrayIcon>(
        *this, m_settings, m_context.dialogs,
        TrayMenuItems{TrayMenu, Open1, N1, Pause1, Stop1, DiskSpace1},
        TrayCommands{[this] { emit Button15->clicked(); }, [this] { emit Button14->clicked(); },
                     [this] { emit Button13->clicked(); }});
    m_diskSpaceWindow = std::make_unique<TFrmDiskSpace>(m_settings, m_context.dialogs);
    m_aboutWindow = std::make_unique<TForm3>();

    m_pendingCloseTimer = new QTimer(this);
    m_pendingCloseTimer->setInterval(PendingCloseCheckMs);
    connect(m_pendingCloseTimer, &QTimer::timeout, this, &TForm1::finishPendingClose);

    connect(Button3, &QPushButton::clicked, this, &TForm1::Button3Click);
    connect(Button13, &QPushButton::clicked, this, &TForm1::Button13Click);
    connect(Button24, &QPushButton::clicked, this, &TForm1::Button24Click);
    connect(Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
}

void TForm1::Button3Click()
{
    if (m_job.UnpackRunning &&
        m_context.dialogs.messageBox(m_context.LangText(Text::CloseWhileRunning),
                                     QStringLiteral("Question"), MessageIcon::Question,
                                     MessageButtons::YesNo) != MessageAnswer::Yes)
        return;
    // A paused extraction resumes its wait loop and sees the abort.
    m_job.Paused = false;
    m_job.AbortRequested = true;
    close();
}

void TForm1::Button13Click()
{
    m_diskSpaceWindow->showOrRaise();
}

void TForm1::Button24Click()
{
    m_trayIcon->SendToTray(true);
}

void TForm1::Button2Click()
{
    m_aboutWindow->showOver(this);
}

QString TForm1::lastOptionSetPath() const
{
    return LastOptionSetPath(m_context.programFolder);
}

bool TForm1::jobRunning() const
{
    return m_job.UnpackRunning || m_job.JobStartTick != 0;
}

void TForm1::finishPendingClose()
{
    if (!m_closePending || m_closed)
        return;
    if (jobRunning()) {
        m_pendingCloseTimer->start();
        return;
    }
    m_pendingCloseTimer->stop();
    close();
}

void TForm1::closeEvent(QCloseEvent *event)
{
    if (m_closed) {
        event->accept();
        return;
    }
    m_closed = true;
    m_closePending = false;
    m_pendingCloseTimer->stop();
    // However the window closes (title bar, Alt+F4, the desktop's session end), a running job
    // must not outlive it: with the window and the icon gone, a paused job would wait unseen
    // forever. The pause is lifted so that its wait loop sees the abort.
    if (jobRunning()) {
        m_job.Paused = false;
        m_job.AbortRequested = true;
    }
    try {
        SaveOptionSet(lastOptionSetPath(), false);
    } catch (const TevoError &error) {
        ShowError(error.message());
    }
    m_diskSpaceWindow->hide();
    m_aboutWindow->hide();
    m_trayIcon->removeIcon();
    event->accept();
    // Ends the event loop once control returns to it; a job still running inside it finishes
    // first, and nothing is destroyed before then. Before the loop runs, start-up sees
    // hasClosed() and does not enter it.
    QCoreApplication::quit();
}
