// Tevo: turns downloaded release folders into their usable contents.

#include <cstdio>

#include <QApplication>

#include "engine/Version.h"
#include "jobs/SingleInstance.h"
#include "ui/DesktopPlatform.h"
#include "ui/HandOver.h"
#include "ui/MainWindow.h"
#include "ui/Pictures.h"
#include "ui/Startup.h"
#include "ui/WidgetDialogs.h"

namespace {

const char Usage[] =
    "Usage: tevo [FOLDER...] [-unpack] [-watch]\n"
    "\n"
    "Opens Tevo's window. One folder becomes the input folder, several fill the queue;\n"
    "-unpack unpacks them at once, -watch starts watching. While a Tevo is running, the\n"
    "folders and switches go to it and this one ends.\n"
    "\n"
    "  --help     shows this text\n"
    "  --version  shows the version\n"
    "\n"
    "Without a display (a server, a NAS, a seedbox) use tevo-cli: tevo-cli --help.\n";

bool hasDisplay()
{
    for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
        if (!qEnvironmentVariableIsEmpty(name))
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument == "--help" || argument == "-h") {
            std::fputs(Usage, stdout);
            return 0;
        }
        if (argument == "--version") {
            std::printf("tevo %s\n", qPrintable(TevoVersionText));
            return 0;
        }
    }
    if (!hasDisplay()) {
        // A running Tevo may still take the folders (a script over ssh on the desktop machine).
        QCoreApplication core(argc, argv);
        if (SingleInstance::handOver(QCoreApplication::arguments().mid(1)))
            return 0;
        std::fputs("tevo: no display to show the window on (neither DISPLAY nor WAYLAND_DISPLAY "
                   "is set).\nUnpack without a window with tevo-cli: tevo-cli --help.\n",
                   stderr);
        return 1;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tevo"));
    QApplication::setWindowIcon(ApplicationIcon());

    // A Tevo already running takes the folders (the folder menu, a script) and this one ends.
    const QStringList parameters = QCoreApplication::arguments().mid(1);
    if (SingleInstance::handOver(parameters))
        return 0;

    WidgetDialogs dialogs;
    DesktopPlatform platform;
    StartupOptions options;
    TForm1 *window = nullptr;
    QList<QStringList> handedOverEarly; // before the main window has its settings
    options.windowCreated = [&](TForm1 &form) {
        dialogs.setParent(&form);
        window = &form;
    };
    TevoProgram program(dialogs, platform, options);
    SingleInstance instance;
    instance.listen([&](const QStringList &handedOver) {
        if (window && program.started())
            TakeHandedOverCommandLine(*window, handedOver);
        else
            handedOverEarly << handedOver;
    });
    program.start(parameters);
    for (const QStringList &early : std::as_const(handedOverEarly))
        TakeHandedOverCommandLine(*window, early);
    return program.exec();
}
