// The release scan on real folder trees: tokens, order, recycler folders, skip list and links.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

#include "engine/FileScan.h"
#include "support/Fakes.h"
#include "support/ReleaseMaker.h"

using ReleaseMaker::writeFile;

namespace {

QString Tokens(std::initializer_list<const char *> tokens)
{
    QStringList list;
    for (const char *token : tokens)
        list << QString::fromLatin1(token);
    return ExtensionList::make(list);
}

QStringList Sorted(QStringList list)
{
    list.sort();
    return list;
}

} // namespace

class TestFileScan : public QObject
{
    Q_OBJECT

private slots:
    // Extensions are matched whatever their letter case: X.RAR is found like x.rar.
    void tokensArePrefixesInAnyLetterCase()
    {
        QTemporaryDir dir;
        const QString root = dir.path();
        for (const char *name : {"a.rar", "a.r00", "a.r99", "a.rtf", "cd1.RAR", "b.000", "b.001",
                                 "rar", "noext", "x.ra", ".rarlike", "b.R00", "c.Sfv"})
            writeFile(root + QLatin1Char('/') + QLatin1String(name), 3);

        TestContext t;
        QStringList found;
        FindFiles(t.context, root, found, true, Tokens({".rar"}));
        QCOMPARE(Sorted(found), Sorted({root + "/a.rar", root + "/.rarlike", root + "/cd1.RAR"}));

        found.clear();
        FindFiles(t.context, root, found, true, Tokens({".r"}));
        QCOMPARE(Sorted(found),
                 Sorted({root + "/a.rar", root + "/a.r00", root + "/a.r99", root + "/a.rtf",
                         root + "/x.ra", root + "/.rarlike", root + "/cd1.RAR", root + "/b.R00"}));

        found.clear();
        FindFiles(t.context, root, found, true, Tokens({".r", ".0", ".sfv"}));
        QCOMPARE(found.size(), 11); // the eight above, b.000, b.001 and c.Sfv

        found.clear();
        FindFiles(t.context, root, found, true, Tokens({".rar", ".001", ".000"}));
        QCOMPARE(Sorted(found), Sorted({root + "/a.rar", root + "/.rarlike", root + "/cd1.RAR",
                                        root + "/b.000", root + "/b.001"}));
        QVERIFY(t.log.lines.isEmpty());
    }

    void entryPathsKeepTheFolderAsGiven()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath("Rel/x.rar"), 1);
        TestContext t;
        QStringList found;
        FindFiles(t.context, dir.filePath("Rel/"), found, false, Tokens({".rar"}));
        QCOMPARE(found, QStringList{dir.path() + QStringLiteral("/Rel//x.rar")});
    }

    void resultIsAppendedNeverCleared()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath("x.rar"), 1);
        TestContext t;
        QStringList found{QStringLiteral("kept")};
        FindFiles(t.context, dir.path(), found, true, Tokens({".rar"}));
        FindFiles(t.context, dir.path(), found, true, Tokens({".rar"}));
        QCOMPARE(found, (QStringList{"kept", dir.filePath("x.rar"), dir.filePath("x.rar")}));
    }

    // The files of a subfolder stand together, at the place where the subfolder was met.
    void depthFirstWalk()
    {
        QTemporaryDir dir;
        const QString root = dir.path();
        for (int i = 0; i < 6; ++i) {
            writeFile(root + QStringLiteral("/top%1.rar").arg(i), 1);
            writeFile(root + QStringLiteral("/Sub%1/in%1a.rar").arg(i), 1);
            writeFile(root + QStringLiteral("/Sub%1/in%1b.rar").arg(i), 1);
            writeFile(root + QStringLiteral("/Sub%1/Deeper/deep%1.rar").arg(i), 1);
        }
        TestContext t;
        QStringList found;
        FindFiles(t.context, root, found, true, Tokens({".rar"}));
        QCOMPARE(found.size(), 24);
        for (int i = 0; i < 6; ++i) {
            const QString sub = root + QStringLiteral("/Sub%1/").arg(i);
            int first = -1;
            int last = -1;
            for (int k = 0; k < found.size(); ++k) {
                if (found.at(k).startsWith(sub)) {
                    if (first < 0)
                        first = k;
                    last = k;
                }
            }
            QCOMPARE(last - first, 2);
        }
    }

    void recyclerFoldersAreNeverEntered()
    {
        QTemporaryDir dir;
        const QString root = dir.path();
        writeFile(root + "/RECYCLER/a.rar", 1);
        writeFile(root + "/Recycler/b.rar", 1);
        writeFile(root + "/Sub/recycler/c.rar", 1);
        writeFile(root + "/Sub/d.rar", 1);
        writeFile(root + "/recycler.rar", 1);

        TestContext t;
        t.settings.setSkipList({QStringLiteral("*")}); // a recycler folder is never a skip-list hit
        QStringList found;
        FindFiles(t.context, root, found, false, Tokens({".rar"}));
        QCOMPARE(found, QStringList{root + "/recycler.rar"});
        // Without recursion the recycler folders still announce themselves, nothing else does.
        QCOMPARE(Sorted(t.log.messages()),
                 Sorted({"[UNPACK ] Leaving the recycler folder " + root + "/RECYCLER alone",
                         "[UNPACK ] Leaving the recycler folder " + root + "/Recycler alone"}));

        TestContext t2;
        found.clear();
        FindFiles(t2.context, root, found, true, Tokens({".rar"}));
        QCOMPARE(Sorted(found), Sorted({root + "/recycler.rar", root + "/Sub/d.rar"}));
        QCOMPARE(t2.log.lines.size(), 3);
        QVERIFY(t2.log.contains(root + "/Sub/recycler alone"));
    }

    void skipListLeavesOutFolders()
    {
        QTemporaryDir dir;
        const QString root = dir.filePath("Subs"); // the root itself is never tested
        writeFile(root + "/x.rar", 1);
        writeFile(root + "/Subs/s.rar", 1);
        writeFile(root + "/CD1/Subs/t.rar", 1);
        writeFile(root + "/Subtitles/u.rar", 1);

        TestContext t;
        t.settings.setSkipList({QStringLiteral("*/Subs")});
        QStringList found;
        FindFiles(t.context, root, found, true, Tokens({".rar"}));
        QCOMPARE(Sorted(found), Sorted({root + "/x.rar", root + "/Subtitles/u.rar"}));
        QCOMPARE(Sorted(t.log.messages()),
                 Sorted({"[UNPACK ] Skipping " + root + "/Subs (skip list entry */Subs)",
                         "[UNPACK ] Skipping " + root + "/CD1/Subs (skip list entry */Subs)"}));

        // A bare word never matches a full path.
        TestContext t2;
        t2.settings.setSkipList({QStringLiteral("Subs")});
        found.clear();
        FindFiles(t2.context, root, found, true, Tokens({".rar"}));
        QCOMPARE(found.size(), 4);
        QVERIFY(t2.log.lines.isEmpty());

        // Without recursion no skip-list test takes place.
        TestContext t3;
        t3.settings.setSkipList({QStringLiteral("*")});
        found.clear();
        FindFiles(t3.context, root, found, false, Tokens({".rar"}));
        QCOMPARE(found, QStringList{root + "/x.rar"});
        QVERIFY(t3.log.lines.isEmpty());
    }

    void skipListAppliesToFilesOnlyWhenAsked()
    {
        QTemporaryDir dir;
        const QString root = dir.path();
        writeFile(root + "/x.rar", 1);
        writeFile(root + "/x-sample.rar", 1);
        writeFile(root + "/CD1/y-sample.rar", 1);

        TestContext t;
        t.settings.setSkipList({QStringLiteral("*-sample.rar")});
        QStringList found;
        FindFiles(t.context, root, found, true, Tokens({".rar"}));
        QCOMPARE(found.size(), 3);

        t.settings.setListsApplyToFiles(true);
        found.clear();
        FindFiles(t.context, root, found, true, Tokens({".rar"}));
        QCOMPARE(found, QStringList{root + "/x.rar"});
        QVERIFY(t.log.lines.isEmpty()); // skipped files are not logged
    }

    void hiddenFilesAreSeen()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath(".hidden/.x.rar"), 1);
        TestContext t;
        QStringList found;
        FindFiles(t.context, dir.path(), found, true, Tokens({".rar"}));
        QCOMPARE(found, QStringList{dir.path() + "/.hidden/.x.rar"});
    }

    // Links to folders are never followed: no loop, no files from outside the release.
    void linksToFoldersAreNotFollowed()
    {
        QTemporaryDir dir;
        const QString root = dir.filePath("Rel");
        const QString outside = dir.filePath("Outside");
        writeFile(root + "/x.rar", 1);
        writeFile(root + "/CD1/y.rar", 1);
        writeFile(outside + "/z.rar", 1);
        QVERIFY(QFile::link(outside, root + "/LinkOut"));
        QVERIFY(QFile::link(root, root + "/CD1/Loop"));
        QVERIFY(QFile::link("..", root + "/CD1/Up"));
        QVERIFY(QFile::link(outside + "/z.rar", root + "/linked.rar"));
        QVERIFY(QFile::link(root + "/missing.rar", root + "/dangling.rar"));
        QVERIFY(QFile::link(outside, root + "/folderlink.rar"));

        TestContext t;
        QStringList found;
        FindFiles(t.context, root, found, true, Tokens({".rar"}));
        // A link to a file is a file like any other.
        QCOMPARE(Sorted(found),
                 Sorted({root + "/x.rar", root + "/CD1/y.rar", root + "/linked.rar"}));
    }

    void foldersThatCannotBeListedGiveNothing()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath("file.rar"), 1);
        TestContext t;
        QStringList found;
        FindFiles(t.context, dir.filePath("missing"), found, true, Tokens({".rar"}));
        FindFiles(t.context, dir.filePath("file.rar"), found, true, Tokens({".rar"}));
        FindFiles(t.context, QString(), found, true, Tokens({".rar"}));
        QVERIFY(found.isEmpty());
        QVERIFY(t.log.lines.isEmpty());

        if (::geteuid() == 0)
            QSKIP("the superuser reads every folder");
        writeFile(dir.filePath("Locked/a.rar"), 1);
        writeFile(dir.filePath("b.rar"), 1);
        QFile::setPermissions(dir.filePath("Locked"), QFileDevice::Permissions());
        FindFiles(t.context, dir.path(), found, true, Tokens({".rar"}));
        QFile::setPermissions(dir.filePath("Locked"), QFileDevice::ReadOwner |
                                                          QFileDevice::WriteOwner |
                                                          QFileDevice::ExeOwner);
        QCOMPARE(Sorted(found), Sorted({dir.filePath("b.rar"), dir.filePath("file.rar")}));
    }
};

QTEST_GUILESS_MAIN(TestFileScan)
#include "tst_filescan.moc"
