// Set plans on real archives made by rar and cut or broken as downloads break them: which files
// start a set, when a set is complete, and what the folder run then writes, keeps and deletes.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "engine/ArchiveEnd.h"
#include "engine/ArchiveSets.h"
#include "engine/JobEvents.h"
#include "engine/Pipeline.h"
#include "engine/SetPlan.h"
#include "engine/SetWriteCheck.h"
#include "support/Fakes.h"
#include "support/JobFakes.h"
#include "support/Rar4Writer.h"
#include "support/ReleaseMaker.h"

using namespace ReleaseMaker;

namespace {

void Truncate(const QString &path, qint64 size)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.resize(size));
}

// Cuts the volume just after the stored bytes of payload: a download that stopped exactly at an
// entry boundary.
void CutAfter(const QString &volume, const QString &payload)
{
    const QByteArray data = readAll(volume);
    const QByteArray tail = readAll(payload).right(4096);
    const qsizetype at = data.indexOf(tail);
    QVERIFY2(at >= 0, qPrintable(payload + " is not stored whole in " + volume));
    Truncate(volume, at + tail.size());
}

// A stored set of the given files (name, size) in folder; the sources stay in folder/src.
QStringList MakeSet(const QString &folder, const QString &name,
                    const QList<QPair<QString, int>> &files, int volumeKiB)
{
    QStringList relative;
    for (const auto &[file, size] : files) {
        writeFile(folder + "/src/" + file, size, quint32(size + file.size()));
        relative << "src/" + file;
    }
    if (volumeKiB == 0) {
        // One archive, not a volume of a set.
        run("rar", QStringList{"a", "-idq", "-ep1", "-m0", name} + relative, folder);
        return {folder + "/" + name};
    }
    return makeRarSet(folder, name, relative, volumeKiB);
}

QStringList Names(const QStringList &paths)
{
    QStringList names;
    for (const QString &path : paths)
        names << QFileInfo(path).fileName();
    names.sort();
    return names;
}

} // namespace

class TestSetPlan : public QObject
{
    Q_OBJECT

private slots:
    // What a set is comes from the archive flags, not from the file names.
    void setsAreWhatTheHeadersSay_data()
    {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<QStringList>("firstVolumes");
        QTest::newRow("two one-volume archives named like parts")
            << "twins" << QStringList{"Movie.part1.rar", "Movie.part2.rar"};
        QTest::newRow("two part sets of one stem")
            << "mixed digits" << QStringList{"x.part01.rar", "x.part1.rar"};
        QTest::newRow("numbered from 000") << "numbered" << QStringList{"x.000"};
    }
    void setsAreWhatTheHeadersSay()
    {
        QFETCH(QString, layout);
        QFETCH(QStringList, firstVolumes);
        QTemporaryDir dir;
        const QString rel = dir.path();
        if (layout == "twins") {
            MakeSet(rel, "Movie.part1.rar", {{"one.iso", 3000}}, 0);
            MakeSet(rel, "Movie.part2.rar", {{"two.iso", 4000}}, 0);
        } else if (layout == "mixed digits") {
            QCOMPARE(MakeSet(rel, "x.rar", {{"big.iso", 400 * 1024}}, 100).size(), 5);
            // A second set whose parts are written with two digits.
            const QStringList second =
                MakeSet(rel + "/b", "y.rar", {{"small.iso", 250 * 1024}}, 100);
            for (int i = 0; i < second.size(); ++i)
                QVERIFY(QFile::rename(
                    second.at(i),
                    rel + QStringLiteral("/x.part%1.rar").arg(i + 1, 2, 10, QLatin1Char('0'))));
            QDir(rel + "/b").removeRecursively();
        } else {
            const QStringList parts = MakeSet(rel, "x.rar", {{"n.iso", 300 * 1024}}, 64);
            for (int i = 0; i < parts.size(); ++i)
                QVERIFY(QFile::rename(
                    parts.at(i), rel + QStringLiteral("/x.%1").arg(i, 3, 10, QLatin1Char('0'))));
        }
        QDir(rel + "/src").removeRecursively();
        TestContext t;
        t.settings.setScanSubdirs(false);
        QCOMPARE(Names(BuildCandidateList(t.context, rel)), firstVolumes);

        // And each of them is extracted, with nothing left of any set once it is done.
        t.settings.setDeleteSources(true);
        UnPack(t.context, rel);
        QVERIFY2(t.dialogs.shownMessages.isEmpty(), qPrintable(t.log.messages().join('\n')));
        QVERIFY(t.log.contains(QStringLiteral("%1 archive(s) unpacked").arg(firstVolumes.size())));
        for (const QString &file : listTree(rel))
            QVERIFY2(!file.contains(".rar") && !file.startsWith("x.0"), qPrintable(file));
    }

    // A set that does not reach its proper end is never extracted, and none of its volumes go.
    void incompleteSetsKeepEverything_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("problem"); // the reason the log gives
        QTest::newRow("later volume cut at an entry boundary") << "cut volume"
                                                               << "cut short";
        QTest::newRow("single archive cut after its first entry") << "cut single"
                                                                  << "cut short";
        QTest::newRow("first volume cut to 20 bytes") << "tiny first"
                                                      << "cut short";
        QTest::newRow("later volume missing") << "missing"
                                              << "is missing";
        QTest::newRow("later volume cannot be read") << "unreadable"
                                                     << "cannot be read";
        // Complete when the release was scanned: the set is read again before it is extracted.
        QTest::newRow("later volume cut after the scan") << "cut after scan"
                                                         << "cut short";
        // libunrar crashes on this RAR 5 main header; it must never be handed the file.
        QTest::newRow("first volume with a hostile main header") << "hostile 0"
                                                                 << "data is damaged";
        QTest::newRow("later volume with a hostile main header") << "hostile 2"
                                                                 << "data is damaged";
    }
    void incompleteSetsKeepEverything()
    {
        QFETCH(QString, damage);
        QFETCH(QString, problem);
        QTemporaryDir dir;
        const QString rel = dir.path();
        QStringList volumes;
        if (damage == "cut single") {
            volumes = MakeSet(rel, "x.rar", {{"a.bin", 30000}, {"b.bin", 30000}}, 0);
            CutAfter(volumes.first(), rel + "/src/a.bin");
        } else {
            volumes =
                MakeSet(rel, "x.rar",
                        {{"a.bin", 150 * 1024}, {"b.bin", 20 * 1024}, {"c.bin", 150 * 1024}}, 100);
            QCOMPARE(volumes.size(), 4);
            if (damage == "cut volume")
                CutAfter(volumes.at(1), rel + "/src/b.bin");
            else if (damage == "tiny first")
                Truncate(volumes.first(), 20);
            else if (damage.startsWith("hostile"))
                writeText(volumes.at(damage.back().digitValue()),
                          QByteArray::fromHex("526172211a0701003292b5e50a010506000502018080007"
                                              "28a8affffffffffffffffff8a"));
            else if (damage == "missing")
                QVERIFY(QFile::remove(volumes.at(2)));
            else if (damage == "unreadable") {
                // A folder where the volume should be: it is there, but cannot be opened.
                QVERIFY(QFile::remove(volumes.at(2)));
                QVERIFY(QDir().mkdir(volumes.at(2)));
            }
        }
        QDir(rel + "/src").removeRecursively();
        const QStringList before = listTree(rel);

        // Cuts the volume when the set is taken, after the release was scanned.
        struct Cutter : JobEvents
        {
            QString volume;
            void setFound(const QString &) override
            {
                if (!volume.isEmpty())
                    Truncate(volume, QFileInfo(volume).size() / 2);
            }
        } cutter;
        if (damage == "cut after scan")
            cutter.volume = volumes.at(1);
        TestContext t;
        t.context.events = &cutter;
        t.settings.setDeleteSources(true);
        t.settings.setAfterAction(AfterActionChoice::RunApplication);
        const QStringList extracted = UnPack(t.context, rel);
        QVERIFY(extracted.isEmpty());
        QCOMPARE(listTree(rel), before);
        QVERIFY2(t.log.contains(problem), qPrintable(t.log.messages().join('\n')));
        QVERIFY(t.log.contains(QStringLiteral("0 archive(s) unpacked")));
        QVERIFY(t.log.contains(QStringLiteral("[NOTE   ]")));

        // In watch mode the same release is left for a later round, which is no error.
        if (damage != "tiny first" && damage != "cut single" && damage != "hostile 0") {
            TestContext w;
            w.settings.setDeleteSources(true);
            w.job.WatchTimerEnabled = true;
            UnPack(w.context, rel);
            QVERIFY(w.log.contains(QStringLiteral("is not complete yet")));
            QVERIFY(!w.log.contains(QStringLiteral("[NOTE   ]")));
            QCOMPARE(listTree(rel), before);
        }
    }

    // RAR 3 sets in the old naming whose stored entries carry no version of RAR 3 or later: when
    // the earlier volumes end with records saying more follow, a last volume without one was cut
    // (here exactly where an entry ends), and the set is left as it is.
    void endRecordsOfEarlierVolumes_data()
    {
        QTest::addColumn<bool>("complete"); // the last volume has its end record
        QTest::newRow("every volume with its end record") << true;
        QTest::newRow("last volume cut at an entry end") << false;
    }
    void endRecordsOfEarlierVolumes()
    {
        QFETCH(bool, complete);
        QTemporaryDir dir;
        const QString rel = dir.path();
        const QStringList volumes{rel + "/x.rar", rel + "/x.r00", rel + "/x.r01"};
        for (int i = 0; i < 3; ++i) {
            const Rar4Writer::Entry entry{QByteArray(1, char('a' + i)) + ".bin",
                                          QByteArray(3000 + i, char('a' + i))};
            writeText(volumes.at(i),
                      Rar4Writer::Volume({entry}, true, i == 0, i < 2 || complete, i < 2));
        }
        TestContext t;
        const SetPlan plan = ReadSetPlan(t.context, volumes.first());
        QCOMPARE(Names(plan.volumes), Names(volumes));
        QCOMPARE(plan.entries.size(), 3);
        QCOMPARE(plan.complete, complete);

        t.settings.setDeleteSources(true);
        UnPack(t.context, rel);
        QVERIFY2(complete || t.log.contains("cut short"), qPrintable(t.log.messages().join('\n')));
        QCOMPARE(listTree(rel), complete ? QStringList({"a.bin", "b.bin", "c.bin"})
                                         : QStringList({"x.r00", "x.r01", "x.rar"}));
    }

    void endRecordOfVolumes()
    {
        QTemporaryDir dir;
        const QStringList volumes = MakeSet(dir.path(), "x.rar", {{"a.bin", 250 * 1024}}, 100);
        QCOMPARE(volumes.size(), 3);
        QCOMPARE(ArchiveEndOf(volumes.at(0)), ArchiveEnd::NotLast);
        QCOMPARE(ArchiveEndOf(volumes.at(2)), ArchiveEnd::Last);
        QCOMPARE(ArchiveEndOf(dir.path() + "/src/a.bin"), ArchiveEnd::Unknown);
        Truncate(volumes.at(2), QFileInfo(volumes.at(2)).size() - 3);
        QCOMPARE(ArchiveEndOf(volumes.at(2)), ArchiveEnd::Absent);

        TestContext t;
        const SetPlan plan = ReadSetPlan(t.context, volumes.first());
        QVERIFY(!plan.complete);
        QCOMPARE(Names(plan.volumes), Names(volumes));
        QCOMPARE(plan.entries.size(), 1);
        QCOMPARE(plan.entries.first().size, 250 * 1024);
    }

    // Two sets that would write the same file: the second fails before writing, keeps its
    // volumes, and the first one's file is left as it was.
    void noSilentOverwrite_data()
    {
        QTest::addColumn<bool>("earlierInJob");
        QTest::newRow("two CDs into one folder") << true;
        QTest::newRow("an existing file of another size") << false;
    }
    void noSilentOverwrite()
    {
        QFETCH(bool, earlierInJob);
        QTemporaryDir dir;
        const QString rel = dir.path() + "/Movie";
        QStringList cd2;
        if (earlierInJob) {
            MakeSet(rel + "/CD1", "movie.rar", {{"disc.iso", 120 * 1024}}, 100);
            cd2 = MakeSet(rel + "/CD2", "movie.rar", {{"disc.iso", 150 * 1024}}, 100);
            QDir(rel + "/CD1/src").removeRecursively();
            QDir(rel + "/CD2/src").removeRecursively();
        } else {
            cd2 = MakeSet(rel, "movie.rar", {{"disc.iso", 90 * 1024}}, 100);
            QDir(rel + "/src").removeRecursively();
            writeFile(rel + "/disc.iso", 1000, 9);
        }
        const QByteArray existing = readAll(earlierInJob ? QString() : rel + "/disc.iso");

        TestContext t;
        t.settings.setDeleteSources(true);
        t.settings.setOutputMode(earlierInJob ? OutputModeChoice::NewDirInInput
                                              : OutputModeChoice::InputFolder);
        UnPack(t.context, rel);
        QVERIFY2(t.log.contains(earlierInJob ? QStringLiteral("written earlier in this job")
                                             : QStringLiteral("which differs in size")),
                 qPrintable(t.log.messages().mid(12).join('\n')));
        for (const QString &volume : cd2)
            QVERIFY(QFileInfo::exists(volume));
        if (earlierInJob) {
            QCOMPARE(QFileInfo(rel + "/movie.part1/disc.iso").size(), 120 * 1024);
            QVERIFY(t.log.contains(QStringLiteral("1 archive(s) unpacked")));
        } else {
            QCOMPARE(readAll(rel + "/disc.iso"), existing);
        }
        QVERIFY(t.log.contains(QStringLiteral("[NOTE   ]")));
    }

    // A set larger than the free space fails before anything is written.
    void setThatCannotFit()
    {
        QTemporaryDir dir;
        TestContext t;
        SetPlan plan;
        plan.firstVolume = dir.filePath("huge.rar");
        plan.entries << PlannedEntry{QStringLiteral("huge.iso"), qint64(1) << 55, false};
        QVERIFY(!SetCanBeWritten(t.context, plan, dir.filePath("not/yet/there"), false));
        QVERIFY2(t.log.contains(QStringLiteral("but only")),
                 qPrintable(t.log.messages().join('\n')));
        QVERIFY(!QFileInfo::exists(dir.filePath("not")));
        plan.entries.first().size = 1000;
        QVERIFY(SetCanBeWritten(t.context, plan, dir.filePath("not/yet/there"), false));
    }

    // A damaged entry fails the set: nothing of it reaches the follow-up, and nothing half
    // written keeps the entry's name.
    void damagedEntryGivesNoFollowUp()
    {
        QTemporaryDir dir;
        const QString rel = dir.path();
        const QStringList volumes =
            MakeSet(rel, "x.rar", {{"a.cue", 20000}, {"b.bin", 200 * 1024}}, 0);
        QByteArray data = readAll(volumes.first());
        const qsizetype at = data.indexOf(readAll(rel + "/src/b.bin").mid(1000, 64));
        QVERIFY(at > 0);
        data[at + 10] = char(data[at + 10] ^ 0x55);
        writeText(volumes.first(), data);
        QDir(rel + "/src").removeRecursively();

        TestContext t;
        t.settings.setDeleteSources(true);
        t.settings.setAfterAction(AfterActionChoice::RunApplication);
        PipelineJob job(t);
        job.job.start();
        QVERIFY(t.platform.startedPrograms.isEmpty());
        QVERIFY(!QFileInfo::exists(rel + "/b.bin"));
        QVERIFY(QFileInfo::exists(volumes.first()));
        for (const QString &file : listTree(rel))
            QVERIFY2(!file.endsWith(".part"), qPrintable(file));
    }

    // One SFV list for two sets, each set cleaned up after its extraction: both are extracted
    // and the list goes with the last of them.
    void sharedSfvWithPerSetDeletion()
    {
        QTemporaryDir dir;
        const QString rel = dir.path();
        const QStringList a = MakeSet(rel, "a.rar", {{"a.iso", 150 * 1024}}, 100);
        const QStringList b = MakeSet(rel, "b.rar", {{"b.iso", 150 * 1024}}, 100);
        QDir(rel + "/src").removeRecursively();
        QVERIFY(makeSfv(rel, "release.sfv", Names(a + b)));

        for (bool watching : {false, true}) {
            TestContext t;
            t.settings.setDeleteSources(true);
            t.job.WatchTimerEnabled = watching;
            UnPack(t.context, rel);
            QVERIFY2(t.log.contains(QStringLiteral("2 archive(s) unpacked")),
                     qPrintable(t.log.messages().join('\n')));
            QCOMPARE(listTree(rel), (QStringList{"a.iso", "b.iso"}));
            if (!watching) {
                QDir(rel).removeRecursively();
                MakeSet(rel, "a.rar", {{"a.iso", 150 * 1024}}, 100);
                MakeSet(rel, "b.rar", {{"b.iso", 150 * 1024}}, 100);
                QDir(rel + "/src").removeRecursively();
                QVERIFY(makeSfv(rel, "release.sfv", Names(a + b)));
            }
        }
    }

    // SFV lists with blanks in the names and other letter case pass as cksfv passes them.
    void sfvListsOfRealTools_data()
    {
        QTest::addColumn<QString>("setName");
        QTest::addColumn<bool>("upperCaseList");
        QTest::newRow("blanks in names") << "My Movie.rar" << false;
        QTest::newRow("other letter case") << "cd1.rar" << true;
    }
    void sfvListsOfRealTools()
    {
        QFETCH(QString, setName);
        QFETCH(bool, upperCaseList);
        QTemporaryDir dir;
        const QString rel = dir.path();
        const QStringList volumes = MakeSet(rel, setName, {{"x.iso", 150 * 1024}}, 100);
        QDir(rel + "/src").removeRecursively();
        QVERIFY(makeSfv(rel, "x.sfv", Names(volumes)));
        if (upperCaseList) {
            QByteArray list = readAll(rel + "/x.sfv");
            list.replace("cd1.part", "CD1.part");
            writeText(rel + "/x.sfv", list);
        }
        TestContext t;
        t.settings.setDeleteSources(true);
        UnPack(t.context, rel);
        QVERIFY2(t.log.contains(QStringLiteral("1 archive(s) unpacked")),
                 qPrintable(t.log.messages().join('\n')));
        QCOMPARE(listTree(rel), QStringList{"x.iso"});
    }

    // A release thrown into the trash below the input folder is never touched.
    void trashIsLeftAlone()
    {
        QTemporaryDir dir;
        const QString rel = dir.path();
        const QString trashed = rel + "/.Trash-1000/files/Old.Release";
        MakeSet(trashed, "old.rar", {{"old.iso", 150 * 1024}}, 100);
        QDir(trashed + "/src").removeRecursively();
        const QStringList before = listTree(rel);
        TestContext t;
        t.settings.setDeleteSources(true);
        t.settings.setDeleteList({QStringLiteral("*")});
        t.settings.setListsApplyToFiles(true);
        UnPack(t.context, rel);
        QCOMPARE(listTree(rel), before);
        QVERIFY(t.log.contains(QStringLiteral("0 archive(s) found")));
    }

    // The bar runs over the whole set, not over each entry.
    void progressBarCoversTheSet()
    {
        QTemporaryDir dir;
        const QString rel = dir.path();
        MakeSet(rel, "x.rar", {{"a.bin", 400 * 1024}, {"b.bin", 400 * 1024}}, 300);
        QDir(rel + "/src").removeRecursively();
        TestContext t;
        t.settings.setCheckSfv(false);
        int highest = 0;
        t.view.onProgress = [&] { highest = qMax(highest, t.view.progressPosition); };
        UnPack(t.context, rel);
        QCOMPARE(t.view.progressMaximum, 800);
        QVERIFY2(highest > 600 && highest <= 800, qPrintable(QString::number(highest)));
    }

    // Close during the second set's SFV check: no further set, no delete list, no question.
    void closeEndsTheRunAtTheNextCheckPoint()
    {
        QTemporaryDir dir;
        const QString rel = dir.path();
        MakeSet(rel + "/CD1", "a.rar", {{"a.iso", 150 * 1024}}, 100);
        MakeSet(rel + "/CD2", "b.rar", {{"b.iso", 150 * 1024}}, 100);
        for (const QString cd : {"/CD1", "/CD2"}) {
            QDir(rel + cd + "/src").removeRecursively();
            QVERIFY(makeSfv(rel + cd, "x.sfv", listTree(rel + cd)));
        }
        QDir().mkpath(rel + "/Sample");
        TestContext t;
        t.settings.setDeleteSources(true);
        t.settings.setDeleteTiming(DeleteTimingChoice::AfterExtractingAll);
        t.settings.setDeleteList({QStringLiteral("*/Sample")});
        t.dialogs.defaultMessageAnswer = MessageAnswer::Yes;
        // The second "Checking x.sfv" line starts the second set's check.
        t.platform.onProcessEvents = [&] {
            if (t.log.messages().count(QStringLiteral("[SFV    ] Checking x.sfv")) == 2)
                t.job.AbortRequested = true;
        };
        UnPack(t.context, rel);
        QVERIFY(t.job.AbortRequested);
        QVERIFY(t.dialogs.shownMessages.isEmpty());
        QVERIFY(QFileInfo::exists(rel + "/Sample"));
        QVERIFY(!QFileInfo::exists(rel + "/CD2/b.iso"));
        QVERIFY(!t.log.contains(QStringLiteral("archive(s) unpacked")));
    }
};

QTEST_GUILESS_MAIN(TestSetPlan)
#include "tst_setplan.moc"
