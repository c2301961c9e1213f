// The jobs on the settings model alone, with no window built: the command line, the Watch
// command with its ticks, and the Unpack command over a queue.

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include "jobs/CommandLine.h"
#include "jobs/WatchMode.h"
#include "support/Fakes.h"
#include "support/JobFakes.h"
#include "support/ManualWatchTimer.h"
#include "support/ReleaseMaker.h"

namespace {
constexpr int TextIntervalNotANumber = 153;
constexpr int TextWatchingCaption = 154;
constexpr int TextWatchNeedsDeleteFiles = 181;
} // namespace

class TestJobsOnModel : public QObject
{
    Q_OBJECT

private slots:
    void commandLine_data()
    {
        QTest::addColumn<QStringList>("parameters");
        QTest::addColumn<InputModeChoice>("mode");
        QTest::addColumn<QString>("inputFolder");
        QTest::addColumn<QStringList>("queue");
        QTest::addColumn<QStringList>("pressed");
        const QStringList none;
        QTest::newRow("one folder")
            << QStringList{"/a"} << InputModeChoice::SingleFolder << "/a" << none << none;
        QTest::newRow("several folders, each once")
            << QStringList{"/a", "/b", "/a/", "/b//"} << InputModeChoice::Queue << QString()
            << QStringList{"/a", "/b"} << none;
        QTest::newRow("switches in their order")
            << QStringList{"-WATCH", "/a", "-unpack", "-fast"} << InputModeChoice::SingleFolder
            << "/a" << none << QStringList{"watch", "unpack"};
        QTest::newRow("nothing") << QStringList{} << InputModeChoice::SingleFolder << QString()
                                 << none << none;
    }
    void commandLine()
    {
        QFETCH(QStringList, parameters);
        QFETCH(InputModeChoice, mode);
        QFETCH(QString, inputFolder);
        QFETCH(QStringList, queue);
        QFETCH(QStringList, pressed);
        SettingsModel settings;
        QStringList actions;
        ApplyCommandLine(settings, SplitCommandLine(parameters),
                         {[&] {
                              // The folders are in place before a switch acts.
                              QCOMPARE(settings.InputMode(), mode);
                              actions << "unpack";
                          },
                          [&] { actions << "watch"; }});
        QCOMPARE(settings.InputMode(), mode);
        QCOMPARE(settings.InputFolder(), inputFolder);
        QCOMPARE(settings.Queue(), queue);
        QCOMPARE(actions, pressed);
    }

    void watchCommand_data()
    {
        QTest::addColumn<QString>("interval");
        QTest::addColumn<bool>("deleteFiles");
        QTest::addColumn<int>("refusal"); // the text of the error box, 0 when it starts
        QTest::addColumn<int>("timerMs");
        QTest::newRow("starts") << "15" << true << 0 << 15000;
        QTest::newRow("zero ticks every millisecond") << "0" << true << 0 << 1;
        QTest::newRow("not a number") << "15s" << true << TextIntervalNotANumber << 0;
        QTest::newRow("too long for the timer") << "2147484" << true << TextIntervalNotANumber << 0;
        QTest::newRow("needs Delete Files") << "15" << false << TextWatchNeedsDeleteFiles << 0;
    }
    void watchCommand()
    {
        QFETCH(QString, interval);
        QFETCH(bool, deleteFiles);
        QFETCH(int, refusal);
        QFETCH(int, timerMs);
        TestContext t;
        RecordingJobWindow window;
        t.settings.setWatchInterval(interval);
        t.settings.setDeleteSources(deleteFiles);
        t.settings.setCheckSfv(false);
        WatchMode watch(t.context, t.settings, window, nullptr, [] {});
        auto timer = std::make_unique<ManualWatchTimer>();
        ManualWatchTimer *ticks = timer.get();
        watch.setTimer(std::move(timer));

        QCOMPARE(watch.StartWatching(), refusal == 0);
        QCOMPARE(watch.watching(), refusal == 0);
        QCOMPARE(t.job.WatchTimerEnabled, refusal == 0);
        if (refusal) {
            QCOMPARE(t.dialogs.shownMessages.size(), 1);
            QCOMPARE(t.dialogs.shownMessages[0].text, t.context.LangText(refusal));
            QVERIFY(!t.settings.CheckSfv());
            return;
        }
        QVERIFY(t.dialogs.shownMessages.isEmpty());
        QCOMPARE(ticks->interval(), timerMs);
        // Watching checks SFV lists: the setting itself is turned on.
        QVERIFY(t.settings.CheckSfv());
        QCOMPARE(window.watchCaption(), t.context.LangText(TextWatchingCaption));
        QVERIFY(!window.unpackEnabled);
        watch.StopWatching();
        QVERIFY(!watch.watching());
        QVERIFY(window.unpackEnabled);
    }

    // A tick runs the job only when the input holds a release, and never inside a running job.
    void watchTickRunsTheJobWhenThereIsWork()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath("rel");
        ReleaseMaker::writeFile(QDir(folder).filePath("a.iso"), 40 * 1024);
        ReleaseMaker::makeRarSet(folder, "a", {"a.iso"}, 20);
        QVERIFY(QFile::remove(QDir(folder).filePath("a.iso")));

        TestContext t;
        RecordingJobWindow window;
        t.settings.setDeleteSources(true);
        t.settings.setInputFolder(dir.filePath("empty"));
        QVERIFY(QDir(dir.path()).mkpath("empty"));
        int jobs = 0;
        WatchMode watch(t.context, t.settings, window, nullptr, [&] { ++jobs; });
        watch.setTimer(std::make_unique<ManualWatchTimer>());
        QVERIFY(watch.StartWatching());

        watch.runRound();
        QCOMPARE(jobs, 0);
        t.settings.setInputFolder(folder);
        t.job.JobStartTick = 5; // a job runs
        watch.runRound();
        QCOMPARE(jobs, 0);
        t.job.JobStartTick = 0;
        watch.runRound();
        QCOMPARE(jobs, 1);
    }

    // The Unpack command over a queue held by the model runs the real pipeline on each folder
    // and empties the queue at its end.
    void unpackJobWorksTheModelsQueue()
    {
        QTemporaryDir dir;
        QStringList queue;
        for (const QString name : {"one", "two"}) {
            const QString folder = dir.filePath(name);
            ReleaseMaker::writeFile(QDir(folder).filePath(name + QStringLiteral(".iso")), 30000);
            ReleaseMaker::makeRarSet(folder, name, {name + QStringLiteral(".iso")}, 12);
            QVERIFY(QFile::remove(QDir(folder).filePath(name + QStringLiteral(".iso"))));
            queue << folder;
        }
        TestContext t;
        t.settings.setQueue(queue);
        t.settings.setInputMode(InputModeChoice::Queue);
        t.view.onClearQueue = [&t] { t.settings.setQueue({}); };
        PipelineJob job(t);
        job.job.start();
        QCOMPARE(t.job.Tally.archivesUnpacked, 2);
        QCOMPARE(t.job.Tally.failures, 0);
        QVERIFY(QFileInfo(dir.filePath("one/one.iso")).isFile());
        QVERIFY(QFileInfo(dir.filePath("two/two.iso")).isFile());
        QVERIFY(t.settings.Queue().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestJobsOnModel)
#include "tst_jobsonmodel.moc"
