// Writes a picture of each tab of the main window, as a fresh start shows it, and of the splash,
// the about window, the disk-space window, the tray menu, the progress page during a real job
// (a release made with rar in a temporary folder) and the notification that job sends, into a
// folder; with a long-caption language file, the window again in that language, and the tool
// windows under an 11 pt desktop font. Used by scripts/screenshots with the offscreen platform.

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QProgressBar>
#include <QRandomGenerator>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextStream>
#include <QVBoxLayout>

#include "engine/TextNumbers.h"
#include "jobs/JobNotification.h"
#include "ui/Pictures.h"

#include "ui/AboutWindow.h"
#include "ui/DesktopPlatform.h"
#include "ui/DiskSpaceWindow.h"
#include "ui/MainWindow.h"
#include "ui/SplashWindow.h"
#include "ui/WidgetDialogs.h"

namespace {

bool save(QWidget *window, const QDir &target, const QString &name)
{
    const QString file = target.filePath(name);
    if (!window->grab().save(file)) {
        QTextStream(stderr) << "cannot write " << file << "\n";
        return false;
    }
    QTextStream(stdout) << file << "\n";
    return true;
}

// A release of one 24 MiB file in 4 MiB volumes with its NFO; empty when rar failed.
QString makeRelease(const QTemporaryDir &work)
{
    const QString release = work.filePath(QStringLiteral("Some.Movie.2026"));
    QDir().mkpath(release);
    QFile payload(work.filePath(QStringLiteral("movie.mkv")));
    if (!payload.open(QIODevice::WriteOnly))
        return QString();
    QByteArray block(1 << 20, '\0');
    for (int i = 0; i < 24; ++i) {
        QRandomGenerator(i).fillRange(reinterpret_cast<quint32 *>(block.data()), block.size() / 4);
        payload.write(block);
    }
    payload.close();
    QProcess rar;
    rar.setWorkingDirectory(work.path());
    rar.start(QStringLiteral("rar"),
              {QStringLiteral("a"), QStringLiteral("-m0"), QStringLiteral("-v4m"),
               QStringLiteral("-idq"), release + QStringLiteral("/movie.rar"),
               QStringLiteral("movie.mkv")});
    if (!rar.waitForFinished(120000) || rar.exitCode() != 0)
        return QString();
    QFile nfo(release + QStringLiteral("/movie.nfo"));
    if (nfo.open(QIODevice::WriteOnly))
        nfo.write("Some Movie (2026)\n");
    return release;
}

// What the desktop shows of Tevo's notification (the offscreen platform has no notification
// service): the icon, the title and the text the job handed over.
class NotificationPicture : public QFrame
{
public:
    NotificationPicture(const QString &title, const QString &text)
    {
        setStyleSheet(QStringLiteral("QFrame { background: #2b2f36; border-radius: 8px; }"
                                     "QLabel { color: #e8eaed; background: transparent; }"));
        setFixedWidth(360);
        auto *icon = new QLabel;
        icon->setPixmap(ApplicationIcon().pixmap(48, 48));
        auto *heading = new QLabel(QStringLiteral("<b>%1</b>").arg(title.toHtmlEscaped()));
        auto *body = new QLabel(text);
        body->setWordWrap(true);
        auto *texts = new QVBoxLayout;
        texts->addWidget(heading);
        texts->addWidget(body);
        auto *row = new QHBoxLayout(this);
        row->setContentsMargins(14, 12, 14, 12);
        row->addWidget(icon);
        row->addSpacing(8);
        row->addLayout(texts, 1);
    }
};

struct RecordingNotifier : Notifier
{
    QString title;
    QString text;
    void notify(const QString &t, const QString &x, bool) override
    {
        title = t;
        text = x;
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 2 && arguments.size() != 3) {
        QTextStream(stderr) << "usage: tevo-screenshots <output folder> [long-caption .lng]\n";
        return 2;
    }
    const QDir target(arguments.at(1));
    if (!QDir().mkpath(target.path()))
        return 1;

    WidgetDialogs dialogs;
    DesktopPlatform platform;
    TForm1 form(dialogs, platform);
    dialogs.setParent(&form);
    if (!form.StartupLanguageLoad())
        return 1;
    form.AddLogLine(LogTag::Init +
                    form.context().LangText(Text::Started, {QStringLiteral("v1.06")}));
    form.show();

    const QStringList names{
        QStringLiteral("tab1-input-output.png"), QStringLiteral("tab2-options.png"),
        QStringLiteral("tab3-after-extraction.png"), QStringLiteral("tab4-skip-delete-list.png"),
        QStringLiteral("tab5-progress-log.png")};
    for (int tab = 0; tab < names.size(); ++tab) {
        form.Pages->setCurrentIndex(tab);
        QApplication::processEvents();
        if (!save(&form, target, names.at(tab)))
            return 1;
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
        if (!save(window, target, name))
            return 1;
    }
    splash.hide();
    form.aboutWindow().hide();
    form.diskSpaceWindow().hide();
    form.TrayMenu->hide();

    // The progress page half-way through a real job, and the notification at its end.
    QTemporaryDir work;
    const QString release = makeRelease(work);
    if (release.isEmpty()) {
        QTextStream(stderr) << "cannot make a release with rar\n";
        return 1;
    }
    auto notifier = std::make_unique<RecordingNotifier>();
    RecordingNotifier *sent = notifier.get();
    form.setNotifier(std::move(notifier));
    form.settings().setOpenNfo(false); // no NFO viewer
    form.settings().setInputFolder(release);
    bool grabbed = false;
    QObject::connect(form.pbCurrentFile, &QProgressBar::valueChanged, &form, [&](int value) {
        if (grabbed || value < form.pbCurrentFile->maximum() * 45 / 100)
            return;
        grabbed = true;
        save(&form, target, QStringLiteral("progress-during-job.png"));
    });
    form.Button1Click();
    if (!grabbed || sent->text.isEmpty())
        return 1;
    NotificationPicture notification(sent->title, sent->text);
    notification.show();
    QApplication::processEvents();
    if (!save(&notification, target, QStringLiteral("notification.png")))
        return 1;

    // The window in a language with longer captions, showing a real progress text.
    if (arguments.size() == 3) {
        form.LoadLanguage(arguments.at(2));
        form.settings().setInputFolder({}); // the release of the job above is gone
        form.setProgressEnabled(true);
        form.setCurrentFileText(QStringLiteral(
            "Some.Movie.2024.1080p.BluRay.x264.iso (Source: some.movie.2024.part03.rar)"));
        form.setProgressText(QStringLiteral(
            "1.52 GiB/4.37 GiB (Time elapsed: 3 m 12 s /ins: 5 m 43 s, 8.10 MiB/s)"));
        const QList<QPair<int, QString>> tabs{{0, QStringLiteral("long-captions-tab1.png")},
                                              {4, QStringLiteral("long-captions-tab5.png")}};
        for (const auto &[tab, name] : tabs) {
            form.Pages->setCurrentIndex(tab);
            QApplication::processEvents();
            if (!save(&form, target, name))
                return 1;
        }
    }

    // The tool windows under a desktop font of 11 points.
    QFont desktop = QApplication::font();
    desktop.setPointSize(11);
    QApplication::setFont(desktop);
    TFrmDiskSpace diskSpace(form.settings(), dialogs);
    TForm3 about;
    diskSpace.show();
    about.show();
    QApplication::processEvents();
    if (!save(&diskSpace, target, QStringLiteral("disk-space-11pt.png")) ||
        !save(&about, target, QStringLiteral("about-11pt.png")))
        return 1;
    return 0;
}
