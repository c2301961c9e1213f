// The figures of the progress display: sizes and durations that read true, and a remaining-time
// estimate that leaves out the time spent paused.

#include <QTest>

#include "engine/ProgressText.h"
#include "engine/RarExtractor.h"
#include "support/Fakes.h"

#include <unrar/dll.hpp>

class TestProgressText : public QObject
{
    Q_OBJECT

private slots:
    void figures_data()
    {
        QTest::addColumn<QString>("actual");
        QTest::addColumn<QString>("expected");
        QTest::newRow("nothing done yet") << ProgressSize(0) << "0 B";
        QTest::newRow("below a KiB") << ProgressSize(1000) << "1000 B";
        QTest::newRow("MiB") << ProgressSize(3 * 1024 * 1024 / 2) << "1.50 MiB";
        QTest::newRow("under a second") << ProgressDuration(0) << "0 s";
        QTest::newRow("negative span") << ProgressDuration(-5) << "0 s";
        QTest::newRow("whole minute, no trailing blank") << ProgressDuration(120) << "2 m";
        QTest::newRow("minutes and seconds") << ProgressDuration(65) << "1 m 5 s";
        QTest::newRow("total above done")
            << SizeProgressText(100LL << 20, 1536LL << 20) << "100.00 MiB/1.50 GiB";
        QTest::newRow("done beyond a short total")
            << SizeProgressText(1536LL << 20, 100LL << 20) << "1.50 GiB/1.50 GiB";
    }

    void figures()
    {
        QFETCH(QString, actual);
        QFETCH(QString, expected);
        QCOMPARE(actual, expected);
    }

    // Half done after 4 s of work, with a 60 s pause in between: 4 s remain, not 64 s.
    void estimateLeavesOutThePause()
    {
        TestContext t;
        QStringList extracted;
        RarExtraction extraction(t.context, extracted);
        extraction.ProgressTotal = 10 * 1024 * 1024;
        const long self = reinterpret_cast<long>(&extraction);
        t.job.JobStartTick = 1000;
        t.job.StepStartTick = 1000;
        t.platform.tick = 3000;
        QCOMPARE(RarCallback(UCM_PROCESSDATA, self, 0, 1024 * 1024), 1);

        t.job.Paused = true;
        t.platform.onProcessEvents = [&] {
            if (t.platform.tick >= 63000)
                t.job.Paused = false;
        };
        t.platform.tick = 3000;
        QVERIFY(!t.context.checkpoint.waitWhilePaused());
        t.platform.tick = 65000; // 2 s of work after the pause
        QCOMPARE(RarCallback(UCM_PROCESSDATA, self, 0, 4 * 1024 * 1024), 1);
        QCOMPARE(t.view.progressText,
                 QStringLiteral("5.00 MiB/10.00 MiB (Time elapsed: 1 m 4 s/ins: 1 m 4 s/estimated: "
                                "4 s)"));

        // A pause of an earlier step does not count in the next one.
        t.job.StepStartTick = 65000;
        t.platform.tick = 67000;
        extraction.ProcessedKiB = 0;
        QCOMPARE(RarCallback(UCM_PROCESSDATA, self, 0, 5 * 1024 * 1024), 1);
        QVERIFY2(t.view.progressText.endsWith(QStringLiteral("/estimated: 2 s)")),
                 qPrintable(t.view.progressText));
    }
};

QTEST_GUILESS_MAIN(TestProgressText)
#include "tst_progresstext.moc"
