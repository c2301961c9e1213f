// Deletion on real folder trees: the delete list, whole folders, empty folders and links.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "engine/DeleteList.h"
#include "engine/Errors.h"
#include "support/Fakes.h"
#include "support/ReleaseMaker.h"

using ReleaseMaker::listTree;
using ReleaseMaker::writeFile;

class TestDeleteList : public QObject
{
    Q_OBJECT

private slots:
    void matchingFoldersGoWithAllTheyHold()
    {
        QTemporaryDir dir;
        const QString root = dir.path();
        writeFile(root + "/x.rar", 10);
        writeFile(root + "/Sample/x-sample.mkv", 10);
        writeFile(root + "/Sample/.hidden", 1);
        writeFile(root + "/Sample/Deeper/recycler/y", 1);
        writeFile(root + "/CD1/Sample/z.avi", 10);
        writeFile(root + "/CD1/sample/kept-case.avi", 10);
        writeFile(root + "/CD2/Sample2/kept-name.avi", 10);
        QDir().mkpath(root + "/CD2/Sample"); // an empty one goes too

        TestContext t;
        t.settings.setDeleteList({QStringLiteral("*/Sample")});
        ProcessDeletelist(t.context, root);

        QCOMPARE(listTree(root),
                 (QStringList{"CD1/sample/kept-case.avi", "CD2/Sample2/kept-name.avi", "x.rar"}));
        QVERIFY(!QFileInfo::exists(root + "/CD2/Sample"));
        QVERIFY(t.log.messages().contains("[DELETE ] Deleting folder " + root + "/Sample"));
        QVERIFY(t.log.messages().contains("Deleting File \"" + root +
                                          "/Sample/x-sample.mkv\" in procedure DeleteWithContent"));
        QVERIFY(t.log.messages().contains(
            "Deleting File \"" + root +
            "/Sample/Deeper/recycler/y\" in procedure DeleteWithContent"));
        QCOMPARE(t.log.messages().count("[DELETE ] Folder deleted"), 5);
        QVERIFY(!t.log.contains("could not"));
    }

    void deleteWithContentLogsInOrder()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath("Sample");
        writeFile(folder + "/a.avi", 1);
        TestContext t;
        DeleteWithContent(t.context, folder);
        QCOMPARE(t.log.messages(), (QStringList{"[DELETE ] Deleting folder " + folder,
                                                "Deleting File \"" + folder +
                                                    "/a.avi\" in procedure DeleteWithContent",
                                                "[DELETE ] Folder deleted"}));
        QVERIFY(!QFileInfo::exists(folder));
    }

    void failedRemovalIsLoggedNotRaised()
    {
        QTemporaryDir dir;
        TestContext t;
        DeleteWithContent(t.context, dir.filePath("missing"));
        QCOMPARE(t.log.messages(),
                 (QStringList{"[DELETE ] Deleting folder " + dir.filePath("missing"),
                              "[DELETE ] Folder could not be deleted: No such file or directory"}));
    }

    // A Sample folder holding links: the links go, what they point to stays.
    void linksAreRemovedNeverFollowed()
    {
        QTemporaryDir dir;
        const QString root = dir.filePath("Rel");
        const QString home = dir.filePath("Home");
        writeFile(home + "/precious.txt", 100);
        writeFile(home + "/Docs/Sample/also-precious.txt", 100);
        writeFile(dir.filePath("precious-file.txt"), 100);
        writeFile(root + "/Sample/s.avi", 10);
        QVERIFY(QFile::link(home, root + "/Sample/home"));
        QVERIFY(QFile::link(dir.filePath("precious-file.txt"), root + "/Sample/file-link"));
        QVERIFY(QFile::link(root, root + "/Sample/loop"));
        // A link that is itself named by the delete list, and one that is not.
        QDir().mkpath(root + "/CD1");
        QVERIFY(QFile::link(home + "/Docs", root + "/CD1/Sample"));
        QVERIFY(QFile::link(home + "/Docs", root + "/CD2"));

        TestContext t;
        t.settings.setDeleteList({QStringLiteral("*/Sample")});
        ProcessDeletelist(t.context, root);

        QVERIFY(!QFileInfo::exists(root + "/Sample"));
        QVERIFY(!QFileInfo(root + "/CD1/Sample").isSymLink());
        QVERIFY(QFileInfo(root + "/CD2").isSymLink());
        QCOMPARE(listTree(home), (QStringList{"Docs/Sample/also-precious.txt", "precious.txt"}));
        QVERIFY(QFileInfo::exists(dir.filePath("precious-file.txt")));
    }

    void aLinkGivenAsTheFolderIsRemovedAlone()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath("Home/precious.txt"), 10);
        QVERIFY(QFile::link(dir.filePath("Home"), dir.filePath("Sample")));
        TestContext t;
        DeleteWithContent(t.context, dir.filePath("Sample/"));
        QVERIFY(!QFileInfo(dir.filePath("Sample")).isSymLink());
        QCOMPARE(listTree(dir.filePath("Home")), QStringList{"precious.txt"});
        QVERIFY(t.log.messages().contains("[DELETE ] Folder deleted"));
    }

    void emptyListStillWalksAndReportsRecyclers()
    {
        QTemporaryDir dir;
        const QString root = dir.path();
        writeFile(root + "/RECYCLER/Sample/a", 1);
        writeFile(root + "/CD1/Recycler/b", 1);
        writeFile(root + "/CD1/c", 1);

        TestContext t;
        ProcessDeletelist(t.context, root);
        QCOMPARE(listTree(root).size(), 3);
        QCOMPARE(t.log.messages().size(), 2);
        QVERIFY(t.log.messages().contains("[DELETE ] Leaving the recycler folder " + root +
                                          "/CD1/Recycler alone"));

        // Recycler folders are left alone even when the list names what is inside them.
        TestContext t2;
        t2.settings.setDeleteList({QStringLiteral("*/Sample"), QStringLiteral("*/RECYCLER")});
        ProcessDeletelist(t2.context, root);
        QCOMPARE(listTree(root).size(), 3);
    }

    void filesOnlyWhenListsApplyToFiles()
    {
        QTemporaryDir dir;
        const QString root = dir.path();
        writeFile(root + "/x.nzb", 1);
        writeFile(root + "/CD1/y.nzb", 1);
        writeFile(root + "/x.rar", 1);

        TestContext t;
        t.settings.setDeleteList({QStringLiteral("*.nzb")});
        ProcessDeletelist(t.context, root);
        QCOMPARE(listTree(root).size(), 3);
        QVERIFY(t.log.lines.isEmpty());

        t.settings.setListsApplyToFiles(true);
        ProcessDeletelist(t.context, root);
        QCOMPARE(listTree(root), QStringList{"x.rar"});
        QVERIFY(t.log.messages().contains("Deleting File \"" + root +
                                          "/CD1/y.nzb\" in procedure ProcessDeletelist"));
    }

    // Entry paths below a folder given with a trailing "/" hold "//": spelled-out full paths
    // no longer match, star patterns still do.
    void doubledSeparatorAfterTrailingSlash()
    {
        QTemporaryDir dir;
        const QString root = dir.path();
        writeFile(root + "/Sample/a", 1);
        writeFile(root + "/Proof/b", 1);

        TestContext t;
        t.settings.setDeleteList({root + "/Sample", QStringLiteral("*/Proof")});
        ProcessDeletelist(t.context, root + "/");
        QCOMPARE(listTree(root), QStringList{"Sample/a"});
        QVERIFY(t.log.messages().contains("[DELETE ] Deleting folder " + root + "//Proof"));

        ProcessDeletelist(t.context, root);
        QVERIFY(listTree(root).isEmpty());
    }

    void removeDirIfEmpty()
    {
        QTemporaryDir dir;
        const QString empty = dir.filePath("Empty");
        const QString hidden = dir.filePath("Hidden");
        const QString nested = dir.filePath("Nested");
        QDir().mkpath(empty);
        writeFile(hidden + "/.keep", 0);
        QDir().mkpath(nested + "/Inner");

        TestContext t;
        RemoveDirIfEmpty(t.context, hidden);
        RemoveDirIfEmpty(t.context, nested);
        QVERIFY(t.log.lines.isEmpty());
        QVERIFY(QFileInfo::exists(hidden + "/.keep"));
        QVERIFY(QFileInfo::exists(nested + "/Inner"));

        RemoveDirIfEmpty(t.context, empty + "/");
        QVERIFY(!QFileInfo::exists(empty));
        QCOMPARE(t.log.messages(), QStringList{"[DELETE ] Removing empty folder " + empty + "/"});

        // A removal that fails is raised to the caller.
        QVERIFY_THROWS_EXCEPTION(TevoError, RemoveDirIfEmpty(t.context, dir.filePath("missing")));
    }
};

QTEST_GUILESS_MAIN(TestDeleteList)
#include "tst_deletelist.moc"
