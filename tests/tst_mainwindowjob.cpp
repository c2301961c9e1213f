// The real main window, offscreen: Unpack on a real release folder, Stop pressed during it, the
// error box of an unexpected error, and the Play button.

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "jobs/CommandLine.h"
#include "support/Fakes.h"
#include "support/ReleaseMaker.h"
#include "ui/MainWindow.h"
#include "ui/TrayIcon.h"

namespace {

struct Window
{
    ScriptedDialogs dialogs;
    FakePlatform platform;
    TForm1 form{dialogs, platform};

    Window()
    {
        platform.pumpRealEvents = true;
        form.setLanguageFolders({QStringLiteral(TEVO_SOURCE_DIR "/lang/")});
        form.LoadLanguage(QStringLiteral("english.lng"));
        form.show();
    }
    QStringList logLines() const
    {
        return form.Memo1->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    bool logContains(const QString &text) const { return form.Memo1->toPlainText().contains(text); }
};

using ReleaseMaker::readAll;

} // namespace

class TestMainWindowJob : public QObject
{
    Q_OBJECT

    QTemporaryDir m_temp;

    // A release folder: set "r" of one file (rar volumes + cksfv list), an NFO file and a
    // Sample folder. Returns the release folder; the payload stays in stagingOut.
    QString makeRelease(const QString &name, QString *stagingOut)
    {
        const QString staging = m_temp.filePath(name + "-staging");
        const QString rel = m_temp.filePath(name);
        QDir().mkpath(rel);
        ReleaseMaker::writeFile(staging + "/movie.mkv", 400 * 1024, 11);
        const QStringList volumes =
            ReleaseMaker::makeRarSet(staging, QStringLiteral("r"), {"movie.mkv"}, 64);
        QStringList names;
        for (const QString &volume : volumes) {
            names << QFileInfo(volume).fileName();
            QFile::rename(volume, rel + "/" + names.last());
        }
        ReleaseMaker::makeSfv(rel, "r.sfv", names);
        ReleaseMaker::writeText(rel + "/r.nfo", "notes\n");
        ReleaseMaker::writeFile(rel + "/Sample/sample.mkv", 4000, 2);
        *stagingOut = staging;
        return rel;
    }

private slots:
    void initTestCase() { QVERIFY(m_temp.isValid()); }

    // Unpack pressed on a real release with "Delete Files" after extracting all (confirmed with
    // Yes) and the Sample folder on the delete list; Stop is pressed and released during it.
    void unpackButtonOnARealRelease()
    {
        QString staging;
        const QString rel = makeRelease(QStringLiteral("Real.Release"), &staging);
        Window w;
        TForm1 &f = w.form;
        f.Edit1->setText(rel);
        f.CheckBox3->setChecked(true);
        f.RadioButton5->setChecked(true);
        f.ListBox3->addItem(QStringLiteral("*/Sample"));
        w.dialogs.setNextAnswer(MessageAnswer::Yes);

        bool stopOfferedDuringJob = false;
        bool unpackLockedDuringJob = false;
        QString stopCaptionAfterPress;
        QString titleDuringJob;
        QString tipDuringJob;
        QMetaObject::Connection progress =
            connect(f.pbCurrentFile, &QProgressBar::valueChanged, this, [&](int value) {
                if (value > 0) {
                    titleDuringJob = f.windowTitle();
                    tipDuringJob = f.trayIcon().toolTip();
                }
                if (value <= 0 || stopOfferedDuringJob)
                    return;
                stopOfferedDuringJob = f.Button14->isEnabled();
                unpackLockedDuringJob = !f.Button1->isEnabled();
                // The user presses Stop and then changes their mind.
                QTimer::singleShot(0, f.Button14, [&] {
                    QTest::mouseClick(f.Button14, Qt::LeftButton);
                    stopCaptionAfterPress = f.Button14->text();
                    QTest::mouseClick(f.Button14, Qt::LeftButton);
                });
            });
        QTest::mouseClick(f.Button1, Qt::LeftButton);
        disconnect(progress);

        QVERIFY(stopOfferedDuringJob);
        QVERIFY(unpackLockedDuringJob);
        QCOMPARE(stopCaptionAfterPress, QStringLiteral("Don't stop"));
        QCOMPARE(readAll(rel + "/movie.mkv"), readAll(staging + "/movie.mkv"));
        QCOMPARE(ReleaseMaker::listTree(rel), (QStringList{"movie.mkv", "r.nfo"}));
        QCOMPARE(w.dialogs.shownMessages.size(), 1);
        QCOMPARE(w.dialogs.shownMessages[0].caption, QStringLiteral("Confirmation"));
        QCOMPARE(w.platform.openedPaths, QStringList{rel + "/r.nfo"});
        QCOMPARE(f.Pages->currentWidget(), f.TabSheet3);
        QVERIFY(w.logContains(QStringLiteral("Unpack job started")));
        QVERIFY(w.logContains(QStringLiteral("[NOTICE ] Tevo stops after the current archive")));
        QVERIFY(w.logContains(QStringLiteral("[NOTICE ] Stop cancelled, Tevo goes on")));
        QVERIFY(w.logContains(QStringLiteral("[UNPACK ] 1 archive(s) unpacked")));
        QVERIFY(w.logContains(QStringLiteral("[END    ] Folder done")));
        QCOMPARE(w.logLines().last().mid(8), QString(41, QLatin1Char('=')));
        // The window is handed back.
        QVERIFY(f.Button1->isEnabled());
        QVERIFY(f.Button17->isEnabled());
        QVERIFY(!f.Button14->isEnabled());
        QVERIFY(!f.Button15->isEnabled());
        QVERIFY(f.RadioButton1->isEnabled());
        QVERIFY(f.CheckBox3->isEnabled());
        QCOMPARE(f.applicationTitle(), QStringLiteral("[Tevo]"));
        // The window's title and the tray tip showed the progress, and are back to idle.
        QVERIFY2(titleDuringJob.startsWith(QLatin1String("[Tevo] ")) &&
                     titleDuringJob.endsWith(QLatin1Char('%')),
                 qPrintable(titleDuringJob));
        QCOMPARE(tipDuringJob, titleDuringJob);
        QCOMPARE(f.windowTitle(), QStringLiteral("Tevo"));
        QCOMPARE(f.trayIcon().toolTip(), QStringLiteral("Tevo"));
        QVERIFY(!f.jobControl().UnpackRunning);
        QCOMPARE(f.jobControl().JobStartTick, 0u);
    }

    // An unexpected error (the custom output folder cannot be made for the NFO copy) ends the job;
    // the error box comes after the job's closing lines, and the window stays usable.
    void errorBoxAfterTheJobEnd()
    {
        QString staging;
        const QString rel = makeRelease(QStringLiteral("Error.Release"), &staging);
        const QString blocker = m_temp.filePath("blocker");
        ReleaseMaker::writeText(blocker, "a file where a folder should be");
        Window w;
        TForm1 &f = w.form;
        f.Edit1->setText(rel);
        f.RadioButton2->setChecked(true);
        f.Edit2->setText(blocker + "/out");
        f.CheckBox2->setChecked(true);  // a sub-folder per entry
        f.CheckBox15->setChecked(true); // copy the NFO files, which makes the folder first
        int linesAtBox = -1;
        w.dialogs.onMessage = [&](const ScriptedDialogs::ShownMessage &) {
            linesAtBox = w.logLines().size();
        };
        f.Button1->click();
        QCOMPARE(w.dialogs.shownMessages.size(), 1);
        QCOMPARE(w.dialogs.shownMessages[0].caption, QStringLiteral("Error"));
        QCOMPARE(w.dialogs.shownMessages[0].icon, MessageIcon::Error);
        QCOMPARE(linesAtBox, w.logLines().size());
        QVERIFY(w.logContains(QStringLiteral("Unpack job finished")));
        QVERIFY(!w.logContains(QStringLiteral("[END    ]")));
        QVERIFY(f.Button1->isEnabled());
        QVERIFY(f.Edit2->isEnabled());
        QVERIFY(!QFile::exists(rel + "/movie.mkv"));
    }

    void splitCommandLine()
    {
        const CommandLine line =
            SplitCommandLine({"/r/a", "-UNPACK", "/r/b c", "-Watch", "-other", "-"});
        QCOMPARE(line.folders, (QStringList{"/r/a", "/r/b c"}));
        QCOMPARE(line.switches, (QStringList{"unpack", "watch", "other", ""}));
    }

    // "tevo /path/to/release -unpack": the folder becomes the input folder and is unpacked.
    void commandLineUnpacksOneFolder()
    {
        QString staging;
        const QString rel = makeRelease(QStringLiteral("Cli.Release"), &staging);
        Window w;
        w.form.ApplyCommandLine(SplitCommandLine({rel, "-unpack", "-nonsense"}));
        QCOMPARE(w.form.Edit1->text(), rel);
        QCOMPARE(readAll(rel + "/movie.mkv"), readAll(staging + "/movie.mkv"));
        QVERIFY(w.logContains(QStringLiteral("Unpack job finished")));
    }

    // Several folders fill the queue, each once, and switch to queue mode; nothing runs.
    void commandLineFillsTheQueue()
    {
        Window w;
        w.form.ListBox1->addItem(QStringLiteral("/old/entry"));
        w.form.ApplyCommandLine(SplitCommandLine({"/r/a", "/r/b", "/r//a/"}));
        QVERIFY(w.form.RadioButton7->isChecked());
        QCOMPARE(w.form.settings().Queue(), (QStringList{"/r/a", "/r/b"}));
        QVERIFY(!w.logContains(QStringLiteral("Unpack job started")));
    }

    // The Play button with a sound file that does not exist comes straight back to "Play"; a
    // press while it shows "Stop" only asks the playing sound to stop.
    void playButtonWithoutASound()
    {
        Window w;
        TForm1 &f = w.form;
        QCOMPARE(f.settings().SoundFile(), QString());
        f.Edit3->setText(m_temp.filePath("missing.wav"));
        QCOMPARE(f.settings().SoundFile(), m_temp.filePath("missing.wav"));
        f.Button12->setText(QStringLiteral("Stop"));
        f.Button12->click(); // taken as the second press: nothing else happens
        QCOMPARE(f.Button12->text(), QStringLiteral("Stop"));
        f.Button12->setText(QStringLiteral("Play"));
        f.Button12->click();
        QCOMPARE(f.Button12->text(), QStringLiteral("Play"));
        QCOMPARE(w.platform.processEventsCalls, 0); // nothing played, so no waiting
    }
};

QTEST_MAIN(TestMainWindowJob)
#include "tst_mainwindowjob.moc"
