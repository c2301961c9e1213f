// The small-file writer: files and their folders made relative to the staging tree, never
// through a link or over a name that is there, and the first failure reported with what follows
// dropped.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

#include "engine/SmallFileWriter.h"
#include "support/ReleaseMaker.h"

using namespace ReleaseMaker;

class TestSmallFileWriter : public QObject
{
    Q_OBJECT

private slots:
    void writesOrStopsAtTheFirstFailure_data()
    {
        // What the tree holds first ("file x", "link x", "folder x"), the files added in order,
        // and the file that fails (empty: none). Every file after a failure is dropped.
        QTest::addColumn<QString>("before");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("failing");
        QTest::newRow("files and their folders")
            << "" << QStringList{"a.txt", "d/e/b.txt", "d/c.txt", "last.txt"} << "";
        QTest::newRow("into a folder that is there") << "folder d" << QStringList{"d/b.txt"} << "";
        QTest::newRow("a name that is there")
            << "file a.txt" << QStringList{"a.txt", "b.txt"} << "a.txt";
        QTest::newRow("a file in a folder's place")
            << "file d" << QStringList{"x.txt", "d/b.txt", "c.txt"} << "d/b.txt";
        QTest::newRow("a link in a folder's place")
            << "link d" << QStringList{"d/b.txt", "c.txt"} << "d/b.txt";
        QTest::newRow("a link in the file's place")
            << "link a.txt" << QStringList{"a.txt"} << "a.txt";
    }
    void writesOrStopsAtTheFirstFailure()
    {
        QFETCH(QString, before);
        QFETCH(QStringList, files);
        QFETCH(QString, failing);
        QTemporaryDir dir;
        const QString tree = dir.filePath(QStringLiteral("tree"));
        const QString outside = dir.filePath(QStringLiteral("outside"));
        QVERIFY(QDir().mkpath(tree) && QDir().mkpath(outside));
        const QString there = before.section(' ', 1);
        if (before.startsWith("file"))
            writeText(tree + '/' + there, "there");
        else if (before.startsWith("link"))
            QVERIFY(QFile::link(outside, tree + '/' + there));
        else if (before.startsWith("folder"))
            QVERIFY(QDir().mkpath(tree + '/' + there));

        int waits = 0;
        const auto whileWaiting = [&waits] { ++waits; };
        {
            SmallFileWriter writer(tree);
            QVERIFY(writer.isValid());
            for (int i = 0; i < files.size(); ++i) {
                SmallFile file{QFile::encodeName(files.at(i)),
                               files.at(i).toUtf8().repeated(i),
                               mode_t(0640 + i),
                               {1600000000 + i, 123456789}};
                if (!writer.add(std::move(file), whileWaiting))
                    break;
            }
            QCOMPARE(writer.finish(whileWaiting), failing.isEmpty());
            QCOMPARE(QFile::decodeName(writer.failure().path), failing);
            QCOMPARE(writer.failure().notCreated, !failing.isEmpty());
        }
        QCOMPARE(listTree(outside), QStringList());
        const qsizetype failed = failing.isEmpty() ? files.size() : files.indexOf(failing);
        for (qsizetype i = 0; i < files.size(); ++i) {
            struct stat info = {};
            const QString path = tree + '/' + files.at(i);
            const bool made = ::lstat(QFile::encodeName(path), &info) == 0 && S_ISREG(info.st_mode);
            if (i > failed || (i == failed && !failing.isEmpty())) {
                // The failing file is not this writer's; nothing after it is written.
                if (made && files.at(i) != there)
                    QFAIL(qPrintable(files.at(i) + " was written after the failure"));
                continue;
            }
            QVERIFY2(made, qPrintable(files.at(i)));
            QCOMPARE(readAll(path), files.at(i).toUtf8().repeated(int(i)));
            QCOMPARE(info.st_mode & 07777, mode_t(0640 + i));
            QCOMPARE(info.st_mtim.tv_sec, time_t(1600000000 + i));
            QCOMPARE(info.st_mtim.tv_nsec, 123456789L);
        }
    }
};

QTEST_GUILESS_MAIN(TestSmallFileWriter)
#include "tst_smallfilewriter.moc"
