// One Tevo per user: a second real tevo process hands its folders to the running one (this test
// program's window) and ends, instead of opening a second window.

#include <QDir>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

#include "jobs/SingleInstance.h"
#include "support/Fakes.h"
#include "ui/HandOver.h"
#include "ui/MainWindow.h"

class TestSingleInstance : public QObject
{
    Q_OBJECT

    QTemporaryDir m_runtime;
    QTemporaryDir m_work;

    // Runs the built tevo with the arguments, in the folder given, against this test's socket.
    int runSecondTevo(const QStringList &arguments, const QString &workingFolder)
    {
        QProcess tevo;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
        env.insert(QStringLiteral("HOME"), m_work.path());
        tevo.setProcessEnvironment(env);
        tevo.setWorkingDirectory(workingFolder);
        tevo.start(QStringLiteral(TEVO_BINARY_DIR "/tevo"), arguments);
        if (!tevo.waitForStarted())
            return -1;
        // The hand-over is answered by this program's event loop.
        if (!QTest::qWaitFor([&] { return tevo.state() == QProcess::NotRunning; }, 60000)) {
            tevo.kill();
            tevo.waitForFinished();
            return -2;
        }
        return tevo.exitStatus() == QProcess::NormalExit ? tevo.exitCode() : -3;
    }

private slots:
    void initTestCase()
    {
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
        QVERIFY(SingleInstance::serverPath().startsWith(m_runtime.path()));
        QDir(m_work.path()).mkpath(QStringLiteral("A"));
        QDir(m_work.path()).mkpath(QStringLiteral("B/sub"));
    }

    void noRunningTevoTakesNothing() { QVERIFY(!SingleInstance::handOver({QStringLiteral("/x")})); }

    void secondProcessHandsOver_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("workingFolder");
        QTest::addColumn<QStringList>("queue");
        QTest::addColumn<bool>("unpacked");
        QTest::addColumn<bool>("duringAJob");
        const QString a = m_work.filePath(QStringLiteral("A"));
        const QString b = m_work.filePath(QStringLiteral("B"));
        QTest::newRow("folder menu: one folder joins the queue")
            << QStringList{a} << m_work.path() << QStringList{"/queued", a} << false << false;
        QTest::newRow("a script: two folders, one already queued")
            << QStringList{b, "/queued/"} << m_work.path() << QStringList{"/queued", b} << false
            << false;
        QTest::newRow("a relative folder is taken from the second one's folder")
            << QStringList{"sub"} << b << QStringList{"/queued", b + "/sub"} << false << false;
        QTest::newRow("-unpack unpacks at once")
            << QStringList{a, "-unpack"} << m_work.path() << QStringList{} << true << false;
        QTest::newRow("during a job: queued once the job has ended")
            << QStringList{a} << m_work.path() << QStringList{"/queued", a} << false << true;
    }

    void secondProcessHandsOver()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, workingFolder);
        QFETCH(QStringList, queue);
        QFETCH(bool, unpacked);
        QFETCH(bool, duringAJob);
        ScriptedDialogs dialogs;
        FakePlatform platform;
        TForm1 form(dialogs, platform);
        form.language().loadFile(EnglishLanguageFile());
        form.InitGUILanguage();
        form.ListBox1->addItem(QStringLiteral("/queued"));
        SingleInstance instance;
        QVERIFY(instance.listen([&form](const QStringList &handedOver) {
            TakeHandedOverCommandLine(form, handedOver);
        }));

        const QFileInfo lastOs(QStringLiteral(TEVO_BINARY_DIR "/last.os"));
        const QDateTime lastOsBefore = lastOs.exists() ? lastOs.lastModified() : QDateTime();
        if (duringAJob)
            form.jobControl().JobStartTick = 1234;
        QCOMPARE(runSecondTevo(arguments, workingFolder), 0);
        if (duringAJob) {
            // The job empties its queue at its end: the folder waits for that end.
            QCOMPARE(form.settings().Queue(), QStringList{"/queued"});
            form.jobControl().JobStartTick = 0;
            QTRY_COMPARE(form.settings().Queue(), queue);
        }
        QVERIFY(form.RadioButton7->isChecked());
        const QString started = form.context().LangText(132);
        if (unpacked)
            QTRY_VERIFY(form.Memo1->toPlainText().contains(started));
        else
            QVERIFY(!form.Memo1->toPlainText().contains(started));
        QCOMPARE(form.settings().Queue(), queue); // an unpacked queue is emptied
        // The second process never got as far as a window of its own.
        const QFileInfo lastOsAfter(QStringLiteral(TEVO_BINARY_DIR "/last.os"));
        QCOMPARE(lastOsAfter.exists() ? lastOsAfter.lastModified() : QDateTime(), lastOsBefore);
    }

    // The socket lies in a folder only this user can enter, or there is none and no hand-over:
    // never under a name every user shares, where another user's listener could take the folders.
    void socketFolderIsPrivate_data()
    {
        QTest::addColumn<QString>("runtime");  // what $XDG_RUNTIME_DIR is
        QTest::addColumn<QString>("expected"); // "runtime", "fallback" or "" (no hand-over)
        QTest::newRow("private runtime folder") << "private" << QString("runtime");
        QTest::newRow("runtime folder open to others") << "open" << QString("fallback");
        QTest::newRow("runtime folder a link to a private one") << "link" << QString("fallback");
        // No runtime folder, and the own fallback is there, open to others.
        QTest::newRow("no runtime folder, own fallback open to others") << "unset" << QString();
    }
    void socketFolderIsPrivate()
    {
        QFETCH(QString, runtime);
        QFETCH(QString, expected);
        QTemporaryDir temp;
        const QString tmp = temp.path();
        const auto makeFolder = [](const QString &folder, mode_t mode) {
            return QDir().mkdir(folder) &&
                   ::chmod(QFile::encodeName(folder).constData(), mode) == 0;
        };
        const QString fallback = tmp + QStringLiteral("/tevo-%1").arg(::getuid());
        if (expected.isEmpty())
            QVERIFY(makeFolder(fallback, 0777));
        QString runtimeFolder = tmp + "/runtime";
        QVERIFY(makeFolder(runtimeFolder, runtime == "open" ? 0755 : 0700));
        if (runtime == "link") {
            QVERIFY(QFile::link(runtimeFolder, tmp + "/link"));
            runtimeFolder = tmp + "/link";
        }
        const QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR");
        const QByteArray oldTmp = qgetenv("TMPDIR");
        qputenv("TMPDIR", QFile::encodeName(tmp));
        if (runtime == "unset")
            qunsetenv("XDG_RUNTIME_DIR");
        else
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtimeFolder));
        const QString path = SingleInstance::serverPath();
        SingleInstance instance;
        const bool listening = instance.listen([](const QStringList &) {}, path);
        qputenv("XDG_RUNTIME_DIR", oldRuntime);
        qputenv("TMPDIR", oldTmp);

        const QString folder = expected == "runtime" ? runtimeFolder : fallback;
        QCOMPARE(path, expected.isEmpty() ? QString() : folder + "/tevo.socket");
        QCOMPARE(listening, !expected.isEmpty());
        // The fallback is made only when needed, and private; an open one is not taken over.
        struct stat info = {};
        QCOMPARE(::lstat(QFile::encodeName(fallback).constData(), &info) == 0,
                 expected != "runtime");
        if (expected != "runtime")
            QCOMPARE(int(info.st_mode & 07777), expected.isEmpty() ? 0777 : 0700);
    }

    // A socket left behind by a Tevo that did not end cleanly is taken over.
    void staleSocketIsReplaced()
    {
        const QString path = m_runtime.filePath(QStringLiteral("stale.socket"));
        {
            QFile stale(path);
            QVERIFY(stale.open(QIODevice::WriteOnly));
        }
        SingleInstance instance;
        QVERIFY(instance.listen([](const QStringList &) {}, path));
        QVERIFY(QFileInfo(path).exists());
    }
};

QTEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
