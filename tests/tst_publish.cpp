// The staging and publish road with a fake back-end, without rar: today's collision rules at
// publish, merging into existing folders, links leading outside, and a failed set leaving the
// destination as it was; then the folder run on the same road.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

#include "engine/EngineSink.h"
#include "engine/Pipeline.h"
#include "engine/StagedExtraction.h"
#include "support/FakeBackend.h"
#include "support/Fakes.h"
#include "support/ReleaseMaker.h"

using namespace ReleaseMaker;

namespace {

const QList<FakeEntry> kSet{{"movie.iso", QByteArray(3000, 'm'), {}},
                            {"Extras/a.txt", QByteArray("extra"), {}}};

} // namespace

class TestPublish : public QObject
{
    Q_OBJECT

private slots:
    void collisionRulesAtPublish_data()
    {
        QTest::addColumn<QString>("existing"); // what the destination holds before
        QTest::addColumn<bool>("ownFolder");
        QTest::addColumn<bool>("published");
        QTest::addColumn<QString>("logged");
        QTest::newRow("free names") << "" << false << true << "";
        QTest::newRow("a file of the same size is replaced") << "same size" << false << true << "";
        QTest::newRow("a file of another size is not replaced")
            << "other size" << false << false << "differs in size";
        QTest::newRow("in a folder of its own, another size is replaced")
            << "other size" << true << true << "";
        QTest::newRow("a file written earlier in this job is never replaced")
            << "written this job" << true << false << "written earlier in this job";
        QTest::newRow("a read-only file is never replaced")
            << "read-only" << true << false << "is read-only";
        QTest::newRow("a folder where the set has a file")
            << "folder" << true << false << "differs in size";
        QTest::newRow("an existing folder is merged into")
            << "folder with a file" << false << true << "";
    }
    void collisionRulesAtPublish()
    {
        QFETCH(QString, existing);
        QFETCH(bool, ownFolder);
        QFETCH(bool, published);
        QFETCH(QString, logged);
        QTemporaryDir dir;
        const QString dest = dir.filePath("dest");
        QVERIFY(QDir().mkpath(dest));
        TestContext t;
        const QString target = dest + "/movie.iso";
        QByteArray before;
        if (existing == "same size" || existing == "written this job" || existing == "read-only")
            before = QByteArray(3000, 'o');
        else if (existing == "other size")
            before = QByteArray(10, 'o');
        if (!before.isEmpty())
            writeText(target, before);
        if (existing == "written this job")
            t.job.FilesWrittenThisJob.insert(target);
        if (existing == "read-only")
            QVERIFY(QFile::setPermissions(target, QFileDevice::ReadOwner));
        if (existing == "folder")
            QVERIFY(QDir().mkpath(target));
        if (existing == "folder with a file")
            writeText(dest + "/Extras/mine.txt", "mine");
        const QStringList treeBefore = listTree(dest);

        FakeBackend backend(kSet);
        EngineSink sink(t.context);
        StagedExtraction staged;
        staged.ownFolder = ownFolder;
        QCOMPARE(ExtractStaged(t.context, backend, sink, dest, staged), published);
        QVERIFY(QDir(dest).entryList({".tevo-*"}, QDir::AllEntries | QDir::Hidden).isEmpty());
        if (published) {
            QCOMPARE(readAll(target), kSet.at(0).content);
            QCOMPARE(readAll(dest + "/Extras/a.txt"), QByteArray("extra"));
            QCOMPARE(staged.files, (QStringList{target, dest + "/Extras/a.txt"}));
            QVERIFY(t.job.FilesWrittenThisJob.contains(target));
            if (existing == "folder with a file")
                QCOMPARE(readAll(dest + "/Extras/mine.txt"), QByteArray("mine"));
        } else {
            // Nothing in the destination changed.
            QCOMPARE(listTree(dest), treeBefore);
            if (!before.isEmpty())
                QCOMPARE(readAll(target), before);
            QVERIFY(staged.files.isEmpty());
            QVERIFY2(t.log.contains(logged), qPrintable(t.log.lines.join('\n')));
        }
    }

    // A back-end that fails leaves nothing: no file, no staging folder, and no folder that was
    // made for the set.
    void failedSetLeavesTheDestinationAsItWas()
    {
        QTemporaryDir dir;
        TestContext t;
        FakeBackend backend(kSet);
        backend.failAt = 1;
        EngineSink sink(t.context);
        StagedExtraction staged;
        QVERIFY(!ExtractStaged(t.context, backend, sink, dir.filePath("a/b/dest"), staged));
        QCOMPARE(listTree(dir.path()), QStringList());
        QVERIFY(!QFileInfo::exists(dir.filePath("a")));
    }

    // A link that resolves outside the set's tree is left out with its log line; the rest is
    // published and the set tells what it left out.
    void linkLeadingOutsideIsLeftOut()
    {
        QTemporaryDir dir;
        TestContext t;
        FakeBackend backend({{"movie.iso", "m", {}},
                             {"sub/up", {}, ".."},
                             {"sub/out", {}, "up/../x"},
                             {"sub/in", {}, "../movie.iso"}});
        EngineSink sink(t.context);
        StagedExtraction staged;
        QVERIFY(ExtractStaged(t.context, backend, sink, dir.filePath("dest"), staged));
        QCOMPARE(staged.leftOut, QStringList{"sub/out"});
        QVERIFY(!QFileInfo(dir.filePath("dest/sub/out")).isSymLink());
        QCOMPARE(readAll(dir.filePath("dest/sub/in")), QByteArray("m"));
        QVERIFY(t.log.contains("sub/out is a link to up/../x"));
    }

    // The folder run on the same road with the fake: a set is published, counted and its source
    // deleted; a set whose back-end fails publishes nothing, keeps its sources and ends with the
    // note.
    void folderRunThroughTheInterface_data()
    {
        QTest::addColumn<int>("failAt");
        QTest::newRow("extracted") << -1;
        QTest::newRow("failing") << 1;
    }
    void folderRunThroughTheInterface()
    {
        QFETCH(int, failAt);
        QTemporaryDir dir;
        const QString rel = dir.filePath("rel");
        writeText(rel + "/movie.rar", "not read: the fake stands in for the archive");
        TestContext t;
        t.settings.setDeleteSources(true);
        FakeBackend model(kSet);
        model.failAt = failAt;
        t.context.backendFactory = model.factory();
        const QStringList extracted = UnPack(t.context, rel);
        // Sources go only after a set published in full.
        QCOMPARE(QFileInfo::exists(rel + "/movie.rar"), failAt >= 0);
        if (failAt < 0) {
            QCOMPARE(extracted, (QStringList{rel + "/movie.iso", rel + "/Extras/a.txt"}));
            QVERIFY(t.log.contains("1 archive(s) unpacked"));
        } else {
            QVERIFY(extracted.isEmpty());
            QCOMPARE(listTree(rel), QStringList{"movie.rar"});
            QVERIFY(t.log.contains("0 archive(s) unpacked"));
            QVERIFY(t.log.contains("[NOTE   ] "));
        }
    }
};

QTEST_GUILESS_MAIN(TestPublish)
#include "tst_publish.moc"
