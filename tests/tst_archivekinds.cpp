// Archives as real releases and old tools make them: links inside the tree, kept file versions,
// empty files marked encrypted, and archives from which nothing can be read.

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "engine/Pipeline.h"
#include "support/Fakes.h"
#include "support/ReleaseMaker.h"

using namespace ReleaseMaker;

class TestArchiveKinds : public QObject
{
    Q_OBJECT

private slots:
    // Links that stay inside the destination are made; the others are left out, and then the
    // set's sources stay although the set counts as extracted.
    void linksInsideTheTree_data()
    {
        QTest::addColumn<QString>("linkTarget");
        QTest::addColumn<bool>("made");
        QTest::newRow("a file beside it") << "data/f.txt" << true;
        QTest::newRow("a folder above it, still inside") << "../data" << true;
        QTest::newRow("climbing out") << "../../../etc" << false;
        QTest::newRow("absolute") << "/etc/hostname" << false;
        // A tar hard link comes without data; it must not come out as an empty file.
        QTest::newRow("hard link in a tar archive") << "data/f.txt (hard)" << false;
    }
    void linksInsideTheTree()
    {
        QFETCH(QString, linkTarget);
        QFETCH(bool, made);
        QTemporaryDir dir;
        const QString src = dir.filePath("src");
        writeFile(src + "/data/f.txt", 3000, 1);
        QDir().mkpath(src + "/sub");
        const QString link = linkTarget.startsWith("..") && made ? "sub/lnk" : "lnk";
        const bool hard = linkTarget.endsWith("(hard)");
        const QString rel = dir.filePath("rel");
        QDir().mkpath(rel);
        const QString archive = rel + (hard ? "/x.tar" : "/x.rar");
        if (hard) {
            QCOMPARE(::link(qPrintable(src + "/data/f.txt"), qPrintable(src + "/lnk")), 0);
            QVERIFY(run("tar", {"cf", archive, "data", link}, src));
        } else {
            QVERIFY(QFile::link(linkTarget, src + "/" + link));
            QVERIFY(run("rar", {"a", "-idq", "-ol", archive, "data", link}, src));
        }

        TestContext t;
        t.settings.setUnpackOtherFormats(hard);
        t.settings.setDeleteSources(true);
        t.settings.setCheckSfv(false);
        UnPack(t.context, rel);
        QVERIFY2(t.log.contains(QStringLiteral("1 archive(s) unpacked")),
                 qPrintable(t.log.messages().join('\n')));
        QCOMPARE(readAll(rel + "/data/f.txt"), readAll(src + "/data/f.txt"));
        QCOMPARE(QFileInfo(rel + "/" + link).isSymLink(), made);
        QCOMPARE(QFileInfo::exists(rel + "/" + link), made);
        QCOMPARE(QFileInfo::exists(archive), !made);
        if (made) // and it leads to what it led to in the source tree
            QVERIFY(QFileInfo(rel + "/" + link)
                        .canonicalFilePath()
                        .startsWith(QFileInfo(rel).canonicalFilePath() + "/data"));
        else
            QVERIFY(t.log.contains(QStringLiteral("entries were left out")));
    }

    void onlyTheNewestVersion()
    {
        QTemporaryDir dir;
        const QString rel = dir.path();
        writeText(rel + "/src/f.txt", "first");
        QVERIFY(run("rar", {"a", "-idq", "-ver", "../v.rar", "f.txt"}, rel + "/src"));
        writeText(rel + "/src/f.txt", "the second version");
        QVERIFY(run("rar", {"a", "-idq", "-ver", "../v.rar", "f.txt"}, rel + "/src"));
        QDir(rel + "/src").removeRecursively();
        TestContext t;
        t.settings.setDeleteSources(true);
        const QStringList extracted = UnPack(t.context, rel);
        QCOMPARE(extracted, QStringList{rel + "/f.txt"});
        QCOMPARE(listTree(rel), QStringList{"f.txt"});
        QCOMPARE(readAll(rel + "/f.txt"), QByteArray("the second version"));
    }

    void emptyFileMarkedEncrypted()
    {
        QTemporaryDir dir;
        const QString rel = dir.path();
        writeText(rel + "/src/empty.txt", "");
        QVERIFY(run("rar", {"a", "-idq", "-psecret", "../e.rar", "empty.txt"}, rel + "/src"));
        QDir(rel + "/src").removeRecursively();
        TestContext t;
        t.settings.setDeleteSources(true);
        UnPack(t.context, rel);
        QVERIFY2(t.log.contains(QStringLiteral("1 archive(s) unpacked")),
                 qPrintable(t.log.messages().join('\n')));
        QCOMPARE(listTree(rel), QStringList{"empty.txt"});
        QCOMPARE(QFileInfo(rel + "/empty.txt").size(), 0);
    }

    // Nothing readable: a damaged header fails the set, an archive of folders alone is empty;
    // neither counts as unpacked nor is deleted.
    void nothingToRead_data()
    {
        QTest::addColumn<bool>("damaged");
        QTest::newRow("damaged header") << true;
        QTest::newRow("no files at all") << false;
    }
    void nothingToRead()
    {
        QFETCH(bool, damaged);
        QTemporaryDir dir;
        const QString rel = dir.path();
        if (damaged) {
            writeFile(rel + "/src/only_entry.bin", 5000, 4);
        } else {
            QDir().mkpath(rel + "/src/folder/inner");
        }
        QVERIFY(run("rar", {"a", "-idq", "-r", "../x.rar", damaged ? "only_entry.bin" : "folder"},
                    rel + "/src"));
        QDir(rel + "/src").removeRecursively();
        if (damaged) {
            QByteArray data = readAll(rel + "/x.rar");
            // A byte of the headers before the entry's name: the listing ends with an error.
            const qsizetype at = data.indexOf("only_entry");
            QVERIFY(at > 30);
            data[at - 30] = char(data[at - 30] ^ 0xFF);
            writeText(rel + "/x.rar", data);
        }
        TestContext t;
        t.settings.setDeleteSources(true);
        UnPack(t.context, rel);
        QVERIFY2(t.log.contains(QStringLiteral("0 archive(s) unpacked")),
                 qPrintable(t.log.messages().join('\n')));
        QVERIFY(QFileInfo::exists(rel + "/x.rar"));
        QCOMPARE(t.log.contains(QStringLiteral("[NOTE   ]")), damaged);
        if (!damaged)
            QVERIFY(t.log.contains(QStringLiteral("holds no files")));
    }
};

QTEST_GUILESS_MAIN(TestArchiveKinds)
#include "tst_archivekinds.moc"
