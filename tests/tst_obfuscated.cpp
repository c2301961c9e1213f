// Releases as people download them, through the folder run: volumes under random names (with and
// without ".rar", with PAR2 files or an SFV list that hold the real names), upper-case names,
// folders of random files, and archives of which no set can be made.

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include "engine/Pipeline.h"
#include "jobs/JobNotification.h"
#include "support/Fakes.h"
#include "support/ReleaseMaker.h"

using ReleaseMaker::listTree;
using ReleaseMaker::readAll;

namespace {

QString RandomName()
{
    QString name;
    for (int i = 0; i < 24; ++i)
        name += QString::number(QRandomGenerator::global()->bounded(16), 16);
    return name;
}

// The PAR2 file-description packet of one file (only what Tevo reads is filled in).
QByteArray Par2Description(const QByteArray &name, qint64 size, const QByteArray &hash16k)
{
    QByteArray body(56, '\0');
    body.replace(32, 16, hash16k);
    for (int i = 0; i < 8; ++i)
        body[48 + i] = char((size >> (8 * i)) & 0xFF);
    body += name;
    while (body.size() % 4)
        body += '\0';
    QByteArray packet("PAR2\0PKT", 8);
    const quint64 length = 64 + body.size();
    for (int i = 0; i < 8; ++i)
        packet += char((length >> (8 * i)) & 0xFF);
    packet += QByteArray(32, '\0') + QByteArray("PAR 2.0\0FileDesc", 16);
    return packet + body;
}

} // namespace

class TestObfuscated : public QObject
{
    Q_OBJECT

    QTemporaryDir m_temp;
    int m_serial = 0;

    // A release folder with the four-volume set "movie" of movie.iso and an NFO file; returns
    // the volumes in order. The payload stays in a staging folder for comparing.
    QStringList makeRelease(const QString &rel, QString *payload)
    {
        const QString staging = m_temp.filePath(QStringLiteral("stage%1").arg(++m_serial));
        ReleaseMaker::writeFile(staging + "/movie.iso", 350 * 1024, 11);
        *payload = staging + "/movie.iso";
        QDir().mkpath(rel);
        QStringList volumes;
        for (const QString &volume :
             ReleaseMaker::makeRarSet(staging, "movie", {"movie.iso"}, 100)) {
            const QString target = rel + "/" + QFileInfo(volume).fileName();
            QFile::rename(volume, target);
            volumes << target;
        }
        ReleaseMaker::writeText(rel + "/movie.nfo", "notes\n");
        return volumes;
    }

private slots:
    void initTestCase() { QVERIFY(m_temp.isValid()); }

    // Extracted and cleaned up like the original, whatever the volumes are called.
    void extractedAndCleanedLikeTheOriginal_data()
    {
        QTest::addColumn<QString>("form");
        QTest::addColumn<int>("renamed");
        QTest::newRow("original") << "original" << 0;
        QTest::newRow("random names") << "random" << 4;
        QTest::newRow("random names ending in .rar") << "random.rar" << 4;
        QTest::newRow("random names, PAR2 holds the real ones") << "par2" << 4;
        QTest::newRow("random names, SFV holds the real ones") << "sfv" << 4;
        QTest::newRow("upper-case part names") << "UPPER" << 0;
        QTest::newRow("upper-case old-style names") << "OLD" << 0;
    }
    void extractedAndCleanedLikeTheOriginal()
    {
        QFETCH(QString, form);
        QFETCH(int, renamed);
        const QString rel = m_temp.filePath(QStringLiteral("rel%1").arg(++m_serial));
        QString payload;
        const QStringList volumes = makeRelease(rel, &payload);
        QStringList names;
        for (const QString &volume : volumes)
            names << QFileInfo(volume).fileName();
        if (form == "par2")
            QVERIFY(ReleaseMaker::run(
                "par2", QStringList{"create", "-q", "-q", "-r5", "movie.par2"} + names, rel));
        if (form == "sfv")
            QVERIFY(ReleaseMaker::makeSfv(rel, "movie.sfv", names));
        for (int i = 0; i < volumes.size(); ++i) {
            QString target = names.at(i);
            if (form.startsWith("random") || form == "par2" || form == "sfv")
                target = RandomName() + (form == "random.rar" ? ".rar" : "");
            else if (form == "UPPER")
                target = target.toUpper();
            else if (form == "OLD")
                target = i == 0 ? "MOVIE.RAR"
                                : QStringLiteral("MOVIE.R%1").arg(i - 1, 2, 10, QChar('0'));
            QVERIFY(target == names.at(i) || QFile::rename(volumes.at(i), rel + "/" + target));
        }

        TestContext t;
        t.settings.setDeleteSources(true);
        t.settings.setDeleteTiming(DeleteTimingChoice::AfterExtraction);
        t.settings.setOpenNfo(false);
        const QStringList extracted = UnPack(t.context, rel);

        QCOMPARE(extracted, QStringList{rel + "/movie.iso"});
        QCOMPARE(readAll(rel + "/movie.iso"), readAll(payload));
        QCOMPARE(listTree(rel), (QStringList{"movie.iso", "movie.nfo"}));
        QCOMPARE(t.job.Tally.failures, 0);
        QCOMPARE(t.job.Tally.archivesUnpacked, 1);
        QCOMPARE(t.log.lines.filter(" is renamed to ").size(), renamed);
        QVERIFY(!t.log.contains("[NOTE   ]"));
    }

    // A single archive under a random name is taken by its content, without a rename.
    void singleArchiveUnderRandomName()
    {
        const QString rel = m_temp.filePath(QStringLiteral("single%1").arg(++m_serial));
        ReleaseMaker::writeFile(rel + "/movie.iso", 50 * 1024, 5);
        const QByteArray payload = readAll(rel + "/movie.iso");
        QVERIFY(ReleaseMaker::run("rar", {"a", "-idq", "-m0", "single", "movie.iso"}, rel));
        QFile::remove(rel + "/movie.iso");
        const QString random = RandomName();
        QVERIFY(QFile::rename(rel + "/single.rar", rel + "/" + random));

        TestContext t;
        t.settings.setDeleteSources(true);
        const QStringList extracted = UnPack(t.context, rel);
        QCOMPARE(extracted, QStringList{rel + "/movie.iso"});
        QCOMPARE(readAll(rel + "/movie.iso"), payload);
        QCOMPARE(listTree(rel), QStringList{"movie.iso"});
        QVERIFY(
            t.log.contains("[ARCHiVE] " + random + " is taken as a RAR archive by its content"));
        QVERIFY(!t.log.contains(" is renamed to "));
        QCOMPARE(t.job.Tally.failures, 0);
    }

    // Random files under random names are not archives, e-books and comics are kept as they are:
    // nothing is touched, nothing failed.
    void randomFilesAreLeftAlone()
    {
        const QString rel = m_temp.filePath(QStringLiteral("junk%1").arg(++m_serial));
        for (quint32 seed = 1; seed <= 4; ++seed)
            ReleaseMaker::writeFile(rel + "/" + RandomName(), 20 * 1024 + seed, seed);
        ReleaseMaker::writeText(rel + "/" + RandomName() + ".txt", "Rar! is no signature here");
        // Archives inside that are kept as they are: an e-book and a comic.
        ReleaseMaker::writeText(rel + "/page.txt", "page\n");
        QVERIFY(ReleaseMaker::makeZip(rel, "book.epub", {"page.txt"}));
        QVERIFY(ReleaseMaker::run("rar", {"a", "-idq", "comic.cbr", "page.txt"}, rel));
        QFile::remove(rel + "/page.txt");
        QStringList before;
        for (const QString &name : listTree(rel))
            before << name + ":" + QString::number(qHash(readAll(rel + "/" + name)));

        TestContext t;
        t.settings.setDeleteSources(true);
        UnPack(t.context, rel);
        QStringList after;
        for (const QString &name : listTree(rel))
            after << name + ":" + QString::number(qHash(readAll(rel + "/" + name)));
        QCOMPARE(after, before);
        QVERIFY(t.log.contains("[ARCHiVE] 0 archive(s) found"));
        QVERIFY(!t.log.contains("[NOTE   ]"));
        QCOMPARE(t.job.Tally.failures, 0);
    }

    // Files with archive signatures of which no set is made: named in a note, counted as a
    // failure, left as they are.
    void archivesInNoSetAreNoSuccess_data()
    {
        QTest::addColumn<QString>("form");
        QTest::addColumn<bool>("watching");
        QTest::newRow("a volume of a random-named set missing") << "missing" << false;
        QTest::newRow("a ZIP under a random name, ZIP files not unpacked") << "zip" << false;
        QTest::newRow("later volumes without their first") << "later" << false;
        // The first volume may still be arriving: noted, but no failure yet.
        QTest::newRow("later volumes while watching") << "later" << true;
    }
    void archivesInNoSetAreNoSuccess()
    {
        QFETCH(QString, form);
        QFETCH(bool, watching);
        const QString rel = m_temp.filePath(QStringLiteral("noset%1").arg(++m_serial));
        QString payload;
        const QStringList volumes = makeRelease(rel, &payload);
        for (const QString &volume : volumes) {
            if ((form == "missing" && volume.endsWith("part2.rar")) || form == "zip" ||
                (form == "later" && volume.endsWith("part1.rar")))
                QFile::remove(volume);
            else
                QFile::rename(volume, rel + "/" + RandomName() + ".rar");
        }
        if (form == "zip") {
            QVERIFY(ReleaseMaker::makeZip(rel, "x.zip", {"movie.nfo"}));
            QVERIFY(QFile::rename(rel + "/x.zip", rel + "/" + RandomName()));
        }
        const QStringList before = listTree(rel);

        TestContext t;
        t.settings.setDeleteSources(true);
        t.settings.setSuppressErrors(true);
        t.job.WatchTimerEnabled = watching;
        t.settings.setUnpackZipFirst(false);
        UnPack(t.context, rel);
        QCOMPARE(listTree(rel), before);
        QCOMPARE(t.log.lines.filter("carry archive signatures").size(), 1);
        QVERIFY(t.log.lines.filter("[NOTE   ]").size() >= 1);
        QCOMPARE(t.job.Tally.archivesUnpacked, 0);
        if (watching) {
            QCOMPARE(t.job.Tally.failures, 0);
            return;
        }
        QVERIFY(t.job.Tally.failures >= 1);
        // The notification at the job's end says that something failed.
        QVERIFY(JobEndText(t.language, t.job.Tally).endsWith(" failed"));
        QVERIFY(!JobEndText(t.language, t.job.Tally).contains("nothing failed"));
    }

    // Names from a PAR2 file never leave the folder and never replace a file.
    void par2NamesStayInTheFolder_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("parent folder") << QByteArray("../movie.part1.rar");
        QTest::newRow("subfolder") << QByteArray("sub/movie.part1.rar");
        QTest::newRow("a file of that name is there") << QByteArray("movie.nfo");
    }
    void par2NamesStayInTheFolder()
    {
        QFETCH(QByteArray, name);
        const QString rel = m_temp.filePath(QStringLiteral("par%1/rel").arg(++m_serial));
        QDir().mkpath(rel + "/sub");
        ReleaseMaker::writeText(rel + "/movie.nfo", "notes\n");
        const QByteArray content("Rar!\x1A\x07\x01\x00 random data", 20);
        ReleaseMaker::writeText(rel + "/a1b2c3", content);
        ReleaseMaker::writeText(
            rel + "/movie.par2",
            Par2Description(name, content.size(),
                            QCryptographicHash::hash(content, QCryptographicHash::Md5)));
        TestContext t;
        t.settings.setScanSubdirs(false);
        UnPack(t.context, rel);
        QCOMPARE(listTree(rel + "/.."),
                 (QStringList{"rel/a1b2c3", "rel/movie.nfo", "rel/movie.par2"}));
        QCOMPARE(readAll(rel + "/movie.nfo"), QByteArray("notes\n"));
    }
};

QTEST_GUILESS_MAIN(TestObfuscated)
#include "tst_obfuscated.moc"
