// The Unpack, Stop and Pause commands over a fake folder run.

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "engine/Errors.h"
#include "engine/SoundOutput.h"
#include "jobs/JobWindow.h"
#include "jobs/UnpackJob.h"
#include "support/Fakes.h"
#include "support/JobFakes.h"

namespace {

// A job over fakes whose folder runs are scripted by the test.
struct JobRig
{
    TestContext t;
    RecordingJobWindow window;
    RecordingSound sound;
    QStringList runFolders;
    std::function<QStringList(const QString &)> onRun = [](const QString &folder) {
        return QStringList{folder + QStringLiteral("/out.iso")};
    };
    UnpackJob job{t.context, window, sound, [this](const QString &folder) {
                      runFolders << folder;
                      return onRun(folder);
                  }};

    JobRig()
    {
        t.settings.setAfterAction(AfterActionChoice::PlaySound);
        t.settings.setSoundFile(QStringLiteral("/snd/done.wav"));
        t.view.onClearQueue = [this] { t.settings.setQueue({}); };
    }
};

QString eq()
{
    return QString(41, QLatin1Char('='));
}

} // namespace

class TestUnpackJob : public QObject
{
    Q_OBJECT

private slots:
    // The single folder is run as typed, its action follows, and the job writes its frame.
    void singleFolderJob()
    {
        JobRig r;
        r.t.settings.setInputFolder(QStringLiteral(" /data/rel "));
        bool midJobState = false;
        r.onRun = [&](const QString &folder) {
            // In the middle of the job: Unpack and Watch locked, Stop and Pause offered.
            midJobState = !r.window.unpackEnabled && !r.window.watchEnabled &&
                          r.window.stopEnabled && r.window.pauseEnabled &&
                          r.t.job.JobStartTick == 1000u &&
                          r.t.view.shownTabs == QList<WindowTab>{WindowTab::ProgressLog};
            r.t.platform.tick += 3725 * 1000 + 999; // 1 h 2 m 5 s and a bit
            r.t.view.setApplicationTitle(QStringLiteral("[Tevo] 50%"));
            return QStringList{folder + QStringLiteral("x.iso")};
        };
        r.job.start();
        QVERIFY(midJobState);
        QCOMPARE(r.runFolders, QStringList{" /data/rel "});
        QCOMPARE(r.sound.played, QStringList{"/snd/done.wav"});
        QCOMPARE(
            r.t.log.messages(),
            (QStringList{eq(), "Unpack job started", eq(), "[UNPACK ] Folder 1 of 1:  /data/rel ",
                         "[UNPACK ]  /data/rel : 0 archive(s) unpacked, nothing failed",
                         "[UNPACK ] Job time: 1 h 2 m 5 s", eq(), "Unpack job finished", eq()}));
        QCOMPARE(r.t.view.applicationTitle, QStringLiteral("[Tevo]"));
        QCOMPARE(r.t.job.JobStartTick, 0u);
        QVERIFY(r.window.unpackEnabled);
        QVERIFY(r.window.watchEnabled);
        QVERIFY(!r.window.stopEnabled);
        QVERIFY(!r.window.pauseEnabled);
        QCOMPARE(r.t.view.queueClears, 0); // single-folder mode leaves the queue alone
        QCOMPARE(r.t.platform.shutdownRequests, 0);
        QVERIFY(r.t.dialogs.shownMessages.isEmpty());
    }

    // A queue names each folder as it starts and sums each up at the end of the job; a folder
    // never reached (Close) has no line.
    void queueSummary()
    {
        JobRig r;
        r.t.settings.setInputMode(InputModeChoice::Queue);
        r.t.settings.setQueue({"/q/a", "/q/b", "/q/c"});
        r.onRun = [&](const QString &folder) {
            const bool second = folder == QLatin1String("/q/b");
            r.t.job.Tally.archivesUnpacked += second ? 0 : 1;
            r.t.job.Tally.failures += second ? 2 : 0;
            r.t.job.AbortRequested = second;
            return QStringList();
        };
        r.job.start();
        QCOMPARE(r.t.log.messages().filter(QRegularExpression("^\\[UNPACK \\] (Folder|/q/)")),
                 (QStringList{"[UNPACK ] Folder 1 of 3: /q/a", "[UNPACK ] Folder 2 of 3: /q/b",
                              "[UNPACK ] /q/a: 1 archive(s) unpacked, nothing failed",
                              "[UNPACK ] /q/b: 0 archive(s) unpacked, 2 failed"}));
    }

    void shortJobShowsZeroSeconds()
    {
        JobRig r;
        r.job.start();
        QVERIFY(r.t.log.messages().contains(QStringLiteral("[UNPACK ] Job time: 0 s")));
    }

    // The tick counter may wrap during a job; the elapsed time is still right.
    void elapsedTimeAcrossTickWrap()
    {
        JobRig r;
        r.t.platform.tick = 0xFFFFFFFFu - 1999u;
        r.onRun = [&](const QString &) {
            r.t.platform.tick += 12000;
            return QStringList();
        };
        r.job.start();
        QVERIFY(r.t.log.messages().contains(QStringLiteral("[UNPACK ] Job time: 12 s")));
    }

    // Queue of three with "Clear queue and jump back": the first folder empties the queue and
    // the loop ends without error.
    void clearQueueEndsTheLoop()
    {
        JobRig r;
        r.t.settings.setInputMode(InputModeChoice::Queue);
        r.t.settings.setQueue(QStringList{"/q/a", "/q/b", "/q/c"});
        r.t.settings.setAfterAction(AfterActionChoice::ClearQueue);
        r.job.start();
        QCOMPARE(r.runFolders, QStringList{"/q/a"});
        QVERIFY(r.t.settings.Queue().isEmpty());
        QCOMPARE(r.t.view.inputFolderClears, 1);
        QCOMPARE(r.t.log.messages().last(), eq());
        QVERIFY(r.t.dialogs.shownMessages.isEmpty());
    }

    void queueIsClearedUnlessWatching()
    {
        for (bool watching : {false, true}) {
            JobRig r;
            r.window.watching = watching;
            r.t.settings.setInputMode(InputModeChoice::Queue);
            r.t.settings.setQueue(QStringList{"/q/a", "/q/b"});
            r.job.start();
            QCOMPARE(r.runFolders, (QStringList{"/q/a", "/q/b"}));
            QCOMPARE(r.sound.played.size(), 2);
            QCOMPARE(r.t.settings.Queue().isEmpty(), !watching);
        }
    }

    void emptyQueueRunsNothing()
    {
        JobRig r;
        r.t.settings.setInputMode(InputModeChoice::Queue);
        r.t.settings.setShutdownAfter(true);
        r.job.start();
        QVERIFY(r.runFolders.isEmpty());
        QCOMPARE(r.t.log.messages().size(), 7);
        QCOMPARE(r.t.platform.shutdownRequests, 0);
    }

    // Shutdown after extraction powers off once, after the last folder and its action; never
    // while folders of the queue are still to do.
    void shutdownOnceAfterTheWholeQueue()
    {
        JobRig r;
        r.t.settings.setInputMode(InputModeChoice::Queue);
        r.t.settings.setQueue(QStringList{"/q/a", "/q/b", "/q/c"});
        r.t.settings.setShutdownAfter(true);
        int soundsWhenShutdown = -1;
        int shutdownsDuringRuns = 0;
        r.onRun = [&](const QString &folder) {
            shutdownsDuringRuns += r.t.platform.shutdownRequests;
            return QStringList{folder + QStringLiteral("/x.iso")};
        };
        r.job.start();
        soundsWhenShutdown = r.sound.played.size();
        QCOMPARE(r.runFolders.size(), 3);
        QCOMPARE(shutdownsDuringRuns, 0);
        QCOMPARE(r.t.platform.shutdownRequests, 1);
        QCOMPARE(soundsWhenShutdown, 3);
    }

    // A folder text the pipeline refuses is no folder run: it never powers the machine off, yet
    // "Close Tevo after extraction" still closes, so that a scripted "tevo -unpack" ends.
    void refusedFolderTextsDoNotShutDown_data()
    {
        QTest::addColumn<bool>("queueMode");
        QTest::addColumn<QStringList>("folders"); // "@" stands for an existing empty folder
        QTest::addColumn<int>("shutdowns");
        QTest::newRow("empty folder") << false << QStringList{""} << 0;
        QTest::newRow("blank folder") << false << QStringList{"   "} << 0;
        QTest::newRow("queue of blanks") << true << QStringList{"", " \t"} << 0;
        QTest::newRow("missing folder") << false << QStringList{"/no/such/release"} << 0;
        QTest::newRow("real folder") << false << QStringList{"@"} << 1;
        QTest::newRow("real folder among blanks") << true << QStringList{" ", "@"} << 1;
    }
    void refusedFolderTextsDoNotShutDown()
    {
        QFETCH(bool, queueMode);
        QFETCH(QStringList, folders);
        QFETCH(int, shutdowns);
        QTemporaryDir existing;
        folders.replaceInStrings(QStringLiteral("@"), existing.path());
        TestContext t;
        t.settings.setShutdownAfter(true);
        t.settings.setCloseAfter(true);
        t.settings.setInputMode(queueMode ? InputModeChoice::Queue : InputModeChoice::SingleFolder);
        t.settings.setQueue(folders);
        t.settings.setInputFolder(folders.constFirst());
        PipelineJob rig(t);
        rig.job.start();
        QCOMPARE(t.platform.shutdownRequests, shutdowns);
        QCOMPARE(t.view.closeRequests, int(folders.size()));
    }

    // An unexpected error ends the job: later folders do not run, the job's end is written in
    // full, and only then the error box appears.
    void unexpectedErrorEndsTheJob()
    {
        JobRig r;
        r.t.settings.setInputMode(InputModeChoice::Queue);
        r.t.settings.setQueue(QStringList{"/q/a", "/q/b", "/q/c"});
        r.onRun = [&](const QString &folder) -> QStringList {
            if (folder == QLatin1String("/q/b"))
                throw TevoError(QStringLiteral("Cannot create folder /q/b/out"));
            return {folder + QStringLiteral("/x.iso")};
        };
        bool endWrittenBeforeBox = false;
        r.t.dialogs.onMessage = [&](const ScriptedDialogs::ShownMessage &) {
            endWrittenBeforeBox = r.t.log.messages().size() >= 7 &&
                                  r.t.log.messages().at(r.t.log.messages().size() - 2) ==
                                      QLatin1String("Unpack job finished") &&
                                  r.t.job.JobStartTick == 0 && r.window.unpackEnabled &&
                                  r.t.view.applicationTitle == QLatin1String("[Tevo]");
        };
        r.job.start();
        QCOMPARE(r.runFolders, (QStringList{"/q/a", "/q/b"}));
        QCOMPARE(r.sound.played.size(), 1);
        QCOMPARE(r.t.dialogs.shownMessages.size(), 1);
        QCOMPARE(r.t.dialogs.shownMessages[0].text,
                 QStringLiteral("Cannot create folder /q/b/out"));
        QCOMPARE(r.t.dialogs.shownMessages[0].caption, QStringLiteral("Error"));
        QCOMPARE(r.t.dialogs.shownMessages[0].icon, MessageIcon::Error);
        QVERIFY(endWrittenBeforeBox);
        QVERIFY(!r.window.stopEnabled);
        QVERIFY(r.window.watchEnabled);
        // The queue is kept: the job did not get through it.
        QCOMPARE(r.t.settings.Queue().size(), 3);
    }

    void stopToggles()
    {
        JobRig r;
        QStringList seen;
        r.onRun = [&](const QString &) {
            r.job.stop();
            seen << QString::number(r.t.job.StopRequested) + r.window.stopCaption;
            r.job.stop();
            seen << QString::number(r.t.job.StopRequested) + r.window.stopCaption;
            r.job.stop();
            return QStringList();
        };
        r.job.start();
        QCOMPARE(seen, (QStringList{"1Don't stop", "0Stop"}));
        const QStringList messages = r.t.log.messages();
        QCOMPARE(messages.mid(3, 3),
                 (QStringList{"[NOTICE ] Tevo stops after the current archive",
                              "[NOTICE ] Stop cancelled, Tevo goes on",
                              "[NOTICE ] Tevo stops after the current archive"}));
        // A stop belongs to its job: the next job starts without it and with the literal caption.
        QVERIFY(r.t.job.StopRequested);
        bool stopAtStart = true;
        r.onRun = [&](const QString &) {
            stopAtStart = r.t.job.StopRequested;
            return QStringList();
        };
        r.job.start();
        QCOMPARE(r.window.stopCaption, QStringLiteral("Stop"));
        QVERIFY(!stopAtStart);

        // While no job runs, Stop and Pause (reachable from the tray) do nothing at all.
        r.t.log.lines.clear();
        r.job.stop();
        r.job.togglePause();
        QVERIFY(!r.t.job.StopRequested);
        QVERIFY(!r.t.job.Paused);
        QVERIFY(r.t.log.lines.isEmpty());
    }

    void pauseToggles()
    {
        JobRig r;
        bool pausedDuringPump = true;
        QStringList seen;
        int pumps = 0;
        r.onRun = [&](const QString &) {
            r.t.platform.onProcessEvents = [&] { pausedDuringPump = r.t.job.Paused; };
            const int before = r.t.platform.processEventsCalls;
            r.job.togglePause();
            seen << QString::number(r.t.job.Paused) + r.window.pauseCaption;
            r.job.togglePause();
            seen << QString::number(r.t.job.Paused) + r.window.pauseCaption;
            pumps = r.t.platform.processEventsCalls - before;
            r.t.platform.onProcessEvents = nullptr;
            return QStringList();
        };
        r.job.start();
        QVERIFY(!pausedDuringPump); // the pump runs before the job holds
        QCOMPARE(seen, (QStringList{"1Resume", "0Pause"}));
        QCOMPARE(r.t.log.messages().mid(3, 2),
                 (QStringList{"[UNPACK ] Pausing", "[UNPACK ] Resuming"}));
        QCOMPARE(pumps, 1);
    }
};

QTEST_MAIN(TestUnpackJob)
#include "tst_unpackjob.moc"
