// Writes a picture of each tab of the main window, as a fresh start shows it, and of the splash,
// the about window, the disk-space window and the tray menu into a folder.
// Used by scripts/screenshots with the offscreen platform.

#include <QApplication>
#include <QDir>
#include <QTabWidget>
#include <QTextStream>

#include <QMenu>

#include "platform/QtPlatform.h"
#include "tools/DiskSpaceWindow.h"
#include "ui/AboutWindow.h"
#include "ui/MainWindow.h"
#include "ui/SplashWindow.h"
#include "ui/WidgetDialogs.h"

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 2) {
        QTextStream(stderr) << "usage: tevo-screenshots <output folder>\n";
        return 2;
    }
    const QDir target(arguments.at(1));
    if (!QDir().mkpath(target.path()))
        return 1;

    WidgetDialogs dialogs;
    QtPlatform platform;
    TForm1 form(dialogs, platform);
    dialogs.setParent(&form);
    if (!form.StartupLanguageLoad())
        return 1;
    form.AddLogLine(LogTag::Init + form.context().LangText(137, {QStringLiteral("v1.06")}));
    form.show();

    const QStringList names{
        QStringLiteral("tab1-input-output.png"), QStringLiteral("tab2-options.png"),
        QStringLiteral("tab3-after-extraction.png"), QStringLiteral("tab4-skip-delete-list.png"),
        QStringLiteral("tab5-progress-log.png")};
    for (int tab = 0; tab < names.size(); ++tab) {
        form.Pages->setCurrentIndex(tab);
        QApplication::processEvents();
        const QString file = target.filePath(names.at(tab));
        if (!form.grab().save(file)) {
            QTextStream(stderr) << "cannot write " << file << "\n";
            return 1;
        }
        QTextStream(stdout) << file << "\n";
    }

    TForm2 splash;
    splash.show();
    form.Button2Click();
    form.Button13Click();
    form.TrayMenu->popup(QPoint(0, 0));
    QApplication::processEvents();
    const QList<QPair<QWidget *, QString>> windows{
        {&splash, QStringLiteral("splash.png")},
        {&form.aboutWindow(), QStringLiteral("about.png")},
        {&form.diskSpaceWindow(), QStringLiteral("disk-space.png")},
        {form.TrayMenu, QStringLiteral("tray-menu.png")}};
    for (const auto &[window, name] : windows) {
        const QString file = target.filePath(name);
        if (!window->grab().save(file)) {
            QTextStream(stderr) << "cannot write " << file << "\n";
            return 1;
        }
        QTextStream(stdout) << file << "\n";
    }
    return 0;
}
