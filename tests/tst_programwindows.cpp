// The main window with its companions: the tray icon and its menu, the disk-space and about
// windows, Close with its question, and the closing step that saves last.os.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "support/Fakes.h"
#include "support/TrayFakes.h"
#include "ui/AboutWindow.h"
#include "ui/DiskSpaceWindow.h"
#include "ui/MainWindow.h"
#include "ui/TrayIcon.h"

namespace {

constexpr int TextCloseWhileRunning = 99;

// The real window, its program folder in a temporary folder, the tray faked.
struct Program
{
    QTemporaryDir folder;
    ScriptedDialogs dialogs;
    FakePlatform platform;
    TForm1 form{dialogs, platform};
    FakeTrayShell *tray = nullptr;

    Program()
    {
        // A program folder of its own, as the build folder is: its language file beside it.
        QFile::copy(EnglishLanguageFile(), folder.filePath(QStringLiteral("english.lng")));
        form.context().programFolder = folder.path() + QLatin1Char('/');
        auto shell = std::make_unique<FakeTrayShell>();
        tray = shell.get();
        form.trayIcon().setShell(std::move(shell));
        form.show();
    }
    QString lastOs() const { return folder.path() + QStringLiteral("/last.os"); }
    QByteArray lastOsText() const
    {
        QFile file(lastOs());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

} // namespace

class TestProgramWindows : public QObject
{
    Q_OBJECT

private slots:
    void trayButtonAndMenu()
    {
        Program p;
        TrayIcon &tray = p.form.trayIcon();
        QCOMPARE(tray.TrayMenu, p.form.TrayMenu); // the window's own menu
        QTest::mouseClick(p.form.Button24, Qt::LeftButton);
        QVERIFY(!p.form.isVisible());
        QVERIFY(p.tray->shown);

        // Stop and Pause are disabled while no job runs; the menu presses them all the same.
        QVERIFY(!p.form.Button14->isEnabled());
        QVERIFY(!p.form.Button15->isEnabled());
        QSignalSpy stops(p.form.Button14, &QPushButton::clicked);
        QSignalSpy pauses(p.form.Button15, &QPushButton::clicked);
        p.form.Stop1->trigger();
        p.form.Pause1->trigger();
        QCOMPARE(stops.count(), 1);
        QCOMPARE(pauses.count(), 1);
        // ... and the job commands behind them do nothing while no job runs.
        QVERIFY(!p.form.jobControl().StopRequested);
        QVERIFY(!p.form.jobControl().Paused);

        // Disk Space opens the disk-space window while the main window stays in the tray.
        p.form.DiskSpace1->trigger();
        QVERIFY(p.form.diskSpaceWindow().isVisible());
        QVERIFY(!p.form.isVisible());

        p.form.Open1->trigger();
        QVERIFY(p.form.isVisible());
        QVERIFY(!p.tray->shown);
    }

    void alwaysInTrayCheckBox()
    {
        Program p;
        p.form.CheckBox20->setChecked(true);
        QVERIFY(p.tray->shown);
        QVERIFY(p.form.isVisible());
        QTest::mouseClick(p.form.Button24, Qt::LeftButton);
        QVERIFY(!p.form.isVisible());
        p.form.Open1->trigger();
        p.form.trayIcon().iconActivated(QSystemTrayIcon::DoubleClick);
        QVERIFY(!p.form.isVisible());
        QVERIFY(p.tray->shown);
        p.form.CheckBox20->setChecked(false);
        QVERIFY(p.form.isVisible());
        QVERIFY(!p.tray->shown);
    }

    void noNotificationAreaKeepsTheWindow()
    {
        ScriptedDialogs dialogs;
        FakePlatform platform;
        TForm1 form(dialogs, platform);
        form.show();
        if (QSystemTrayIcon::isSystemTrayAvailable())
            QSKIP("this desktop has a notification area");
        QTest::mouseClick(form.Button24, Qt::LeftButton);
        QVERIFY(form.isVisible());
        QCOMPARE(dialogs.shownMessages.size(), 1);
        QCOMPARE(dialogs.shownMessages[0].text, QStringLiteral("Can not add TNA-Icon"));
    }

    void bannerIsTheEmbeddedJpeg()
    {
        Program p;
        const QImage shown = p.form.Image1->pixmap().toImage();
        QCOMPARE(shown.size(), QSize(505, 81));
        // The orange mark at the left of the picture, not the drawn stand-in.
        const QColor mark = shown.pixelColor(40, 58);
        QVERIFY(mark.red() > 200 && mark.green() > 130 && mark.blue() < 80);
    }

    void diskSpaceAndAboutButtons()
    {
        Program p;
        QTest::mouseClick(p.form.Button13, Qt::LeftButton);
        QVERIFY(p.form.diskSpaceWindow().isVisible());
        QVERIFY(!p.form.diskSpaceWindow().isModal());
        QTest::mouseClick(p.form.Button2, Qt::LeftButton);
        QVERIFY(p.form.aboutWindow().isVisible());
        QVERIFY(!p.form.aboutWindow().isModal());
        // Neither blocks the main window.
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
    }

    void closeWhileRunningAsksFirst()
    {
        Program p;
        JobControl &job = p.form.jobControl();
        job.UnpackRunning = true;
        job.Paused = true;

        p.dialogs.setNextAnswer(MessageAnswer::No);
        QTest::mouseClick(p.form.Button3, Qt::LeftButton);
        QCOMPARE(p.dialogs.shownMessages.size(), 1);
        const auto &question = p.dialogs.shownMessages[0];
        QCOMPARE(question.text, p.form.context().LangText(TextCloseWhileRunning));
        QCOMPARE(question.caption, QStringLiteral("Question"));
        QCOMPARE(question.icon, MessageIcon::Question);
        QCOMPARE(question.buttons, MessageButtons::YesNo);
        QVERIFY(p.form.isVisible());
        QVERIFY(!p.form.hasClosed());
        QVERIFY(!job.AbortRequested);
        QVERIFY(job.Paused);
        QVERIFY(!QFile::exists(p.lastOs()));

        p.dialogs.setNextAnswer(MessageAnswer::Yes);
        QTest::keyClick(&p.form, Qt::Key_Escape); // Escape presses Close
        QCOMPARE(p.dialogs.shownMessages.size(), 2);
        QVERIFY(job.AbortRequested);
        QVERIFY(!job.Paused);
        QVERIFY(p.form.hasClosed());
        QVERIFY(!p.form.isVisible());
        QVERIFY(QFile::exists(p.lastOs()));
    }

    void closingSavesLastOs()
    {
        Program p;
        p.form.CheckBox1->setChecked(false);
        p.form.ListBox3->addItem(QStringLiteral("*/Sample"));
        QTest::mouseClick(p.form.Button3, Qt::LeftButton);
        QVERIFY(p.dialogs.shownMessages.isEmpty()); // no question without a job
        QVERIFY(p.form.hasClosed());
        const QByteArray saved = p.lastOsText();
        QVERIFY(saved.contains("CheckBox1=0\r\n"));
        QVERIFY(saved.contains("*/Sample"));
        QVERIFY(p.form.jobControl().AbortRequested);
    }

    void titleBarCloseSavesWithoutQuestion()
    {
        Program p;
        JobControl &job = p.form.jobControl();
        job.UnpackRunning = true;
        job.Paused = true;
        p.form.close();
        QVERIFY(p.dialogs.shownMessages.isEmpty());
        QVERIFY(p.form.hasClosed());
        QVERIFY(QFile::exists(p.lastOs()));
        // The job does not outlive the window: the pause is lifted and the job aborts.
        QVERIFY(job.AbortRequested);
        QVERIFY(!job.Paused);
    }

    void closeFromInsideAJobWaitsForItsEnd()
    {
        Program p;
        JobControl &job = p.form.jobControl();
        job.JobStartTick = 4711;
        job.UnpackRunning = true;
        p.form.requestClose();
        QVERIFY(p.form.closePending());
        QTest::qWait(60);
        QVERIFY(!p.form.hasClosed());
        QVERIFY(p.form.isVisible());
        QVERIFY(!QFile::exists(p.lastOs()));

        // The folder run is over, the job is not yet.
        job.UnpackRunning = false;
        QTest::qWait(60);
        QVERIFY(!p.form.hasClosed());

        job.JobStartTick = 0;
        QTRY_VERIFY(p.form.hasClosed());
        QVERIFY(QFile::exists(p.lastOs()));
        QVERIFY(!p.form.isVisible());
        // A second request after the close changes nothing.
        p.form.requestClose();
        QVERIFY(!p.form.closePending());
    }
};

QTEST_MAIN(TestProgramWindows)
#include "tst_programwindows.moc"
