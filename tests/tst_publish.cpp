// The staging and publish road with a fake back-end, without rar: today's collision rules at
// publish, merging into existing folders, and a failed set leaving the destination as it was;
// then the folder run on the same road.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

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
    // Today's collision rules decide at publish, all or nothing: a set that is refused, or whose
    // back-end fails, leaves the destination as it was and says why in the log.
    void collisionRulesAtPublish_data()
    {
        QTest::addColumn<QString>("existing"); // what the destination holds before
        QTest::addColumn<bool>("ownFolder");
        QTest::addColumn<QString>("refusal"); // the log line of a set not published
        QTest::newRow("free names, destination made") << "" << false << "";
        QTest::newRow("a file of the same size is replaced") << "same size" << false << "";
        QTest::newRow("a file of another size is not replaced")
            << "other size" << false << "differs in size";
        QTest::newRow("in a folder of its own, another size is replaced")
            << "other size" << true << "";
        QTest::newRow("a file written earlier in this job is never replaced")
            << "written this job" << true << "written earlier in this job";
        QTest::newRow("a read-only file is never replaced")
            << "read-only" << true << "is read-only";
        QTest::newRow("a folder where the set has a file") << "folder" << true << "differs in size";
        QTest::newRow("an existing folder is merged into") << "folder with a file" << false << "";
        QTest::newRow("a failing back-end leaves no folder it made")
            << "back-end fails" << false << "fake: Extras/a.txt failed";
    }
    void collisionRulesAtPublish()
    {
        QFETCH(QString, existing);
        QFETCH(bool, ownFolder);
        QFETCH(QString, refusal);
        QTemporaryDir dir;
        const QString dest = dir.filePath("a/b/dest");
        const QString target = dest + "/movie.iso";
        TestContext t;
        if (existing.endsWith("size") || existing == "written this job" || existing == "read-only")
            writeText(target, QByteArray(existing == "other size" ? 10 : 3000, 'o'));
        if (existing == "written this job")
            t.job.FilesWrittenThisJob.insert(target);
        if (existing == "read-only")
            QVERIFY(QFile::setPermissions(target, QFileDevice::ReadOwner));
        if (existing == "folder")
            QVERIFY(QDir().mkpath(target));
        if (existing == "folder with a file")
            writeText(dest + "/Extras/mine.txt", "mine");
        const QByteArray before = readAll(target);
        const QStringList treeBefore = listTree(dir.path());

        FakeBackend backend(kSet);
        backend.failAt = existing == "back-end fails" ? 1 : -1;
        EngineSink sink(t.context);
        StagedExtraction staged;
        staged.ownFolder = ownFolder;
        QCOMPARE(ExtractStaged(t.context, backend, sink, dest, staged), refusal.isEmpty());
        if (refusal.isEmpty()) {
            QCOMPARE(staged.files, (QStringList{target, dest + "/Extras/a.txt"}));
            QCOMPARE(readAll(target), kSet.at(0).content);
            QCOMPARE(readAll(dest + "/Extras/a.txt"), kSet.at(1).content);
            QVERIFY(t.job.FilesWrittenThisJob.contains(target));
            QCOMPARE(listTree(dest).filter(".tevo-"), QStringList());
            QCOMPARE(QFileInfo::exists(dest + "/Extras/mine.txt"),
                     existing == "folder with a file");
        } else {
            // Nothing changed, and the folders made for the set are gone again.
            QCOMPARE(listTree(dir.path()), treeBefore);
            QCOMPARE(readAll(target), before);
            QCOMPARE(QFileInfo::exists(dir.filePath("a")), existing != "back-end fails");
            QVERIFY2(t.log.contains(refusal), qPrintable(t.log.lines.join('\n')));
        }
    }

    // The folder run on the staging road with the fake, the release reached through a link
    // (dl -> disk/dl): a set is published behind it, in place or in a custom destination reached
    // through a link of its own (out -> disk/out), and its sources are deleted; a link that
    // resolves outside the set's tree through another link of it (up/../x with up -> ..) is left
    // out with its log line and the sources stay; a set whose back-end fails publishes nothing,
    // keeps its sources and ends with the note. The links on the way stay links.
    void folderRun_data()
    {
        QTest::addColumn<QString>("set"); // "plain", "links" or "failing"
        QTest::addColumn<bool>("customDestination");
        QTest::addColumn<QStringList>("extracted");
        QTest::addColumn<QStringList>("tree"); // below disk afterwards: no staging folder stays
        QTest::addColumn<QString>("logged");
        QTest::newRow("in place") << "plain" << false
                                  << QStringList{"dl/rel/movie.iso", "dl/rel/Extras/a.txt"}
                                  << QStringList{"dl/rel/Extras/a.txt", "dl/rel/movie.iso"}
                                  << "1 archive(s) unpacked";
        QTest::newRow("custom destination")
            << "plain" << true << QStringList{"out/movie.iso", "out/Extras/a.txt"}
            << QStringList{"out/Extras/a.txt", "out/movie.iso"} << "1 archive(s) unpacked";
        QTest::newRow("a link leading outside")
            << "links" << false << QStringList{"dl/rel/movie.iso", "dl/rel/sub/up", "dl/rel/sub/in"}
            << QStringList{"dl/rel/movie.iso", "dl/rel/movie.rar", "dl/rel/sub/in"}
            << "sub/out is a link to up/../x";
        QTest::newRow("failing") << "failing" << false << QStringList()
                                 << QStringList{"dl/rel/movie.rar"} << "[NOTE   ] ";
    }
    void folderRun()
    {
        QFETCH(QString, set);
        QFETCH(bool, customDestination);
        QFETCH(QStringList, extracted);
        QFETCH(QStringList, tree);
        QFETCH(QString, logged);
        QTemporaryDir dir;
        writeText(dir.filePath("disk/dl/rel/movie.rar"), "not read: the fake stands in for it");
        QVERIFY(QDir().mkpath(dir.filePath("disk/out")));
        QVERIFY(QFile::link("disk/dl", dir.filePath("dl")));
        QVERIFY(QFile::link("disk/out", dir.filePath("out")));
        TestContext t;
        t.settings.setDeleteSources(true);
        if (customDestination) {
            t.settings.setOutputMode(OutputModeChoice::CustomDir);
            t.settings.setCustomOutputDir(dir.filePath("out"));
        }
        FakeBackend model(set == "links" ? QList<FakeEntry>{{"movie.iso", "m", {}},
                                                            {"sub/up", {}, ".."},
                                                            {"sub/out", {}, "up/../x"},
                                                            {"sub/in", {}, "../movie.iso"}}
                                         : kSet);
        model.failAt = set == "failing" ? 1 : -1;
        t.context.backendFactory = model.factory();
        QCOMPARE(UnPack(t.context, dir.filePath("dl/rel")).replaceInStrings(dir.path() + "/", ""),
                 extracted);
        QVERIFY2(t.log.contains(logged), qPrintable(t.log.lines.join('\n')));
        QVERIFY(QFileInfo(dir.filePath("dl")).isSymLink());
        QVERIFY(QFileInfo(dir.filePath("out")).isSymLink());
        // Sources go only after a set published in full.
        QCOMPARE(listTree(dir.filePath("disk")), tree);
        if (set == "links")
            QCOMPARE(readAll(dir.filePath("dl/rel/sub/in")), QByteArray("m"));
    }
};

QTEST_GUILESS_MAIN(TestPublish)
#include "tst_publish.moc"
