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

    // Archives that a set holds are extracted in their place, two levels deep, and go with their
    // clean-up; one that fails keeps every source of the set it came from.
    void archivesInsideArchives_data()
    {
        QTest::addColumn<QString>("form");
        QTest::addColumn<QStringList>("tree"); // the release folder afterwards
        QTest::newRow("a RAR set in a RAR") << "set" << QStringList{"movie.mkv"};
        QTest::newRow("subs.rar in a folder")
            << "subs" << QStringList{"Subs/subs.idx", "movie.mkv"};
        QTest::newRow("a ZIP in a RAR") << "zip" << QStringList{"movie.mkv"};
        QTest::newRow("three deep") << "deep" << QStringList{"x3.rar"};
        QTest::newRow("a damaged set inside")
            << "damaged"
            << QStringList{"inner.part1.rar", "inner.part2.rar", "inner.part3.rar", "outer.rar"};
        QTest::newRow("option off")
            << "off" << QStringList{"inner.part1.rar", "inner.part2.rar", "inner.part3.rar"};
    }
    void archivesInsideArchives()
    {
        QFETCH(QString, form);
        QFETCH(QStringList, tree);
        QTemporaryDir dir;
        const QString src = dir.filePath("src"), rel = dir.filePath("rel");
        const auto rar = [&src](const QStringList &arguments) {
            return run("rar", QStringList{"a", "-idq", "-m0"} + arguments, src);
        };
        writeFile(src + "/movie.mkv", 200 * 1024, 3);
        QStringList inner{"inner.part1.rar", "inner.part2.rar", "inner.part3.rar"};
        if (form == "subs") {
            writeText(src + "/Subs/subs.idx", "subs");
            QVERIFY(run("rar", {"a", "-idq", "subs.rar", "subs.idx"}, src + "/Subs"));
            inner = QStringList{"movie.mkv", "Subs/subs.rar"};
        } else if (form == "zip") {
            QVERIFY(run("zip", {"-q", "inner.zip", "movie.mkv"}, src));
            inner = QStringList{"inner.zip"};
        } else if (form == "deep") {
            QVERIFY(rar({"x3.rar", "movie.mkv"}) && rar({"x2.rar", "x3.rar"}) &&
                    rar({"x1.rar", "x2.rar"}));
            inner = QStringList{"x1.rar"};
        } else {
            QVERIFY(rar({"-v100k", "inner.rar", "movie.mkv"}));
            if (form == "damaged")
                QVERIFY(QFile::resize(src + "/inner.part2.rar", 50000));
        }
        QVERIFY(QDir().mkpath(rel) && rar(QStringList{rel + "/outer.rar"} + inner));

        TestContext t;
        t.settings.setDeleteSources(true);
        t.settings.setCheckSfv(false);
        t.settings.setUnpackNested(form != "off");
        UnPack(t.context, rel);
        QCOMPARE(listTree(rel), tree);
        if (tree.contains("movie.mkv"))
            QCOMPARE(readAll(rel + "/movie.mkv"), readAll(src + "/movie.mkv"));
        QCOMPARE(t.job.Tally.failures > 0, form == "damaged");
    }

    // Sets that need a password get the first one the user gives that fits: a {{password}} in
    // the folder's name, then the lines of the password list. None given: as ever, the set
    // fails; none fitting: one line says so. The log never shows a password.
    void passwordsFromTheUser_data()
    {
        QTest::addColumn<QString>("encryption"); // rar's option
        QTest::addColumn<QString>("folder");     // the release folder's name
        QTest::addColumn<QByteArray>("list");    // the password list; empty: none
        QTest::addColumn<bool>("extracted");
        QTest::newRow("files encrypted, a volume set, the list's second line")
            << "-pgeheim"
            << "rel" << QByteArray("wrong\r\n\r\ngeheim\r\n") << true;
        QTest::newRow("headers encrypted, the folder's name")
            << "-hpgeheim"
            << "rel {{geheim}}" << QByteArray() << true;
        QTest::newRow("none of the list fits") << "-hpgeheim"
                                               << "rel" << QByteArray("wrong\nworse\n") << false;
        QTest::newRow("none given") << "-pgeheim"
                                    << "rel" << QByteArray() << false;
        QTest::newRow("a ZIP's files encrypted, the list")
            << "zip"
            << "rel" << QByteArray("geheim\n") << true;
    }
    void passwordsFromTheUser()
    {
        QFETCH(QString, encryption);
        QFETCH(QString, folder);
        QFETCH(QByteArray, list);
        QFETCH(bool, extracted);
        QTemporaryDir dir;
        const QString src = dir.filePath("src"), rel = dir.filePath(folder);
        writeFile(src + "/movie.mkv", 300 * 1024, 5);
        writeText(src + "/movie.nfo", "notes");
        QVERIFY(QDir().mkpath(rel));
        if (encryption == "zip")
            QVERIFY(run("zip", {"-q", "-P", "geheim", rel + "/set.zip", "movie.mkv", "movie.nfo"},
                        src));
        else
            QVERIFY(run("rar",
                        {"a", "-idq", "-m0", "-v100k", encryption, rel + "/set.rar", "movie.mkv",
                         "movie.nfo"},
                        src));
        const QStringList volumes = listTree(rel);
        TestContext t;
        if (!list.isEmpty()) {
            writeText(dir.filePath("passwords.txt"), list);
            t.settings.setPasswordList(dir.filePath("passwords.txt"));
        }
        t.settings.setDeleteSources(true);
        t.settings.setCheckSfv(false);
        UnPack(t.context, rel);
        const QStringList expected{"movie.mkv", "movie.nfo"};
        QCOMPARE(listTree(rel), extracted ? expected : volumes);
        QCOMPARE(readAll(rel + "/movie.mkv") == readAll(src + "/movie.mkv"), extracted);
        QCOMPARE(t.job.Tally.failures > 0, !extracted);
        QCOMPARE(t.log.contains("none of the 2 given fits"), list.startsWith("wrong\nworse"));
        const QString log = t.log.lines.join('\n');
        QVERIFY2(!log.contains("geheim") && !log.contains("worse"), qPrintable(log));
    }
};

QTEST_GUILESS_MAIN(TestArchiveKinds)
#include "tst_archivekinds.moc"
