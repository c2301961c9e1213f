// Source clean-up on real folders: ZIP files only when fully unpacked, the volumes of one set by
// stem and volume extension, and after-all deletion limited to the sets extracted in the run.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "engine/ArchiveSets.h"
#include "engine/FileScan.h"
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
        QVERIFY(makeZip(rel + "/src", "../good.zip", {"a.txt"}));
        QVERIFY(makeZip(rel + "/src", "../kept.zip", {"b.txt"}));
        writeFile(rel + "/bad.zip", 3000, 3);
        writeText(rel + "/b.txt", "already here"); // kept, and that counts as unpacked

        TestContext t;
        TZipMaster zipMaster(t.context);
        const QStringList zips{rel + "/good.zip", rel + "/kept.zip", rel + "/bad.zip"};
        for (const QString &zip : zips)
            zipMaster.ExtractZip(zip, rel);
        t.log.lines.clear();
        DeleteZipFiles(t.context, zips, zipMaster.CompleteZips());
        QVERIFY(!QFileInfo::exists(rel + "/good.zip"));
        QVERIFY(!QFileInfo::exists(rel + "/kept.zip"));
        QVERIFY(QFileInfo::exists(rel + "/bad.zip"));
        QCOMPARE(t.log.messages(),
                 (QStringList{"Deleting File \"" + rel + "/good.zip\" in procedure Unpack",
                              "Deleting File \"" + rel + "/kept.zip\" in procedure Unpack",
                              LogTag::Delete + t.language.LangText(180, {rel + "/bad.zip"})}));

        // A ZIP that is gone by now gets its failure line.
        t.log.lines.clear();
        DeleteZipFiles(t.context, {rel + "/good.zip"}, {rel + "/good.zip"});
        QCOMPARE(t.log.messages().last(),
                 LogTag::Delete + t.language.LangText(113, {rel + "/good.zip"}));
    }

    void perSetDeletionTakesTheSetOnly()
    {
        QTemporaryDir dir;
        const QString rel = dir.path();
        touch(rel, {"cd1.rar", "cd1.r00", "cd1.r01", "cd1.sfv", "cd2.rar", "cd2.r00", "cd2.sfv",
                    "notes.rtf", "cd1.rtf", "cd1.nfo"});
        TestContext t;
        QStringList work{"left over"};
        DeleteSetSources(t.context, rel + "/cd1.rar", work);

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
        // Same stem, but not a volume: skipped too.
        QVERIFY(messages.contains(skip(rel + "/cd1.rtf", "cd1", "cd1")));
        QCOMPARE(messages.size(), 4 + 5 + 1);
    }

    void perSetDeletionNamingSchemes()
    {
        QTemporaryDir dir;
        TestContext t;
        QStringList work;

        const QString parts = dir.filePath("parts");
        touch(parts, {"x.part01.rar", "x.part02.rar", "x.part03.rar", "x.part04.rar",
                      "x.part05.rar", "x.sfv"});
        DeleteSetSources(t.context, parts + "/x.part01.rar", work);
        QCOMPARE(listTree(parts), QStringList());
        QCOMPARE(t.log.messages().last(), LogTag::Delete + t.language.LangText(125, {"6"}));

        const QString upper = dir.filePath("upper");
        touch(upper, {"X.Part01.rar", "X.Part02.rar"});
        DeleteSetSources(t.context, upper + "/X.Part01.rar", work);
        QCOMPARE(listTree(upper), QStringList{"X.Part02.rar"});

        const QString numbered = dir.filePath("numbered");
        QStringList names;
        for (int i = 1; i <= 120; ++i)
            names << QStringLiteral("x.%1").arg(i, 3, 10, QLatin1Char('0'));
        touch(numbered, names);
        DeleteSetSources(t.context, numbered + "/x.001", work);
        QCOMPARE(listTree(numbered), names.mid(99)); // ".0" finds x.001 ... x.099 only
    }

    void perSetDeletionRemovesTheEmptiedFolder()
    {
        QTemporaryDir dir;
        const QString set = dir.filePath("rel/cd1");
        touch(set, {"x.rar", "x.r00", "x.sfv"});
        TestContext t;
        t.settings.deleteEmptySourceFolder = true;
        QStringList work;
        DeleteSetSources(t.context, set + "/x.rar", work);
        QVERIFY(!QFileInfo::exists(set));
        QVERIFY(QFileInfo::exists(dir.filePath("rel")));

        // A folder that still holds something stays.
        touch(set, {"y.rar", "y.nfo"});
        DeleteSetSources(t.context, set + "/y.rar", work);
        QCOMPARE(listTree(set), QStringList{"y.nfo"});
    }

    void afterAllDeletionCoversExtractedSetsOnly()
    {
        QTemporaryDir dir;
        const QString rel = dir.path();
        touch(rel, {"done/x.rar", "done/x.r00", "done/x.sfv", "done/x.rtf", "failed/x.rar",
                    "failed/x.r00", "failed/x.sfv", "done/y.rar", "done/y.r00"});
        TestContext t;
        t.dialogs.defaultMessageAnswer.reset();
        QStringList all;
        FindFiles(t.context, rel, all, true, ExtensionList::setVolumes());
        QCOMPARE(all.size(), 9);

        // No: nothing is deleted and nothing is logged.
        t.dialogs.setNextAnswer(MessageAnswer::No);
        DeleteAllSources(t.context, all, {rel + "/done/x.rar"});
        QCOMPARE(listTree(rel).size(), 9);
        QVERIFY(t.log.lines.isEmpty());
        QCOMPARE(t.dialogs.shownMessages.size(), 1);
        QCOMPARE(t.dialogs.shownMessages.first().text, t.language.LangText(127, {"3"}));
        QCOMPARE(t.dialogs.shownMessages.first().caption, QStringLiteral("Confirmation"));
        QCOMPARE(t.dialogs.shownMessages.first().icon, MessageIcon::Question);
        QCOMPARE(t.dialogs.shownMessages.first().buttons, MessageButtons::YesNo);

        // Yes: the three files of the extracted set go, the failed set and x.rtf stay.
        t.dialogs.setNextAnswer(MessageAnswer::Yes);
        DeleteAllSources(t.context, all, {rel + "/done/x.rar"});
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
