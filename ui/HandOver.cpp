// What the running Tevo does with a command line that a second start handed over.

#include "ui/HandOver.h"

#include <QPointer>
#include <QTimer>

#include "jobs/CommandLine.h"
#include "jobs/WatchMode.h"
#include "ui/MainWindow.h"
#include "ui/TrayIcon.h"

namespace {

// Runs the action from the event loop as soon as no job runs (at once when none does): a job
// reads its queue by position and empties it at its end, so folders handed over meanwhile
// wait for it, and a job never starts inside the running one.
void whenNoJobRuns(TForm1 &form, std::function<void(TForm1 &)> action)
{
    QPointer<TForm1> window(&form);
    auto *waiting = new QTimer(&form);
    waiting->setInterval(0);
    QObject::connect(waiting, &QTimer::timeout, &form, [window, waiting, action] {
        if (!window || window->jobControl().JobStartTick != 0) {
            waiting->setInterval(200);
            return;
        }
        waiting->stop();
        waiting->deleteLater();
        action(*window);
    });
    waiting->start();
}

void applyCommandLine(TForm1 &form, const CommandLine &commandLine)
{
    if (!commandLine.folders.isEmpty()) {
        SettingsModel &settings = form.settings();
        settings.setInputMode(InputModeChoice::Queue);
        settings.setQueue(QueueWith(settings.Queue(), commandLine.folders));
    }
    for (const QString &option : commandLine.switches) {
        if (option == QLatin1String("watch") && !form.watchMode().watching())
            form.watchMode().toggle();
        else if (option == QLatin1String("unpack"))
            whenNoJobRuns(form, [](TForm1 &window) { window.Button1Click(); });
    }
}

} // namespace

void TakeHandedOverCommandLine(TForm1 &form, const QStringList &parameters)
{
    if (form.isVisible()) {
        form.raise();
        form.activateWindow();
    } else if (parameters.isEmpty() && form.trayIcon().iconShown()) {
        // Started again from the application menu: the user wants to see the window.
        form.trayIcon().ComeBackFromTray();
    }
    const CommandLine commandLine = SplitCommandLine(parameters);
    if (form.jobControl().JobStartTick == 0)
        applyCommandLine(form, commandLine);
    else
        whenNoJobRuns(form,
                      [commandLine](TForm1 &window) { applyCommandLine(window, commandLine); });
}
