// Releases as people download them, through the folder run: RAR sets and 7z archives (split or
// not) under their own names, under random names (with and without ".rar", with PAR2 files or an
// SFV list that hold the real names), under upper-case names, folders of random files, and
// archives of which no set can be made.

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <QTest>
#include <QUuid>

#include "engine/Pipeline.h"
#include "support/Fakes.h"
#include "support/ReleaseMaker.h"

using ReleaseMaker::listTree;
using ReleaseMaker::readAll;
using namespace Qt::StringLiterals;

namespace {

QString RandomName()
{
    return QUuid::createUuid().toString(QUuid::Id128);
}

// The PAR2 file-description packet of a file (only what Tevo reads is filled in).
QByteArray Par2Description(QByteArray name, const QByteArray &content)
{
    name += QByteArray(-name.size() & 3, '\0');
    QByteArray length(8, '\0'), size(8, '\0');
    qToLittleEndian<quint64>(120 + name.size(), length.data());
    qToLittleEndian<quint64>(content.size(), size.data());
    return "PAR2\0PKT"_ba + length + QByteArray(32, '\0') + "PAR 2.0\0FileDesc"_ba +
           QByteArray(32, '\0') + QCryptographicHash::hash(content, QCryptographicHash::Md5) +
           size + name;
}

// Every file below folder with a hash of its content.
QStringList Snapshot(const QString &folder)
{
    QStringList files;
    for (const QString &name : listTree(folder))
        files << name + ":" + QString::number(qHash(readAll(folder + "/" + name)));
    return files;
}

// What volume i (called name) of a release of the given form is called; empty: it is left out.
QString TargetName(const QString &form, int i, const QString &name)
{
    if (form.startsWith("ZIP") || (form.endsWith("one missing") && i == 1) ||
        (form.endsWith("first missing") && i == 0))
        return {};
    if (form.startsWith("UPPER"))
        return name.toUpper();
    if (form.startsWith("OLD"))
        return i == 0 ? "MOVIE.RAR" : QStringLiteral("MOVIE.R%1").arg(i - 1, 2, 10, QChar('0'));
    if (form.startsWith("random"))
        return RandomName() + (form.contains(".rar") ? ".rar" : "");
    return name;
}

// A row whose name is the form of its release.
void Row(const char *form, int renamed, const char *outcome)
{
    QTest::newRow(form) << QString(form) << renamed << QString(outcome);
}

} // namespace

class TestObfuscated : public QObject
{
    Q_OBJECT

    QTemporaryDir m_temp;
    int m_serial = 0;

    // Fills rel with movie.nfo and the four-volume RAR set "movie" of movie.iso (one RAR archive
    // of it for "single"; a 7z archive, split for "split", of it and a compressible Subs/subs.idx
    // for "7z"; a tar.gz under a random name for "tar", an ISO 9660 image movie.img for "disc
    // image"), with PAR2 files or an SFV list of the real names where the form says, and names
    // the volumes as it says. Returns what the release folder's parent held before archiving.
    QStringList makeRelease(const QString &rel, const QString &form)
    {
        ReleaseMaker::writeFile(rel + "/movie.iso", 350 * 1024, 11);
        ReleaseMaker::writeText(rel + "/movie.nfo", "notes\n");
        if (form.contains("7z"))
            ReleaseMaker::writeFile(rel + "/Subs/subs.idx", 5 * 1024, 22, true);
        const QStringList original = Snapshot(rel + "/..");
        QStringList sevenZip{"a", "-bd", "-bso0", "-mx1", "movie.7z", "movie.iso", "Subs"};
        if (form.contains("split"))
            sevenZip << "-v100k";
        if (form.contains("7z"))
            ReleaseMaker::run("7z", sevenZip, rel);
        else if (form.startsWith("tar"))
            ReleaseMaker::run("tar", {"czf", RandomName(), "movie.iso"}, rel);
        else if (form.startsWith("disc image"))
            ReleaseMaker::run("bsdtar", {"--format", "iso9660", "-cf", "movie.img", "movie.iso"},
                              rel);
        else if (form.contains("single"))
            ReleaseMaker::run("rar", {"a", "-idq", "-m0", "movie", "movie.iso"}, rel);
        else
            ReleaseMaker::makeRarSet(rel, "movie", {"movie.iso"}, 100);
        QFile::remove(rel + "/movie.iso");
        QDir(rel + "/Subs").removeRecursively();
        const QStringList names =
            QDir(rel).entryList({"movie.rar", "movie.part*", "movie.7z*"}, QDir::Files, QDir::Name);
        if (form.contains("PAR2 holds"))
            ReleaseMaker::run("par2",
                              QStringList{"create", "-q", "-q", "-r5", "movie.par2"} + names, rel);
        if (form.contains("SFV holds"))
            ReleaseMaker::makeSfv(rel, "movie.sfv", names);
        for (int i = 0; i < names.size(); ++i) {
            const QString target = TargetName(form, i, names.at(i));
            if (target.isEmpty())
                QFile::remove(rel + "/" + names.at(i));
            else if (target != names.at(i))
                QFile::rename(rel + "/" + names.at(i), rel + "/" + target);
            if (form.contains("cut short") && i == names.size() - 1) // still downloading
                QFile(rel + "/" + target).resize(10 * 1024);
        }
        return original;
    }

private slots:
    void initTestCase() { QVERIFY(m_temp.isValid()); }

    // Whatever the volumes are called, a release is extracted and cleaned up like the original
    // ("unpacked"); a single archive under a random name is taken by its content as it is. What
    // no set is made of stays exactly as it is: random files, e-books and comics are no failure
    // ("left"); files with archive signatures in no set are named in a note and are a failure
    // ("failed"), unless the rest of their set may still be arriving while watching ("noted"); a
    // set known by its names but incomplete is a failure too ("incomplete").
    // Names from a PAR2 file never lead out of the folder and never replace a file.
    void releasesAsDownloaded_data()
    {
        QTest::addColumn<QString>("form");
        QTest::addColumn<int>("renamed");
        QTest::addColumn<QString>("outcome");
        Row("as made", 0, "unpacked");
        Row("random names", 4, "unpacked");
        Row("random names ending in .rar", 4, "unpacked");
        Row("random names, PAR2 holds the real ones", 4, "unpacked");
        Row("random names, SFV holds the real ones", 4, "unpacked");
        Row("UPPER-case part names", 0, "unpacked");
        Row("OLD-style upper-case names", 0, "unpacked");
        Row("random-named single archive", 0, "unpacked");
        Row("7z", 0, "unpacked");
        Row("7z split", 0, "unpacked");
        Row("random-named 7z", 0, "unpacked");
        Row("random files, an e-book and a comic", 0, "left");
        Row("tar.gz under a random name, other formats on", 0, "unpacked");
        Row("disc image, other formats on", 0, "unpacked");
        Row("tar.gz under a random name, other formats off", 0, "left");
        Row("random.rar, one missing", 0, "failed");
        Row("random.rar, first missing", 0, "failed");
        Row("random.rar, last cut short, watching", 0, "noted");
        Row("7z split, one missing", 0, "incomplete");
        Row("ZIP under a random name, ZIP files not unpacked", 0, "failed");
        Row("PAR2:../movie.part1.rar", 0, "failed");
        Row("PAR2:sub/movie.part1.rar", 0, "failed");
        Row("PAR2:movie.nfo", 0, "failed");
    }
    void releasesAsDownloaded()
    {
        QFETCH(QString, form);
        QFETCH(int, renamed);
        QFETCH(QString, outcome);
        const QString rel = m_temp.filePath(QStringLiteral("%1/rel").arg(++m_serial));
        QStringList expected; // what the release folder's parent holds after the run
        if (form.startsWith("random files")) {
            for (quint32 seed = 1; seed <= 4; ++seed)
                ReleaseMaker::writeFile(rel + "/" + RandomName(), 20 * 1024 + seed, seed);
            ReleaseMaker::writeText(rel + "/" + RandomName() + ".txt", "Rar! is no signature");
            ReleaseMaker::writeText(rel + "/page.txt", "page\n");
            QVERIFY(ReleaseMaker::makeZip(rel, "book.epub", {"page.txt"}));
            QVERIFY(ReleaseMaker::run("rar", {"a", "-idq", "comic.cbr", "page.txt"}, rel));
        } else if (form.startsWith("PAR2:")) {
            // A file with a RAR signature that the PAR2 file describes under the row's name.
            QDir().mkpath(rel + "/sub");
            ReleaseMaker::writeText(rel + "/movie.nfo", "notes\n");
            const QByteArray content("Rar!\x1A\x07\x01\x00 random data", 20);
            ReleaseMaker::writeText(rel + "/a1b2c3", content);
            ReleaseMaker::writeText(rel + "/movie.par2",
                                    Par2Description(form.mid(5).toUtf8(), content));
        } else {
            expected = makeRelease(rel, form);
            if (form.startsWith("ZIP")) {
                QVERIFY(ReleaseMaker::makeZip(rel, "x.zip", {"movie.nfo"}));
                QVERIFY(QFile::rename(rel + "/x.zip", rel + "/" + RandomName()));
            }
        }
        const bool unpacked = outcome == "unpacked";
        const bool noted = outcome == "noted" || outcome == "failed"; // in no set
        const bool failed = outcome == "failed" || outcome == "incomplete";
        if (!unpacked)
            expected = Snapshot(rel + "/..");
        const QString first = listTree(rel).constFirst(); // the archive, for "random-named"

        TestContext t;
        t.settings.setDeleteSources(true);
        t.settings.setDeleteTiming(DeleteTimingChoice::AfterExtraction);
        t.settings.setOpenNfo(false);
        t.settings.setSuppressErrors(true);
        t.settings.setScanSubdirs(false);
        t.settings.setUnpackZipFirst(!form.startsWith("ZIP"));
        t.settings.setUnpackOtherFormats(form.endsWith("other formats on"));
        t.job.WatchTimerEnabled = form.endsWith("watching");
        const QStringList extracted = UnPack(t.context, rel);

        QCOMPARE(Snapshot(rel + "/.."), expected);
        const QString subs = form.contains("7z") ? rel + "/Subs/ " + rel + "/Subs/subs.idx " : "";
        QCOMPARE(extracted.join(' '), unpacked ? subs + rel + "/movie.iso" : QString());
        QCOMPARE(t.log.lines.filter(" is renamed to ").size(), renamed);
        QCOMPARE(t.log.contains("[ARCHiVE] " + first + " is taken as a " +
                                (form.contains("7z") ? "7z" : "RAR") + " archive by its content"),
                 form.startsWith("random-named"));
        QCOMPARE(t.log.lines.filter("carry archive signatures").size(), noted ? 1 : 0);
        QCOMPARE(t.log.contains("[NOTE   ]"), noted || failed);
        QCOMPARE(t.job.Tally.failures > 0, failed);
        // An incomplete set names where it stops, even where the library gives no reason.
        QCOMPARE(t.log.contains(" is not complete: the set goes on after "),
                 outcome == "incomplete");
    }
};

QTEST_GUILESS_MAIN(TestObfuscated)
#include "tst_obfuscated.moc"
