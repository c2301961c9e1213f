// Source clean-up on real folders: ZIP files only when fully unpacked, exactly the volumes of a
// set's plan, SFV lists only when they name nothing else, and after-all deletion limited to the
// sets extracted in the run.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "engine/ArchiveSets.h"
#include "engine/FileScan.h"
#include "engine/SetPlan.h"
#include "engine/SourceCleanup.h"
#include "engine/ZipMaster.h"
#include "support/Fakes.h"
#include "support/ReleaseMaker.h"

using namespace ReleaseMaker;

namespace {

void touch(const QString &folder, const QStringList &names)
{
    for (const QString &name : names)
        writeText(folder + QLatin1Char('/') + name, "x");
}

QString trace(const QString &path, const QString &firstVolume)
{
    return QStringLiteral("Deleting File \"%1\"/\"%2\" in procedure Unpack after Extractfilename")
        .arg(path, firstVolume);
}

QString skip(const QString &path, const QString &stem, const QString &firstStem)
{
    return QStringLiteral(
               "[DELETE] Debug: Skipping %1, it doesnt match the unpacked file (%2 vs %3")
        .arg(path, stem, firstStem);
}

// A plan naming the given files of folder as the set's volumes, the first one first.
SetPlan planOf(const QString &folder, const QStringList &volumes)
{
    SetPlan plan;
    plan.opened = plan.complete = true;
    for (const QString &volume : volumes)
        plan.volumes << folder + QLatin1Char('/') + volume;
    plan.firstVolume = plan.volumes.first();
    return plan;
}

void writeSfv(const QString &path, const QStringList &names)
{
    QByteArray text = "; made by hand\r\n";
    for (const QString &name : names)
        text += name.toUtf8() + " 00000000\r\n";
    writeText(path, text);
}

} // namespace

class TestSourceCleanup : public QObject
{
    Q_OBJECT

private slots:
    void zipsAreDeletedOnlyWhenFullyUnpacked()
    {
        QTemporaryDir dir;
        const QString rel = dir.path();
        writeFile(rel + "/src/a.txt", 5000, 1);
        writeFile(rel + "/src/b.txt", 5000, 2);
        writeFile(rel + "/src/c.txt", 5000, 3);
        QVERIFY(makeZip(rel + "/src", "../good.zip", {"a.txt"}));
        QVERIFY(makeZip(rel + "/src", "../kept.zip", {"b.txt"}));
        QVERIFY(makeZip(rel + "/src", "../other.zip", {"c.txt"}));
        writeFile(rel + "/bad.zip", 3000, 3);
        QFile::copy(rel + "/src/b.txt", rel + "/b.txt"); // the entry's own bytes: counts
        writeText(rel + "/c.txt", "another file");       // a different file: the ZIP stays

        TestContext t;
        TZipMaster zipMaster(t.context);
        const QStringList zips{rel + "/good.zip", rel + "/kept.zip", rel + "/other.zip",
                               rel + "/bad.zip"};
        for (const QString &zip : zips)
            zipMaster.ExtractZip(zip, rel);
        QVERIFY(t.log.messages().contains(LogTag::Unpack +
                                          t.language.LangText(212, {"c.txt", "other.zip"})));
        t.log.lines.clear();
        DeleteZipFiles(t.context, zips, zipMaster.CompleteZips());
        QVERIFY(!QFileInfo::exists(rel + "/good.zip"));
        QVERIFY(!QFileInfo::exists(rel + "/kept.zip"));
        QVERIFY(QFileInfo::exists(rel + "/other.zip"));
        QVERIFY(QFileInfo::exists(rel + "/bad.zip"));
        QCOMPARE(readAll(rel + "/c.txt"), QByteArray("another file"));
        QCOMPARE(t.log.messages(),
                 (QStringList{"Deleting File \"" + rel + "/good.zip\" in procedure Unpack",
                              "Deleting File \"" + rel + "/kept.zip\" in procedure Unpack",
                              LogTag::Delete + t.language.LangText(180, {rel + "/other.zip"}),
                              LogTag::Delete + t.language.LangText(180, {rel + "/bad.zip"})}));

        // A ZIP that is gone by now gets its failure line.
        t.log.lines.clear();
        DeleteZipFiles(t.context, {rel + "/good.zip"}, {rel + "/good.zip"});
        QCOMPARE(t.log.messages().last(),
                 LogTag::Delete + t.language.LangText(113, {rel + "/good.zip"}));
    }

    void perSetDeletionTakesThePlanOnly()
    {
        QTemporaryDir dir;
        const QString rel = dir.path();
        touch(rel, {"cd1.rar", "cd1.r00", "cd1.r01", "cd2.rar", "cd2.r00", "notes.rtf", "cd1.rtf",
                    "cd1.nfo"});
        writeSfv(rel + "/cd1.sfv", {"cd1.rar", "cd1.r00", "cd1.r01"});
        writeSfv(rel + "/cd2.sfv", {"cd2.rar", "cd2.r00"});
        TestContext t;
        const SetPlan plan = planOf(rel, {"cd1.rar", "cd1.r00", "cd1.r01"});
        QStringList work{"left over"};
        DeleteSetSources(t.context, plan, PlanVolumes(plan), work);

        QCOMPARE(listTree(rel),
                 (QStringList{"cd1.nfo", "cd1.rtf", "cd2.r00", "cd2.rar", "cd2.sfv", "notes.rtf"}));
        QCOMPARE(work.size(), 4);
        const QStringList messages = t.log.messages();
        QCOMPARE(messages.last(), LogTag::Delete + t.language.LangText(125, {"4"}));
        for (const char *name : {"cd1.rar", "cd1.r00", "cd1.r01", "cd1.sfv"})
            QVERIFY(messages.contains(trace(rel + "/" + QLatin1String(name), rel + "/cd1.rar")));
        for (const char *name : {"cd2.rar", "cd2.r00", "cd2.sfv"})
            QVERIFY(messages.contains(skip(rel + "/" + QLatin1String(name), "cd2", "cd1")));
        QVERIFY(messages.contains(skip(rel + "/notes.rtf", "notes", "cd1")));
        QVERIFY(messages.contains(skip(rel + "/cd1.rtf", "cd1", "cd1")));
        QCOMPARE(messages.size(), 4 + 5 + 1);
    }

    // What goes is what the plan names, whatever the names have in common.
    void perSetDeletionFollowsThePlanNotTheNames_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("planned");
        QTest::addColumn<QStringList>("left");
        QTest::newRow("two one-volume archives of one stem")
            << QStringList{"Movie.part1.rar", "Movie.part2.rar"} << QStringList{"Movie.part1.rar"}
            << QStringList{"Movie.part2.rar"};
        QTest::newRow("two part sets of one stem")
            << QStringList{"x.part1.rar", "x.part2.rar", "x.part01.rar", "x.part02.rar"}
            << QStringList{"x.part1.rar", "x.part2.rar"}
            << QStringList{"x.part01.rar", "x.part02.rar"};
        QTest::newRow("letter case")
            << QStringList{"X.Part01.rar", "X.Part02.rar"}
            << QStringList{"X.Part01.rar", "X.Part02.rar"} << QStringList();
        QTest::newRow("old style past r99")
            << QStringList{"x.rar", "x.r00", "x.r99", "x.s00"}
            << QStringList{"x.rar", "x.r00", "x.r99", "x.s00"} << QStringList();
    }
    void perSetDeletionFollowsThePlanNotTheNames()
    {
        QFETCH(QStringList, files);
        QFETCH(QStringList, planned);
        QFETCH(QStringList, left);
        QTemporaryDir dir;
        touch(dir.path(), files);
        TestContext t;
        QStringList work;
        const SetPlan plan = planOf(dir.path(), planned);
        DeleteSetSources(t.context, plan, PlanVolumes(plan), work);
        QCOMPARE(listTree(dir.path()), left);
    }

    void numberedSetBeyondTheScanTokens()
    {
        QTemporaryDir dir;
        QStringList names;
        for (int i = 1; i <= 120; ++i)
            names << QStringLiteral("x.%1").arg(i, 3, 10, QLatin1Char('0'));
        touch(dir.path(), names);
        TestContext t;
        QStringList work;
        const SetPlan plan = planOf(dir.path(), names);
        DeleteSetSources(t.context, plan, PlanVolumes(plan), work);
        QCOMPARE(listTree(dir.path()), QStringList());
    }

    // One SFV list for two sets goes only once every file it names was used or is gone.
    void sharedSfvGoesWithTheLastSet()
    {
        QTemporaryDir dir;
        const QString rel = dir.path();
        touch(rel, {"a.part1.rar", "a.part2.rar", "b.part1.rar", "b.part2.rar"});
        writeSfv(rel + "/release.sfv",
                 {"a.part1.rar", "a.part2.rar", "b.part1.rar", "b.part2.rar"});
        TestContext t;
        QStringList work;
        const SetPlan a = planOf(rel, {"a.part1.rar", "a.part2.rar"});
        const SetPlan b = planOf(rel, {"b.part1.rar", "b.part2.rar"});
        QSet<QString> used = PlanVolumes(a);
        DeleteSetSources(t.context, a, used, work);
        QCOMPARE(listTree(rel), (QStringList{"b.part1.rar", "b.part2.rar", "release.sfv"}));
        used.unite(PlanVolumes(b));
        DeleteSetSources(t.context, b, used, work);
        QCOMPARE(listTree(rel), QStringList());

        // A list that names a file of no set stays.
        touch(rel, {"c.rar"});
        writeSfv(rel + "/c.sfv", {"c.rar", "c.nfo"});
        touch(rel, {"c.nfo"});
        const SetPlan c = planOf(rel, {"c.rar"});
        DeleteSetSources(t.context, c, PlanVolumes(c), work);
        QCOMPARE(listTree(rel), (QStringList{"c.nfo", "c.sfv"}));
        QVERIFY(
            t.log.messages().contains(LogTag::Delete + t.language.LangText(214, {rel + "/c.sfv"})));
    }

    void perSetDeletionRemovesTheEmptiedFolder()
    {
        QTemporaryDir dir;
        const QString set = dir.filePath("rel/cd1");
        touch(set, {"x.rar", "x.r00"});
        writeSfv(set + "/x.sfv", {"x.rar", "x.r00"});
        TestContext t;
        t.settings.setDeleteEmptySourceFolder(true);
        QStringList work;
        const SetPlan x = planOf(set, {"x.rar", "x.r00"});
        DeleteSetSources(t.context, x, PlanVolumes(x), work);
        QVERIFY(!QFileInfo::exists(set));
        QVERIFY(QFileInfo::exists(dir.filePath("rel")));

        // A folder that still holds something stays.
        touch(set, {"y.rar", "y.nfo"});
        const SetPlan y = planOf(set, {"y.rar"});
        DeleteSetSources(t.context, y, PlanVolumes(y), work);
        QCOMPARE(listTree(set), QStringList{"y.nfo"});
    }

    // Files beside a set that no set of the job made and no list names stay, under both timings:
    // a list of comments only, and a user's own "<volume>.1". Only the copies par2 made in this
    // job's repair go.
    void filesNoSetOwnsStay_data()
    {
        QTest::addColumn<bool>("afterAll");
        QTest::newRow("per set") << false;
        QTest::newRow("after all") << true;
    }
    void filesNoSetOwnsStay()
    {
        QFETCH(bool, afterAll);
        QTemporaryDir dir;
        const QString rel = dir.path();
        touch(rel, {"cd1.rar", "cd1.r00", "cd1.rar.1", "cd1.r00.1", "cd1.nfo"});
        writeText(rel + "/cd1.sfv", "; generated by a checksum tool\r\n; nothing listed\r\n");
        TestContext t;
        t.job.FilesMadeByRepair.insert(rel + "/cd1.r00.1");
        const SetPlan plan = planOf(rel, {"cd1.rar", "cd1.r00"});
        QStringList work;
        if (afterAll) {
            t.dialogs.setNextAnswer(MessageAnswer::Yes);
            FindFiles(t.context, rel, work, false, ExtensionList::setVolumes());
            DeleteAllSources(t.context, work, PlanVolumes(plan));
        } else {
            DeleteSetSources(t.context, plan, PlanVolumes(plan), work);
        }
        QCOMPARE(listTree(rel), QStringList({"cd1.nfo", "cd1.rar.1", "cd1.sfv"}));
    }

    void afterAllDeletionCoversExtractedSetsOnly()
    {
        QTemporaryDir dir;
        const QString rel = dir.path();
        touch(rel, {"done/x.rar", "done/x.r00", "done/x.rtf", "failed/x.rar", "failed/x.r00",
                    "done/y.rar", "done/y.r00"});
        writeSfv(rel + "/done/x.sfv", {"x.rar", "x.r00"});
        writeSfv(rel + "/failed/x.sfv", {"x.rar", "x.r00"});
        TestContext t;
        t.dialogs.defaultMessageAnswer.reset();
        QStringList all;
        FindFiles(t.context, rel, all, true, ExtensionList::setVolumes());
        QCOMPARE(all.size(), 9);
        const QSet<QString> used = PlanVolumes(planOf(rel + "/done", {"x.rar", "x.r00"}));

        // No: nothing is deleted and nothing is logged.
        t.dialogs.setNextAnswer(MessageAnswer::No);
        DeleteAllSources(t.context, all, used);
        QCOMPARE(listTree(rel).size(), 9);
        QVERIFY(t.log.lines.isEmpty());
        QCOMPARE(t.dialogs.shownMessages.size(), 1);
        QCOMPARE(t.dialogs.shownMessages.first().text, t.language.LangText(127, {"3"}));
        QCOMPARE(t.dialogs.shownMessages.first().caption, QStringLiteral("Confirmation"));
        QCOMPARE(t.dialogs.shownMessages.first().icon, MessageIcon::Question);
        QCOMPARE(t.dialogs.shownMessages.first().buttons, MessageButtons::YesNo);

        // Yes: the three files of the extracted set go, the failed set, y and x.rtf stay.
        t.dialogs.setNextAnswer(MessageAnswer::Yes);
        DeleteAllSources(t.context, all, used);
        QCOMPARE(listTree(rel), (QStringList{"done/x.rtf", "done/y.r00", "done/y.rar",
                                             "failed/x.r00", "failed/x.rar", "failed/x.sfv"}));
        const QStringList messages = t.log.messages();
        QCOMPARE(messages.size(), 4);
        QVERIFY(
            messages.contains("Deleting File \"" + rel + "/done/x.r00\" in procedure unpack 3"));
        QCOMPARE(messages.last(), LogTag::Delete + t.language.LangText(129));

        // No set extracted: no question at all.
        DeleteAllSources(t.context, all, {});
        QCOMPARE(t.dialogs.shownMessages.size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestSourceCleanup)
#include "tst_sourcecleanup.moc"
