// Archive-set recognition on real release folders: candidates, stems, patterns, membership.

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "engine/ArchiveSets.h"
#include "engine/FileScan.h"
#include "engine/GeneralFuncs.h"
#include "support/Fakes.h"
#include "support/ReleaseMaker.h"

using ReleaseMaker::writeFile;

namespace {

QStringList Names(const QStringList &paths)
{
    QStringList names;
    for (const QString &path : paths)
        names << QFileInfo(path).fileName();
    return names;
}

QStringList Sorted(QStringList list)
{
    list.sort();
    return list;
}

// Empty files with the given names: the rules look at names only.
void Touch(const QString &folder, const QStringList &names)
{
    for (const QString &name : names)
        writeFile(folder + QLatin1Char('/') + name, 0);
}

} // namespace

class TestArchiveSets : public QObject
{
    Q_OBJECT

private:
    QString m_partStyleText;
    QString countLine(int n) const
    {
        return QStringLiteral("[ARCHiVE] %1 archive(s) found").arg(n);
    }

private slots:
    void initTestCase()
    {
        TestContext t;
        m_partStyleText = QStringLiteral("[ARCHiVE] ") + t.context.LangText(115);
    }

    void partStyleKeepsOnlyTheFirstPart()
    {
        QTemporaryDir dir;
        const QString root = dir.path();
        writeFile(root + "/data.bin", 25 * 1024);
        const QStringList volumes =
            ReleaseMaker::makeRarSet(root, QStringLiteral("a.rar"), {"data.bin"}, 10);
        QCOMPARE(Names(volumes), (QStringList{"a.part1.rar", "a.part2.rar", "a.part3.rar"}));

        TestContext t;
        QCOMPARE(BuildCandidateList(t.context, root + "/"), QStringList{root + "//a.part1.rar"});
        QCOMPARE(t.log.messages(), (QStringList{m_partStyleText, countLine(1)}));
    }

    // a.part10.rar holds ".part1" but is not a first part.
    void tenPartsKeepPart01Only()
    {
        QTemporaryDir dir;
        const QString root = dir.path();
        writeFile(root + "/data.bin", 95 * 1024);
        const QStringList volumes =
            ReleaseMaker::makeRarSet(root, QStringLiteral("a.rar"), {"data.bin"}, 10);
        QCOMPARE(volumes.size(), 10);
        QVERIFY(volumes.last().endsWith("a.part10.rar"));

        TestContext t;
        QCOMPARE(Names(BuildCandidateList(t.context, root)), QStringList{"a.part01.rar"});
    }

    void threeAndFourDigitParts()
    {
        QTemporaryDir dir;
        QStringList names;
        for (int i = 1; i <= 120; ++i)
            names << QStringLiteral("a.part%1.rar").arg(i, 3, 10, QLatin1Char('0'));
        for (int i = 1; i <= 12; ++i)
            names << QStringLiteral("b.part%1.rar").arg(i, 4, 10, QLatin1Char('0'));
        Touch(dir.path(), names);
        TestContext t;
        QCOMPARE(Sorted(Names(BuildCandidateList(t.context, dir.path()))),
                 (QStringList{"a.part001.rar", "b.part0001.rar"}));
    }

    void mixedFolderKeepsOldStyleSetsInWalkOrder()
    {
        QTemporaryDir dir;
        const QString root = dir.path();
        Touch(root, {"a.part01.rar", "a.part02.rar", "b.rar", "b.r00", "b.r01", "c.000", "c.001",
                     "c.002", "d.001", "d.002", "X.RAR", "Y.PART01.RAR", "notes.txt"});
        TestContext t;
        const QStringList candidates = BuildCandidateList(t.context, root);
        // x.000 and x.001 of one numbered set are both candidates; upper-case names are found
        // like lower-case ones.
        QCOMPARE(Sorted(Names(candidates)), (QStringList{"X.RAR", "Y.PART01.RAR", "a.part01.rar",
                                                         "b.rar", "c.000", "c.001", "d.001"}));
        QStringList walk;
        FindFiles(t.context, root, walk, true, ExtensionList::candidates(false));
        for (int i = walk.size() - 1; i >= 0; --i) {
            if (!candidates.contains(walk.at(i)))
                walk.removeAt(i);
        }
        QCOMPARE(candidates, walk);
        QCOMPARE(t.log.messages().last(), countLine(7));
    }

    void upperCasePartMarkerIsStillPartStyle()
    {
        QTemporaryDir dir;
        Touch(dir.path(), {"X.PART01.rar", "X.PART02.rar", "X.Part03.rar"});
        TestContext t;
        QCOMPARE(Names(BuildCandidateList(t.context, dir.path())), QStringList{"X.PART01.rar"});
        QVERIFY(t.log.messages().contains(m_partStyleText));
    }

    // A folder or set whose name merely holds ".part" is not a part-style set: its archives
    // must not disappear from the list.
    void partInFolderAndSetNames()
    {
        QTemporaryDir dir;
        const QString root = dir.filePath("The.Party.2019");
        Touch(root, {"b.rar", "b.r00"});
        Touch(root + "/my.party", {"c.rar", "c.r00"});
        Touch(root, {"birthday.party.rar", "birthday.party.r00"});
        TestContext t;
        QCOMPARE(Sorted(Names(BuildCandidateList(t.context, root))),
                 (QStringList{"b.rar", "birthday.party.rar", "c.rar"}));
        QCOMPARE(t.log.messages(), QStringList{countLine(3)});

        // Real part-style sets in such a folder still lose their later parts.
        writeFile(root + "/data.bin", 15 * 1024);
        ReleaseMaker::makeRarSet(root, QStringLiteral("p.rar"), {"data.bin"}, 10);
        TestContext t2;
        QCOMPARE(Sorted(Names(BuildCandidateList(t2.context, root))),
                 (QStringList{"b.rar", "birthday.party.rar", "c.rar", "p.part1.rar"}));
    }

    void scanSubdirsAndSfvCandidates()
    {
        QTemporaryDir dir;
        const QString root = dir.path();
        writeFile(root + "/CD1/data.bin", 1000);
        QVERIFY(ReleaseMaker::makeSfv(root + "/CD1", "x.sfv", {"data.bin"}));

        TestContext t;
        QVERIFY(BuildCandidateList(t.context, root).isEmpty());
        QCOMPARE(t.log.messages(), QStringList{countLine(0)});

        t.settings.setCheckWithoutArchive(true);
        QCOMPARE(BuildCandidateList(t.context, root), QStringList{root + "/CD1/x.sfv"});
        QCOMPARE(t.log.messages().last(), countLine(1));

        t.settings.setScanSubdirs(false);
        QVERIFY(BuildCandidateList(t.context, root).isEmpty());
    }

    void names_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("baseName");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("stem");
        QTest::newRow("part") << "/r/x.part01.rar"
                              << "x.part01"
                              << "x.part01.r*"
                              << "x";
        QTest::newRow("part two") << "/r/x.part02.rar"
                                  << "x.part02"
                                  << "x.part02.r*"
                                  << "x";
        QTest::newRow("old style") << "/r/x.rar"
                                   << "x"
                                   << "x.r*"
                                   << "x";
        QTest::newRow("old style volume") << "/r/x.r00"
                                          << "x"
                                          << "x.r*"
                                          << "x";
        QTest::newRow("numbered") << "/r/x.001"
                                  << "x"
                                  << "x.0*"
                                  << "x";
        QTest::newRow("sfv") << "/r/x.sfv"
                             << "x"
                             << "x.s*"
                             << "x";
        QTest::newRow("dotted set name") << "/r/x.sample.rar"
                                         << "x.sample"
                                         << "x.sample.r*"
                                         << "x.sample";
        QTest::newRow("upper-case marker") << "/r/X.Part01.rar"
                                           << "X.Part01"
                                           << "X.Part01.r*"
                                           << "X";
        QTest::newRow("upper-case name") << "/r/X.PART01.RAR"
                                         << "X.PART01"
                                         << "X.PART01.R*"
                                         << "X";
        QTest::newRow("party is no marker") << "/r/a.party.2019.rar"
                                            << "a.party.2019"
                                            << "a.party.2019.r*"
                                            << "a.party.2019";
        QTest::newRow("no dot") << "/r.d/readme"
                                << "readme"
                                << "read*"
                                << "readme";
        QTest::newRow("dotted folder") << "/r.part1/x.r01"
                                       << "x"
                                       << "x.r*"
                                       << "x";
    }
    void names()
    {
        QFETCH(QString, file);
        QFETCH(QString, baseName);
        QFETCH(QString, pattern);
        QFETCH(QString, stem);
        QCOMPARE(NameWithoutExtension(file), baseName);
        QCOMPARE(VolumePattern(file), pattern);
        QCOMPARE(VolumeSetStem(QFileInfo(file).fileName()), stem);
    }

    // The volumes deleted with a set are those the scan finds beside its first volume that
    // share its stem and carry a volume or SFV extension.
    void setMembership()
    {
        QTemporaryDir dir;
        const QString root = dir.path();
        writeFile(root + "/data.bin", 25 * 1024);
        ReleaseMaker::makeRarSet(root, QStringLiteral("x.rar"), {"data.bin"}, 10);
        ReleaseMaker::makeRarSet(root, QStringLiteral("x.party.2020.rar"), {"data.bin"}, 10);
        QVERIFY(ReleaseMaker::makeSfv(root, "x.sfv", {"x.part1.rar", "x.part2.rar"}));
        Touch(root, {"x.rtf", "x.r00", "x.001", "x.sample.rar", "y.part1.rar", "X.part2.rar",
                     "x.party.2019.rar", "x.party.2019.r00"});

        TestContext t;
        QStringList found;
        FindFiles(t.context, root + "/", found, false, ExtensionList::setVolumes());
        QStringList members;
        for (const QString &path : std::as_const(found)) {
            if (IsSetMember(root + "//x.part1.rar", path))
                members << QFileInfo(path).fileName();
        }
        // Stems are compared whatever their letter case.
        QCOMPARE(Sorted(members), (QStringList{"X.part2.rar", "x.001", "x.part1.rar", "x.part2.rar",
                                               "x.part3.rar", "x.r00", "x.sfv"}));

        QVERIFY(IsSetMember(root + "/x.party.2019.rar", root + "/x.party.2019.r00"));
        QVERIFY(!IsSetMember(root + "/x.party.2019.rar", root + "/x.party.2020.part1.rar"));
    }
};

QTEST_GUILESS_MAIN(TestArchiveSets)
#include "tst_archivesets.moc"
