// Start-up and shut-down: the order of the start, last.os and the language file, the command
// line, Close during a job, and "tevo <folder> -unpack" ending by itself.

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "jobs/WatchMode.h"
#include "support/Fakes.h"
#include "support/ReleaseMaker.h"
#include "support/TrayFakes.h"
#include "ui/MainWindow.h"
#include "ui/SplashWindow.h"
#include "ui/Startup.h"
#include "ui/TrayIcon.h"

namespace {

constexpr int TextCloseWhileRunning = 99;

QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// A program folder of its own: english.lng (unless left out) and what the test puts there.
struct ProgramFolder
{
    QTemporaryDir dir;
    explicit ProgramFolder(bool withEnglish = true)
    {
        if (withEnglish)
            QFile::copy(EnglishLanguageFile(), path(QStringLiteral("english.lng")));
    }
    QString path(const QString &name = QString()) const
    {
        return dir.path() + QLatin1Char('/') + name;
    }
    // Saves a last.os from a window the test has set up.
    void writeLastOs(const std::function<void(TForm1 &)> &setUp) const
    {
        ScriptedDialogs dialogs;
        FakePlatform platform;
        TForm1 form(dialogs, platform);
        setUp(form);
        form.SaveOptionSet(path(QStringLiteral("last.os")), false);
    }
};

// One start of the program over scripted dialogs, the tray faked.
struct Start
{
    ScriptedDialogs dialogs;
    FakePlatform platform;
    FakeTrayShell *tray = nullptr;
    bool splashShownWhenWindowCreated = false;
    bool windowShownWhenCreated = true;
    std::unique_ptr<TevoProgram> program;

    Start(const ProgramFolder &folder, const QStringList &parameters, bool soundMissing = false)
    {
        StartupOptions options;
        options.splashMilliseconds = 0;
        options.initSound = [soundMissing] { return soundMissing; };
        options.windowCreated = [&](TForm1 &form) {
            splashShownWhenWindowCreated = program->splash().isVisible();
            windowShownWhenCreated = form.isVisible();
            form.context().programFolder = folder.path();
            form.setLanguageFolders({folder.path()});
            auto shell = std::make_unique<FakeTrayShell>();
            tray = shell.get();
            form.trayIcon().setShell(std::move(shell));
        };
        program = std::make_unique<TevoProgram>(dialogs, platform, options);
        program->start(parameters);
    }
    TForm1 &form() { return program->form(); }
    QStringList logLines() const
    {
        return program->form().Memo1->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    // Runs the event loop until the window has closed; the test closes it from inside.
    int runLoop(const std::function<void()> &insideLoop)
    {
        QTimer::singleShot(0, &form(), [&] {
            insideLoop();
            form().close();
        });
        return program->exec();
    }
};

// A release folder with one RAR set of two volumes and its SFV.
QString makeRelease(const QString &base)
{
    const QString release = base + QStringLiteral("/Some.Release");
    ReleaseMaker::writeFile(release + QStringLiteral("/src/movie.iso"), 300000, 7);
    ReleaseMaker::makeRarSet(release + QStringLiteral("/src"), QStringLiteral("../movie"),
                             {QStringLiteral("movie.iso")}, 200);
    QDir(release + QStringLiteral("/src")).removeRecursively();
    QStringList volumes = QDir(release).entryList({QStringLiteral("*.rar")}, QDir::Files);
    ReleaseMaker::makeSfv(release, QStringLiteral("movie.sfv"), volumes);
    return release;
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;

private slots:
    void initTestCase()
    {
        // The context-menu entry and the configuration folder go to a scratch home.
        qputenv("HOME", QFile::encodeName(m_home.path()));
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.path() + QStringLiteral("/data")));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.path() + QStringLiteral("/config")));
    }

    void startsInOrder()
    {
        ProgramFolder folder;
        Start start(folder, {});
        QVERIFY(start.splashShownWhenWindowCreated);
        QVERIFY(!start.windowShownWhenCreated);
        QVERIFY(!start.program->splash().isVisible());
        QVERIFY(!start.form().isVisible()); // shown when the loop starts
        const QStringList lines = start.logLines();
        QVERIFY(!lines.isEmpty());
        QVERIFY2(lines.first().mid(8).startsWith(QStringLiteral("[iNiT   ] ")),
                 qPrintable(lines.first()));
        QVERIFY(lines.first().contains(QStringLiteral("v1.06")));
        QCOMPARE(start.form().ActiveLanguageFile(), QStringLiteral("english.lng"));
        QCOMPARE(start.runLoop([&] { QVERIFY(start.form().isVisible()); }), 0);
    }

    void lastOsComesBeforeTheLanguageAndIsWrittenAtClose()
    {
        ProgramFolder folder;
        // A language of its own, named only by last.os.
        QString own = readText(EnglishLanguageFile());
        QStringList lines = own.split(QStringLiteral("\r\n"));
        lines[137] = QStringLiteral("Own language, Tevo %s");
        ReleaseMaker::writeText(folder.path(QStringLiteral("own.lng")),
                                lines.join(QStringLiteral("\r\n")).toUtf8());
        folder.writeLastOs([](TForm1 &form) {
            form.ComboBox1->setEditText(QStringLiteral("own.lng"));
            form.CheckBox1->setChecked(false);
            form.ListBox3->addItem(QStringLiteral("*/Sample"));
        });

        {
            Start start(folder, {});
            QCOMPARE(start.form().ActiveLanguageFile(), QStringLiteral("own.lng"));
            QVERIFY(start.logLines().first().endsWith(QStringLiteral("Own language, Tevo v1.06")));
            QVERIFY(!start.form().CheckBox1->isChecked());
            // Changed in this run, to be found in the next.
            start.form().ListBox3->addItem(QStringLiteral("*.url"));
            start.form().CheckBox5->setChecked(false);
            QCOMPARE(start.runLoop([] {}), 0);
        }
        Start next(folder, {});
        QCOMPARE(next.form().settings().DeleteList(), QStringList({"*/Sample", "*.url"}));
        QVERIFY(!next.form().CheckBox5->isChecked());
        QVERIFY(!next.form().CheckBox1->isChecked());
    }

    void missingStoredLanguageFallsBackToEnglish()
    {
        ProgramFolder folder;
        folder.writeLastOs(
            [](TForm1 &form) { form.ComboBox1->setEditText(QStringLiteral("gone.lng")); });
        Start start(folder, {});
        QCOMPARE(start.form().ActiveLanguageFile(), QStringLiteral("english.lng"));
        QVERIFY(start.dialogs.shownMessages.isEmpty());
    }

    void noLanguageFileEndsTheProgram()
    {
        ProgramFolder folder(false);
        Start start(folder, {QStringLiteral("/some/folder"), QStringLiteral("-unpack")});
        QCOMPARE(start.dialogs.shownMessages.size(), 1);
        QCOMPARE(start.dialogs.shownMessages[0].text,
                 QStringLiteral("No Language file found! Tevo will terminate now"));
        QCOMPARE(start.dialogs.shownMessages[0].caption, QStringLiteral("Error"));
        // Nothing of the command line ran.
        QVERIFY(start.form().settings().InputFolder().isEmpty());
        QCOMPARE(start.program->exec(), 1);
    }

    void oneFolderBecomesTheInputFolder()
    {
        ProgramFolder folder;
        Start start(folder, {QStringLiteral("/data/Some Release")});
        QCOMPARE(start.form().settings().InputFolder(), QStringLiteral("/data/Some Release"));
        QCOMPARE(start.form().settings().InputMode(), InputModeChoice::SingleFolder);
        QVERIFY(start.form().Memo1->toPlainText().count(QLatin1Char('\n')) == 0); // nothing ran
    }

    void severalFoldersReplaceTheQueue()
    {
        ProgramFolder folder;
        folder.writeLastOs([](TForm1 &form) { form.ListBox1->addItem(QStringLiteral("/old")); });
        Start start(folder, {QStringLiteral("/r/a"), QStringLiteral("-x"), QStringLiteral("/r//a/"),
                             QStringLiteral("/r/b"), QStringLiteral("/r/A")});
        QCOMPARE(start.form().settings().InputMode(), InputModeChoice::Queue);
        QVERIFY(start.form().RadioButton7->isChecked());
        // Case counts on Linux; "/r//a/" is "/r/a" again.
        QCOMPARE(start.form().settings().Queue(), QStringList({"/r/a", "/r/b", "/r/A"}));
        QVERIFY(start.dialogs.shownMessages.isEmpty()); // "-x" is ignored without a word
    }

    void watchSwitchStartsWatching()
    {
        ProgramFolder folder;
        folder.writeLastOs([](TForm1 &form) { form.CheckBox3->setChecked(true); });
        Start start(folder, {QStringLiteral("-WATCH")});
        QVERIFY(start.form().watchMode().watching());
    }

    void commandLineUnpackWithCloseAfterEndsWithoutTheLoop()
    {
        ProgramFolder folder;
        QTemporaryDir data;
        const QString release = makeRelease(data.path());
        folder.writeLastOs([](TForm1 &form) {
            form.CheckBox10->setChecked(true);
            form.CheckBox5->setChecked(false);
        });
        const QDateTime before = QFileInfo(folder.path(QStringLiteral("last.os"))).lastModified();
        QTest::qWait(20);

        Start start(folder, {release, QStringLiteral("-unpack")});
        QVERIFY(QFileInfo(release + QStringLiteral("/movie.iso")).isFile());
        QCOMPARE(QFileInfo(release + QStringLiteral("/movie.iso")).size(), qint64(300000));
        QVERIFY(start.form().hasClosed() || start.form().closePending());
        // exec() returns at once: the window closed (saving last.os) before the loop.
        QCOMPARE(start.program->exec(), 0);
        QVERIFY(start.form().hasClosed());
        QVERIFY(!start.form().isVisible());
        QVERIFY(QFileInfo(folder.path(QStringLiteral("last.os"))).lastModified() > before);
    }

    void closeDuringAJobAsksAndAborts()
    {
        ProgramFolder folder;
        QTemporaryDir data;
        const QString release = makeRelease(data.path());
        folder.writeLastOs([](TForm1 &form) { form.CheckBox5->setChecked(false); });

        Start start(folder, {});
        int asked = 0;
        bool abortAfterNo = false;
        // Close is pressed while the folder run is in progress: first No, then Yes.
        start.platform.onProcessEvents = [&] {
            const JobControl &job = start.form().jobControl();
            if (!job.UnpackRunning || asked >= 2)
                return;
            ++asked;
            start.dialogs.setNextAnswer(asked == 1 ? MessageAnswer::No : MessageAnswer::Yes);
            start.form().Button3Click();
            if (asked == 1)
                abortAfterNo = job.AbortRequested || start.form().hasClosed();
        };
        start.form().Edit1->setText(release);
        start.form().Button1Click();
        start.platform.onProcessEvents = nullptr;

        QCOMPARE(asked, 2);
        QVERIFY(!abortAfterNo);
        QCOMPARE(start.dialogs.shownMessages.size(), 2);
        QCOMPARE(start.dialogs.shownMessages[0].text,
                 start.form().context().LangText(TextCloseWhileRunning));
        QCOMPARE(start.dialogs.shownMessages[1].buttons, MessageButtons::YesNo);
        QVERIFY(start.form().hasClosed());
        QVERIFY(QFile::exists(folder.path(QStringLiteral("last.os"))));
        // The job has returned; the program ends as the loop would start.
        QCOMPARE(start.program->exec(), 0);
    }

    // Closing by the title bar while a job is paused ends the job instead of leaving an
    // invisible process that waits in the pause.
    void titleBarCloseEndsAPausedJob_data()
    {
        QTest::addColumn<bool>("checkOnly");
        QTest::addColumn<QString>("pauseAfter"); // the log line that starts the phase
        QTest::newRow("paused in the SFV check") << true << "[SFV    ] ";
        QTest::newRow("paused in the extraction") << false << "Dest:";
    }
    void titleBarCloseEndsAPausedJob()
    {
        QFETCH(bool, checkOnly);
        QFETCH(QString, pauseAfter);
        ProgramFolder folder;
        QTemporaryDir data;
        const QString release = makeRelease(data.path());
        folder.writeLastOs([&](TForm1 &form) {
            form.CheckBox5->setChecked(false);
            form.CheckBox4->setChecked(checkOnly);
            form.CheckBox9->setChecked(checkOnly);
        });
        Start start(folder, {});
        TForm1 &form = start.form();
        const JobControl &job = form.jobControl();
        bool inside = false;
        int waitsAfterClose = 0;
        bool stuck = false;
        start.platform.onProcessEvents = [&] {
            if (inside || !job.UnpackRunning || !form.Memo1->toPlainText().contains(pauseAfter))
                return;
            inside = true;
            if (!job.Paused && !form.hasClosed())
                form.Button15Click();
            else if (job.Paused && !form.hasClosed())
                form.close(); // what the title bar's close button does
            else if (job.Paused && ++waitsAfterClose > 1000) {
                stuck = true; // let the job go, or the test would wait forever
                form.jobControl().Paused = false;
            }
            inside = false;
        };
        form.Edit1->setText(release);
        form.Button1Click();
        start.platform.onProcessEvents = nullptr;

        QVERIFY(!stuck);
        QVERIFY(form.hasClosed());
        QCOMPARE(job.JobStartTick, 0u);
        QVERIFY(!job.UnpackRunning);
        QVERIFY(!start.tray->shown);
        // Nothing of the release was deleted.
        QCOMPARE(QDir(release).entryList({QStringLiteral("*.rar")}, QDir::Files).size(), 2);
        QCOMPARE(start.program->exec(), 0);
    }

    void alwaysInTrayAtStart()
    {
        ProgramFolder folder;
        folder.writeLastOs([](TForm1 &form) {
            // Stored without running the tray rule in the window that writes the file.
            QSignalBlocker quiet(&form.settings());
            form.settings().setAlwaysInTray(true);
        });
        Start start(folder, {});
        QVERIFY(start.tray->shown);
        QVERIFY(!start.form().isVisible());
        bool shownInLoop = false;
        QCOMPARE(
            start.runLoop([&] { shownInLoop = start.form().isVisible() && start.tray->shown; }), 0);
        QVERIFY(shownInLoop);
        QVERIFY(!start.tray->shown); // removed at the close
    }

    // Without sound output the log says so once; a box only when a sound is to be played.
    void missingSoundOutput_data()
    {
        QTest::addColumn<bool>("soundChosen");
        QTest::addColumn<int>("boxes");
        QTest::newRow("no sound chosen") << false << 0;
        QTest::newRow("play sound chosen") << true << 1;
    }

    void missingSoundOutput()
    {
        QFETCH(bool, soundChosen);
        QFETCH(int, boxes);
        ProgramFolder folder;
        folder.writeLastOs([soundChosen](TForm1 &form) {
            if (soundChosen)
                form.RadioButton9->setChecked(true);
        });
        Start start(folder, {}, true);
        const QString text = start.form().context().LangText(136);
        QCOMPARE(start.runLoop([] {}), 0);
        QCOMPARE(start.logLines().filter(text).size(), 1);
        QCOMPARE(start.dialogs.shownMessages.size(), boxes);
        if (boxes)
            QCOMPARE(start.dialogs.shownMessages.first().text, text);
    }

    void realProgramUnpacksAndExitsByItself()
    {
        // The built program, copied into a program folder of its own so that its last.os
        // goes there, started as a script would start it.
        ProgramFolder folder;
        const QString program = folder.path(QStringLiteral("tevo"));
        QVERIFY(QFile::copy(QStringLiteral(TEVO_BINARY_DIR "/tevo"), program));
        QFile::setPermissions(program, QFile::permissions(program) | QFile::ExeOwner);
        folder.writeLastOs([](TForm1 &form) {
            form.CheckBox10->setChecked(true);
            form.CheckBox5->setChecked(false);
            form.CheckBox3->setChecked(true); // and delete the volumes afterwards
        });
        const QDateTime before = QFileInfo(folder.path(QStringLiteral("last.os"))).lastModified();
        QTemporaryDir data;
        const QString release = makeRelease(data.path());
        QTest::qWait(20);

        QProcess tevo;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("HOME"), m_home.path());
        // A Tevo of its own, not one that hands its folders to another running Tevo.
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_home.path());
        tevo.setProcessEnvironment(environment);
        tevo.setProcessChannelMode(QProcess::MergedChannels);
        tevo.start(program, {release, QStringLiteral("-unpack")});
        QVERIFY(tevo.waitForStarted());
        const bool ended = tevo.waitForFinished(60000);
        if (!ended)
            tevo.kill();
        QVERIFY2(ended, tevo.readAll().constData());
        QCOMPARE(tevo.exitStatus(), QProcess::NormalExit);
        QCOMPARE(tevo.exitCode(), 0);
        QCOMPARE(QFileInfo(release + QStringLiteral("/movie.iso")).size(), qint64(300000));
        QVERIFY(QDir(release).entryList({QStringLiteral("*.rar")}, QDir::Files).isEmpty());
        QVERIFY(QFileInfo(folder.path(QStringLiteral("last.os"))).lastModified() > before);
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
