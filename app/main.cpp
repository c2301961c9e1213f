// Tevo: turns downloaded release folders into their usable contents.

#include <QApplication>

#include "engine/EngineContext.h"
#include "jobs/CommandLine.h"
#include "platform/QtPlatform.h"
#include "tools/SoundPlayer.h"
#include "ui/MainWindow.h"
#include "ui/WidgetDialogs.h"

// The version the start-up line names.
static const QString VersionText = QStringLiteral("v1.06");

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tevo"));

    WidgetDialogs dialogs;
    QtPlatform platform;
    TForm1 form(dialogs, platform);
    dialogs.setParent(&form);

    if (!form.StartupLanguageLoad())
        return 1;
    const bool soundUnavailable = InitSoundOutput();
    form.AddLogLine(LogTag::Init + form.context().LangText(137, {VersionText}));
    form.show();
    // Folders and "-unpack"/"-watch" from the command line (the file manager's "Unpack with
    // Tevo" entry, scripts); the window is shown first so that its progress can be watched.
    ApplyCommandLine(form, SplitCommandLine(QCoreApplication::arguments().mid(1)));
    // Told after a command-line job, which a box waiting for OK would otherwise hold up.
    if (soundUnavailable && !form.hasClosed())
        form.ShowError(form.context().LangText(136));
    return app.exec();
}
