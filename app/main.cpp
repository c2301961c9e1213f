// Tevo: turns downloaded release folders into their usable contents.

#include <QApplication>

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

    WidgetDialogs dialogs;
    QtPlatform platform;
    StartupOptions options;
    options.windowCreated = [&dialogs](TForm1 &form) { dialogs.setParent(&form); };
    TevoProgram program(dialogs, platform, options);
    program.start(QCoreApplication::arguments().mid(1));
    return program.exec();
}
