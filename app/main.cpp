// Tevo: turns downloaded release folders into their usable contents.

#include <QApplication>

#include "engine/EngineContext.h"
#include "platform/QtPlatform.h"
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
    form.AddLogLine(LogTag::Init + form.context().LangText(137, {VersionText}));
    form.show();
    return app.exec();
}
