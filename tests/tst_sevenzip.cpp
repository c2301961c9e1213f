// 7z archives through the folder run and the libarchive back-end: a plain 7z, a split set
// (x.7z.001 ...), one under a random name, and a split set with a part missing, each compared with
// what 7z x writes; the sources go after success only.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "engine/Pipeline.h"
#include "support/Fakes.h"
#include "support/ReleaseMaker.h"

using ReleaseMaker::listTree;
using ReleaseMaker::readAll;

class TestSevenZip : public QObject
{
    Q_OBJECT

    QTemporaryDir m_temp;
    int m_serial = 0;

private slots:
    void initTestCase() { QVERIFY(m_temp.isValid()); }

    void extractedLikeSevenZipDoes_data()
    {
        QTest::addColumn<QString>("form");
        QTest::addColumn<bool>("extracted");
        QTest::newRow("plain 7z") << "plain" << true;
        QTest::newRow("split 7z") << "split" << true;
        QTest::newRow("7z under a random name") << "random" << true;
        QTest::newRow("split 7z, a part missing") << "missing" << false;
    }
    void extractedLikeSevenZipDoes()
    {
        QFETCH(QString, form);
        QFETCH(bool, extracted);
        const QString base = m_temp.filePath(QString::number(++m_serial));
        const QString source = base + "/source";
        ReleaseMaker::writeFile(source + "/movie.iso", 300 * 1024, 21);
        ReleaseMaker::writeFile(source + "/Subs/subs.idx", 5 * 1024, 22, true);
        const QString rel = base + "/rel";
        QDir().mkpath(rel);
        QStringList arguments{"a", "-bd", "-bso0", "-mx1"};
        if (form == "split" || form == "missing")
            arguments << "-v100k";
        QVERIFY(ReleaseMaker::run("7z",
                                  arguments << rel + "/movie.7z"
                                            << ".",
                                  source));
        if (form == "random")
            QVERIFY(QFile::rename(rel + "/movie.7z", rel + "/d41d8cd98f00b204e9800998"));
        if (form == "missing")
            QVERIFY(QFile::remove(rel + "/movie.7z.002"));
        const QStringList sources = listTree(rel);
        // What 7z itself makes of the archive.
        const QString reference = base + "/reference";
        const QString first = form == "random"  ? rel + "/d41d8cd98f00b204e9800998"
                              : form == "split" ? rel + "/movie.7z.001"
                                                : rel + "/movie.7z";
        if (extracted)
            QVERIFY(ReleaseMaker::run("7z", {"x", "-bd", "-bso0", "-o" + reference, first}, base));

        TestContext t;
        t.settings.setDeleteSources(true);
        t.settings.setSuppressErrors(true);
        UnPack(t.context, rel);

        QCOMPARE(t.job.Tally.archivesUnpacked, extracted ? 1 : 0);
        if (!extracted) {
            QCOMPARE(listTree(rel), sources);
            QVERIFY(t.job.Tally.failures >= 1);
            return;
        }
        QCOMPARE(listTree(rel), listTree(reference));
        for (const QString &name : listTree(reference))
            QCOMPARE(readAll(rel + "/" + name), readAll(reference + "/" + name));
        QCOMPARE(t.job.Tally.failures, 0);
    }
};

QTEST_GUILESS_MAIN(TestSevenZip)
#include "tst_sevenzip.moc"
