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

QByteArray Le(quint64 value, int count)
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i)
        bytes += char((value >> (8 * i)) & 0xFF);
    return bytes;
}

// The PAR2 file-description packet of one file (only what Tevo reads is filled in).
QByteArray Par2Description(QByteArray name, qint64 size, const QByteArray &hash16k)
{
    while (name.size() % 4)
        name += '\0';
    const QByteArray body = QByteArray(32, '\0') + hash16k + Le(size, 8) + name;
    return QByteArray("PAR2\0PKT", 8) + Le(64 + body.size(), 8) + QByteArray(32, '\0') +
           QByteArray("PAR 2.0\0FileDesc", 16) + body;
}

// Every file below folder with a hash of its content: what "left as it is" is checked against.
QStringList Snapshot(const QString &folder)
{
    QStringList files;
    for (const QString &name : listTree(folder))
        files << name + ":" + QString::number(qHash(readAll(folder + "/" + name)));
    return files;
}

// What volume i (called name) of a release of the given form is called: random names (ending in
// ".rar" for some forms), upper-case names, or none where the form leaves it out.
QString TargetName(const QString &form, int i, const QString &name)
{
    if (form == "original")
        return name;
    if (form == "UPPER")
        return name.toUpper();
    if (form == "OLD")
        return i == 0 ? "MOVIE.RAR" : QStringLiteral("MOVIE.R%1").arg(i - 1, 2, 10, QChar('0'));
    if (form == "zip" || (form == "missing" && i == 1) || (form == "later" && i == 0))
        return {};
    const bool rar = form == "random.rar" || form == "missing" || form == "later";
    return RandomName() + (rar ? ".rar" : "");
}

} // namespace

class TestObfuscated : public QObject
{
    Q_OBJECT

    QTemporaryDir m_temp;
    int m_serial = 0;

    // A new, empty release folder of its own (its parent holds nothing else).
    QString newRelease() { return m_temp.filePath(QStringLiteral("%1/rel").arg(++m_serial)); }

    // Fills rel with movie.nfo and the four-volume set "movie" of movie.iso ("single": one archive
    // of it), with PAR2 files or an SFV list of the real names where the form says, and names the
    // volumes as it says; returns the payload.
    QByteArray makeRelease(const QString &rel, const QString &form)
    {
        const QString iso = ReleaseMaker::writeFile(rel + "/movie.iso", 350 * 1024, 11);
        const QByteArray payload = readAll(iso);
        QStringList volumes{rel + "/movie.rar"};
        if (form == "single")
            ReleaseMaker::run("rar", {"a", "-idq", "-m0", "movie", "movie.iso"}, rel);
        else
            volumes = ReleaseMaker::makeRarSet(rel, "movie", {"movie.iso"}, 100);
        QFile::remove(iso);
        ReleaseMaker::writeText(rel + "/movie.nfo", "notes\n");
        QStringList names;
        for (const QString &volume : volumes)
            names << QFileInfo(volume).fileName();
        if (form == "par2")
            ReleaseMaker::run("par2",
                              QStringList{"create", "-q", "-q", "-r5", "movie.par2"} + names, rel);
        if (form == "sfv")
            ReleaseMaker::makeSfv(rel, "movie.sfv", names);
        for (int i = 0; i < volumes.size(); ++i) {
            const QString target = TargetName(form, i, names.at(i));
            if (target.isEmpty())
                QFile::remove(volumes.at(i));
            else if (target != names.at(i))
                QFile::rename(volumes.at(i), rel + "/" + target);
        }
        return payload;
    }

private slots:
    void initTestCase() { QVERIFY(m_temp.isValid()); }

    // Extracted and cleaned up like the original, whatever the volumes are called; a single
    // archive under a random name is taken by its content as it is.
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
        QTest::newRow("a single archive under a random name") << "single" << 0;
    }
    void extractedAndCleanedLikeTheOriginal()
    {
        QFETCH(QString, form);
        QFETCH(int, renamed);
        const QString rel = newRelease();
        const QByteArray payload = makeRelease(rel, form);
        const QString first = listTree(rel).constFirst(); // the archive, for "single"

        TestContext t;
        t.settings.setDeleteSources(true);
        t.settings.setDeleteTiming(DeleteTimingChoice::AfterExtraction);
        t.settings.setOpenNfo(false);
        const QStringList extracted = UnPack(t.context, rel);

        QCOMPARE(extracted, QStringList{rel + "/movie.iso"});
        QCOMPARE(readAll(rel + "/movie.iso"), payload);
        QCOMPARE(listTree(rel), (QStringList{"movie.iso", "movie.nfo"}));
        QCOMPARE(t.job.Tally.failures, 0);
        QCOMPARE(t.job.Tally.archivesUnpacked, 1);
        QCOMPARE(t.log.lines.filter(" is renamed to ").size(), renamed);
        QCOMPARE(t.log.contains("[ARCHiVE] " + first + " is taken as a RAR archive by its content"),
                 form == "single");
        QVERIFY(!t.log.contains("[NOTE   ]"));
    }

    // What Tevo makes no set of is left exactly as it is. Random files, e-books and comics are no
    // failure; files with archive signatures in no set are named in a note and are a failure,
    // unless their first volume may still be arriving while watching. Names from a PAR2 file
    // never lead out of the folder and never replace a file.
    void filesInNoSetAreLeftAsTheyAre_data()
    {
        QTest::addColumn<QString>("form");
        QTest::addColumn<bool>("watching");
        QTest::addColumn<bool>("failed");
        QTest::newRow("random files, an e-book and a comic") << "junk" << false << false;
        QTest::newRow("a volume of a random-named set missing") << "missing" << false << true;
        QTest::newRow("a ZIP under a random name, ZIP files not unpacked")
            << "zip" << false << true;
        QTest::newRow("later volumes without their first") << "later" << false << true;
        QTest::newRow("later volumes while watching") << "later" << true << false;
        QTest::newRow("PAR2 name in the parent folder")
            << "par2:../movie.part1.rar" << false << true;
        QTest::newRow("PAR2 name in a subfolder") << "par2:sub/movie.part1.rar" << false << true;
        QTest::newRow("PAR2 name of a file that is there") << "par2:movie.nfo" << false << true;
    }
    void filesInNoSetAreLeftAsTheyAre()
    {
        QFETCH(QString, form);
        QFETCH(bool, watching);
        QFETCH(bool, failed);
        const QString rel = newRelease();
        if (form == "junk") {
            for (quint32 seed = 1; seed <= 4; ++seed)
                ReleaseMaker::writeFile(rel + "/" + RandomName(), 20 * 1024 + seed, seed);
            ReleaseMaker::writeText(rel + "/" + RandomName() + ".txt", "Rar! is no signature");
            ReleaseMaker::writeText(rel + "/page.txt", "page\n");
            QVERIFY(ReleaseMaker::makeZip(rel, "book.epub", {"page.txt"}));
            QVERIFY(ReleaseMaker::run("rar", {"a", "-idq", "comic.cbr", "page.txt"}, rel));
        } else if (form.startsWith("par2:")) {
            // A file with a RAR signature that the PAR2 file describes under the row's name.
            QDir().mkpath(rel + "/sub");
            ReleaseMaker::writeText(rel + "/movie.nfo", "notes\n");
            const QByteArray content("Rar!\x1A\x07\x01\x00 random data", 20);
            ReleaseMaker::writeText(rel + "/a1b2c3", content);
            const QByteArray md5 = QCryptographicHash::hash(content, QCryptographicHash::Md5);
            ReleaseMaker::writeText(rel + "/movie.par2",
                                    Par2Description(form.mid(5).toUtf8(), content.size(), md5));
        } else {
            makeRelease(rel, form);
            if (form == "zip") {
                QVERIFY(ReleaseMaker::makeZip(rel, "x.zip", {"movie.nfo"}));
                QVERIFY(QFile::rename(rel + "/x.zip", rel + "/" + RandomName()));
            }
        }
        const QStringList before = Snapshot(rel + "/..");

        TestContext t;
        t.settings.setDeleteSources(true);
        t.settings.setSuppressErrors(true);
        t.settings.setScanSubdirs(false);
        t.settings.setUnpackZipFirst(form != "zip");
        t.job.WatchTimerEnabled = watching;
        UnPack(t.context, rel);

        QCOMPARE(Snapshot(rel + "/.."), before);
        QCOMPARE(t.job.Tally.archivesUnpacked, 0);
        QCOMPARE(t.log.lines.filter("carry archive signatures").size(), form == "junk" ? 0 : 1);
        QCOMPARE(t.log.contains("[NOTE   ]"), form != "junk");
        if (form == "junk")
            QVERIFY(t.log.contains("[ARCHiVE] 0 archive(s) found"));
        QCOMPARE(t.job.Tally.failures > 0, failed);
        // The notification at the job's end says whether something failed.
        const QString end = JobEndText(t.language, t.job.Tally);
        QCOMPARE(end.endsWith(" failed") && !end.contains("nothing failed"), failed);
    }
};

QTEST_GUILESS_MAIN(TestObfuscated)
#include "tst_obfuscated.moc"
