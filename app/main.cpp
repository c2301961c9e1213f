// Tevo: turns downloaded release folders into their usable contents.

#include <QApplication>

#include "jobs/SingleInstance.h"
#include "jobs/Startup.h"
#include "platform/QtPlatform.h"
#include "ui/MainWindow.h"
#include "ui/Pictures.h"
#include "ui/WidgetDialogs.h"

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tevo"));
    QApplication::setWindowIcon(ApplicationIcon());

    // A Tevo already running takes the folders (the folder menu, a script) and this one ends.
    const QStringList parameters = QCoreApplication::arguments().mid(1);
    if (SingleInstance::handOver(parameters))
        return 0;

    WidgetDialogs dialogs;
    QtPlatform platform;
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
