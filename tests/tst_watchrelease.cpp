// Watch mode end to end: a release folder that is still being filled is left alone until its
// last listed volume arrives, then unpacked once; ticks during the job are dropped.

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "jobs/WatchMode.h"
#include "support/Fakes.h"
#include "support/ManualWatchTimer.h"
#include "support/ReleaseMaker.h"
#include "ui/MainWindow.h"

namespace {
constexpr int TextJobStarted = 132;
constexpr int TextListedFileMissing = 101;
constexpr int TextFolderMissing = 188;
// The real window watching a release folder with "Delete Files" on, its timer ticked by hand.
struct WatchWindow
{
    WatchWindow(const QString &folder, bool openNfo,
                const std::function<void(TForm1 &)> &configure = nullptr)
    {
        form.language().loadFile(EnglishLanguageFile());
        form.InitGUILanguage();
        form.watchMode().setTimer(std::make_unique<ManualWatchTimer>());
        form.Edit1->setText(folder);
        form.CheckBox3->setChecked(true);
        form.CheckBox5->setChecked(openNfo);
        if (configure)
            configure(form);
        form.Button17->click();
    }
    ScriptedDialogs dialogs;
    FakePlatform platform;
    TForm1 form{dialogs, platform};
};

} // namespace

class TestWatchRelease : public QObject
{
    Q_OBJECT

    QTemporaryDir m_data;

private slots:
    void initTestCase() { qputenv("XDG_DATA_HOME", QFile::encodeName(m_data.path())); }

    void releaseIsUnpackedOnceComplete()
    {
        QTemporaryDir work;
        const QString release = work.filePath(QStringLiteral("Movie.2026"));
        const QString aside = work.filePath(QStringLiteral("still-downloading"));
        QDir().mkpath(aside);
        const QString content =
            ReleaseMaker::writeFile(release + QStringLiteral("/movie.iso"), 300 * 1024, 7);
        QFile original(content);
        QVERIFY(original.open(QIODevice::ReadOnly));
        const QByteArray expected = original.readAll();
        original.close();
        const QStringList volumes = ReleaseMaker::makeRarSet(release, QStringLiteral("movie"),
                                                             {QStringLiteral("movie.iso")}, 100);
        QVERIFY(volumes.size() >= 3);
        QVERIFY(QFile::remove(content));
        QStringList names;
        for (const QString &volume : volumes)
            names << QFileInfo(volume).fileName();
        QVERIFY(ReleaseMaker::makeSfv(release, QStringLiteral("movie.sfv"), names));
        // The last volume has not arrived yet.
        const QString last = volumes.constLast();
        const QString lastAside = aside + QLatin1Char('/') + QFileInfo(last).fileName();
        QVERIFY(QFile::rename(last, lastAside));

        ScriptedDialogs dialogs;
        FakePlatform platform;
        TForm1 form(dialogs, platform);
        form.language().loadFile(EnglishLanguageFile());
        form.InitGUILanguage();
        auto timer = std::make_unique<ManualWatchTimer>();
        ManualWatchTimer *watchTimer = timer.get();
        form.watchMode().setTimer(std::move(timer));
        form.Edit1->setText(release);
        form.Edit6->setText(QStringLiteral("1"));
        form.CheckBox3->setChecked(true);  // Delete Files
        form.CheckBox5->setChecked(false); // no NFO to open
        form.CheckBox4->setChecked(false);
        form.Button17->click();
        QVERIFY(form.watchMode().watching());
        QCOMPARE(watchTimer->interval(), 1000);
        QVERIFY(form.CheckBox4->isChecked());

        // Ticks that fall due while the job lets events through are dropped.
        int ticksDuringJob = 0;
        platform.onProcessEvents = [&] {
            if (form.jobControl().JobStartTick != 0 && ticksDuringJob < 3) {
                ++ticksDuringJob;
                form.watchMode().runRound();
            }
        };
        const QString jobStarted = form.context().LangText(TextJobStarted);
        auto jobsStarted = [&] { return form.Memo1->toPlainText().count(jobStarted); };

        // Rounds while it is incomplete start no job and name the missing volume once.
        form.watchMode().runRound();
        form.watchMode().runRound();
        QCOMPARE(jobsStarted(), 0);
        QCOMPARE(form.jobControl().JobStartTick, 0u);
        QVERIFY(!QFileInfo::exists(release + QStringLiteral("/movie.iso")));
        QVERIFY(QFileInfo::exists(volumes.constFirst())); // nothing deleted
        QCOMPARE(form.Memo1->toPlainText().count(
                     form.context().LangText(TextListedFileMissing, {QFileInfo(last).fileName()})),
                 1);

        // The download completes; the next tick unpacks the release and cleans up.
        QVERIFY(QFile::rename(lastAside, last));
        form.watchMode().runRound();
        QCOMPARE(jobsStarted(), 1);
        QVERIFY(ticksDuringJob > 0);
        QFile extracted(release + QStringLiteral("/movie.iso"));
        QVERIFY(extracted.open(QIODevice::ReadOnly));
        QCOMPARE(extracted.readAll(), expected);
        for (const QString &volume : volumes)
            QVERIFY2(!QFileInfo::exists(volume), qPrintable(volume));
        QVERIFY(!QFileInfo::exists(release + QStringLiteral("/movie.sfv")));
        QVERIFY(form.watchMode().watching());
        QVERIFY(dialogs.shownMessages.isEmpty());
    }

    // A release with a damaged volume: repaired at once when PAR2 files can; otherwise left until
    // the volume is replaced, and taken again only once its files have settled for a round.
    void damagedReleaseResumes_data()
    {
        QTest::addColumn<bool>("withPar2");
        QTest::newRow("repaired with PAR2 files") << true;
        QTest::newRow("volume replaced later") << false;
    }
    void damagedReleaseResumes()
    {
        QFETCH(bool, withPar2);
        QTemporaryDir work;
        const QString release = work.filePath(QStringLiteral("Movie.2027"));
        ReleaseMaker::writeFile(release + QStringLiteral("/src/movie.iso"), 600 * 1024, 8);
        const QStringList volumes =
            ReleaseMaker::makeRarSet(release, QStringLiteral("movie"), {"src/movie.iso"}, 50);
        QDir(release + QStringLiteral("/src")).removeRecursively();
        QStringList names;
        for (const QString &volume : volumes)
            names << QFileInfo(volume).fileName();
        QVERIFY(ReleaseMaker::makeSfv(release, QStringLiteral("movie.sfv"), names));
        if (withPar2)
            QVERIFY(ReleaseMaker::run(
                "par2", QStringList{"create", "-q", "-q", "-r10", "movie.par2"} + names, release));
        const QString damaged = volumes.at(2);
        const QString good = work.filePath(QStringLiteral("good.copy"));
        QVERIFY(QFile::copy(damaged, good));
        {
            QFile file(damaged);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.seek(1000));
            file.write(QByteArray(100, 'x'));
        }

        WatchWindow w(release, false);
        TForm1 &form = w.form;
        const QString jobStarted = form.context().LangText(TextJobStarted);
        auto jobs = [&] { return form.Memo1->toPlainText().count(jobStarted); };
        const QString extracted = release + QStringLiteral("/movie.iso");

        form.watchMode().runRound();
        QCOMPARE(jobs(), 1);
        if (withPar2) {
            QVERIFY2(QFileInfo::exists(extracted), qPrintable(form.Memo1->toPlainText()));
            QCOMPARE(ReleaseMaker::listTree(release), QStringList{"movie.iso"});
            return;
        }
        QVERIFY(!QFileInfo::exists(extracted));
        form.watchMode().runRound(); // nothing changed: not tried again
        QCOMPARE(jobs(), 1);
        QVERIFY(QFile::remove(damaged));
        QVERIFY(QFile::copy(good, damaged));
        form.watchMode().runRound(); // just changed: it may still be arriving
        QCOMPARE(jobs(), 1);
        form.watchMode().runRound(); // the same for a round: taken again
        QCOMPARE(jobs(), 2);
        QVERIFY2(QFileInfo::exists(extracted), qPrintable(form.Memo1->toPlainText()));
        for (const QString &volume : volumes)
            QVERIFY(!QFileInfo::exists(volume));
    }

    // A release checked again at every round (a lone SFV list, checked without an archive)
    // opens its NFO once per watch session; rounds with nothing to do write nothing, and an
    // input folder that is not there is named once.
    void quietRoundsAndOneNfo()
    {
        QTemporaryDir work;
        const QString release = work.filePath(QStringLiteral("Show.S01"));
        ReleaseMaker::writeFile(release + QStringLiteral("/ep.mkv"), 20 * 1024, 3);
        QVERIFY(ReleaseMaker::makeSfv(release, QStringLiteral("ep.sfv"), {"ep.mkv"}));
        const QString nfo = release + QStringLiteral("/ep.nfo");
        ReleaseMaker::writeText(nfo, "notes\n");

        WatchWindow w(release, true, [](TForm1 &f) {
            f.CheckBox22->setChecked(true); // Check even if no archive found
        });
        TForm1 &form = w.form;
        FakePlatform &platform = w.platform;
        ScriptedDialogs &dialogs = w.dialogs;
        auto lines = [&] { return form.Memo1->toPlainText().split(QLatin1Char('\n')).size(); };
        const QString jobStarted = form.context().LangText(TextJobStarted);

        form.watchMode().runRound(); // the list checks out each time
        form.watchMode().runRound();
        QCOMPARE(form.Memo1->toPlainText().count(jobStarted), 2);
        QCOMPARE(platform.openedPaths, QStringList{nfo});

        // The list is taken away: the rounds find nothing and say nothing.
        QVERIFY(QFile::remove(release + QStringLiteral("/ep.sfv")));
        const int idle = lines();
        for (int round = 0; round < 3; ++round)
            form.watchMode().runRound();
        QCOMPARE(lines(), idle);

        const QString gone = work.filePath(QStringLiteral("Not.There"));
        form.Edit1->setText(gone);
        form.watchMode().runRound();
        form.watchMode().runRound();
        QCOMPARE(lines(), idle + 1);
        QVERIFY(
            form.Memo1->toPlainText().endsWith(form.context().LangText(TextFolderMissing, {gone})));
        QVERIFY(dialogs.shownMessages.isEmpty());
    }
};

QTEST_MAIN(TestWatchRelease)
#include "tst_watchrelease.moc"
