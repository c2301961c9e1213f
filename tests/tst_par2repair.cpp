// Repair with PAR2 files on real sets: volumes made by rar, recovery files made by par2, one
// volume damaged and one deleted as downloads lose them.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "engine/Par2Files.h"
#include "engine/Par2Output.h"
#include "engine/Pipeline.h"
#include "support/Fakes.h"
#include "support/ReleaseMaker.h"
#include "support/Sanitizers.h"

using namespace ReleaseMaker;
using namespace Qt::StringLiterals;

namespace {

// Overwrites a stretch of the file (in its middle unless at is given) with other bytes.
void Damage(const QString &path, int bytes = 200, qint64 at = -1)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.seek(at < 0 ? (file.size() - bytes) / 2 : at));
    file.write(QByteArray(bytes, 'x'));
}

} // namespace

class TestPar2Repair : public QObject
{
    Q_OBJECT

private slots:
    // Hostile recovery files: the reader ends on any packet length that does not fit, also one
    // that read as a signed number would step back to the packet before.
    void malformedPacketsEndTheReading_data()
    {
        QTest::addColumn<quint64>("length"); // 0: back to the first packet
        QTest::newRow("back to the first packet") << quint64(0);
        QTest::newRow("beyond the file") << (quint64(1) << 40);
        QTest::newRow("shorter than a header") << quint64(32);
    }
    void malformedPacketsEndTheReading()
    {
        QFETCH(quint64, length);
        auto packet = [](quint64 packetLength, const QByteArray &type, const QByteArray &body) {
            QByteArray bytes("PAR2\0PKT", 8);
            for (int i = 0; i < 8; ++i)
                bytes.append(char((packetLength >> (8 * i)) & 0xff));
            bytes.append(QByteArray(32, '\0')); // MD5 and set id
            bytes.append(type);
            return bytes + body;
        };
        const QByteArray name = QByteArray(56, '\0') + "movie.part1.rar";
        const QByteArray body = name + QByteArray((4 - name.size() % 4) % 4, '\0');
        QTemporaryDir dir;
        const QString path = dir.filePath("hostile.par2");
        const QByteArray first =
            packet(64 + body.size(), QByteArray("PAR 2.0\0FileDesc", 16), body);
        if (length == 0)
            length = quint64(0) - quint64(first.size());
        writeText(path, first + packet(length, QByteArray("PAR 2.0\0Main\0\0\0\0", 16), {}));
        QCOMPARE(Par2DescribedFiles(path), QStringList{"movie.part1.rar"});
    }

    // Descriptions are read with their names in UTF-8 or, as the SFV lists of the same tools,
    // in Windows-1252; reading stays linear however many packets a file holds and stops at its
    // bounds; a file unchanged since it was read is not read again.
    void descriptionsAreReadWithinBounds()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("many.par2");
        // Packets of 128 bytes: header, type, the description's fixed fields, an 8-byte name.
        const QByteArray head = "PAR2\0PKT\x80"_ba + QByteArray(39, '\0') + "PAR 2.0\0FileDesc"_ba +
                                QByteArray(56, '\0');
        QByteArray bytes = head + "caf\xe9.rar" + head + "caf\xc3\xa9.7z";
        for (int i = 0; i < Par2MostPackets + 50000; ++i)
            bytes += head + QByteArray::number(i).rightJustified(8, '0');
        writeText(path, bytes);
        QElapsedTimer timer;
        timer.start();
        const QStringList described = Par2DescribedFiles(path);
        // ThreadSanitizer's slowdown says nothing about the reading's cost.
        if (!UnderThreadSanitizer)
            QVERIFY2(timer.elapsed() < 1500, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(described.size(), Par2MostPackets);
        QCOMPARE(described.mid(0, 2), QStringList({u"café.rar"_s, u"café.7z"_s}));
        timer.restart();
        for (int i = 0; i < 20; ++i)
            QCOMPARE(Par2Descriptions(path).size(), Par2MostPackets);
        if (!UnderThreadSanitizer)
            QVERIFY2(timer.elapsed() < 500, qPrintable(QString::number(timer.elapsed())));
    }

    // par2's output: progress lines end in carriage returns; what is kept for the log is a few
    // short lines, however much par2 printed, and of them the ones that say why.
    void outputIsSplitAndKeptShort()
    {
        const QByteArray missing = "Target: \"x\" - missing.\n";
        const QByteArray output =
            missing.repeated(100) + "Scanning: \"movie.part04.rar\": 12.5%\r"_ba.repeated(1000) +
            "Repairing: 45.2%\rRepair is not possible.\nYou need 219 more recovery blocks.\n" +
            QByteArray(20000, 'x'); // a line without end is cut to its last bytes
        Par2Output par2;
        for (qsizetype at = 0; at < output.size(); at += 77) // in pieces, as the pipe hands them
            par2.feed(output.mid(at, 77));
        const std::optional<Par2Progress> shown = par2.takeProgress();
        QCOMPARE(shown ? shown->step + " " + shown->percent : QString(), "Repairing 45.2");
        par2.finish();
        const QStringList reasons = QStringList(Par2Output::KeptLines - 3, missing.trimmed())
                                    << "Repair is not possible."
                                    << "You need 219 more recovery blocks.";
        QCOMPARE(par2.reasons(), reasons);
        QCOMPARE(par2.lastLines(), reasons + QStringList{QString(Par2Output::LongestLine, 'x')});
    }

    void repairThenExtract_data()
    {
        QTest::addColumn<int>("redundancy"); // per cent of recovery data
        QTest::addColumn<bool>("repairOn");  // the "Repair with PAR2 files" check box
        QTest::addColumn<bool>("par2OnPath");
        QTest::addColumn<bool>("extracted");
        QTest::addColumn<QString>("logged");
        // "event pump": the window's event pump handles par2's exit itself, as a real event loop
        // does. "stopped repair": par2 was stopped after it had renamed the damaged volume to
        // "<volume>.1"; that copy holds nearly all the blocks the recovery data lacks. "no SFV":
        // only the damage, with no SFV list to see it: the extraction fails on its CRC, names the
        // volume, and the set is repaired and extracted again, once. "damaged header": no SFV list,
        // and a later volume's main header damaged: libunrar is never handed the set, whose plan
        // names that volume, and the repair mends it.
        QTest::addColumn<QString>("variant");
        QTest::newRow("enough recovery")
            << 10 << true << true << true << "repaired the set" << QString();
        QTest::newRow("enough recovery, exit seen by the event pump")
            << 10 << true << true << true << "repaired the set" << QString("event pump");
        QTest::newRow("too little recovery but the copy of a stopped repair")
            << 6 << true << true << true << "repaired the set" << QString("stopped repair");
        QTest::newRow("damage found by the extraction")
            << 10 << true << true << true << "repaired the set" << QString("no SFV");
        QTest::newRow("a later volume's main header damaged")
            << 10 << true << true << true << "repaired the set" << QString("damaged header");
        QTest::newRow("too little recovery")
            << 1 << true << true << false << "cannot repair the set" << QString();
        QTest::newRow("damage found by the extraction, too little recovery")
            << 1 << true << true << false << "cannot repair the set" << QString("no SFV");
        QTest::newRow("no par2 on the machine")
            << 10 << true << false << false << "par2 is not installed" << QString();
        QTest::newRow("repair switched off")
            << 10 << false << true << false << "did not check out" << QString();
    }
    void repairThenExtract()
    {
        QFETCH(int, redundancy);
        QFETCH(bool, repairOn);
        QFETCH(bool, par2OnPath);
        QFETCH(bool, extracted);
        QFETCH(QString, logged);
        QFETCH(QString, variant);
        QTemporaryDir dir;
        const QString rel = dir.path();
        writeFile(rel + "/src/movie.iso", 1000 * 1024, 5);
        const QStringList volumes = makeRarSet(rel, "movie.rar", {"src/movie.iso"}, 50);
        QVERIFY(volumes.size() >= 20);
        QStringList names;
        for (const QString &volume : volumes)
            names << QFileInfo(volume).fileName();
        const bool noSfv = variant == "no SFV" || variant == "damaged header";
        if (!noSfv)
            QVERIFY(makeSfv(rel, "movie.sfv", names));
        QVERIFY(run("par2",
                    QStringList{"create", "-q", "-q", QStringLiteral("-r%1").arg(redundancy),
                                "movie.par2"} +
                        names,
                    rel));
        QCOMPARE(Par2DescribedFiles(rel + "/movie.par2").size(), names.size());
        // Without an SFV list, too little recovery for far more damage than it mends.
        if (variant == "damaged header")
            Damage(volumes.at(3), 2, 10);
        else
            Damage(volumes.at(3), noSfv && redundancy < 5 ? 40000 : 200);
        if (!noSfv)
            QVERIFY(QFile::remove(volumes.at(7)));
        if (!noSfv && redundancy < 5)
            QVERIFY(QFile::remove(volumes.at(9)));
        if (variant == "stopped repair") {
            // Damaged within its first 16 KiB as well, so the copy is not taken for the volume by
            // its name check and is left to par2.
            Damage(volumes.at(3), 200, 1000);
            QVERIFY(QFile::rename(volumes.at(3), volumes.at(3) + ".1"));
        }
        const QByteArray payload = readAll(rel + "/src/movie.iso");
        QDir(rel + "/src").removeRecursively();

        const QByteArray path = qgetenv("PATH");
        QTemporaryDir emptyPath;
        if (!par2OnPath)
            qputenv("PATH", emptyPath.path().toUtf8());
        TestContext t;
        t.settings.setDeleteSources(true);
        t.settings.setRepairWithPar2(repairOn);
        t.platform.pumpRealEvents = variant == "event pump";
        UnPack(t.context, rel);
        qputenv("PATH", path);

        const QString log = t.log.messages().join('\n');
        QVERIFY2(t.log.contains(logged), qPrintable(log));
        QCOMPARE(log.contains("CRC error in movie.iso (movie.part"), variant == "no SFV");
        QCOMPARE(log.count("Repairing the set with movie.par2"), int(repairOn));
        if (extracted) {
            QCOMPARE(readAll(rel + "/movie.iso"), payload);
            // Volumes, the copies par2 kept of the damaged ones, the PAR2 and SFV files: gone; the
            // copy of an earlier job's repair stays.
            QCOMPARE(listTree(rel), variant == "stopped repair"
                                        ? QStringList({"movie.iso", names.at(3) + ".1"})
                                        : QStringList{"movie.iso"});
        } else {
            // The damaged volume is named where the user looks.
            if (!repairOn)
                QVERIFY(t.log.contains("Damaged: " + QFileInfo(volumes.at(3)).fileName()));
            QVERIFY(!QFileInfo::exists(rel + "/movie.iso"));
            QVERIFY(QFileInfo::exists(volumes.first()));
            QVERIFY(QFileInfo::exists(rel + "/movie.par2"));
            QVERIFY(t.log.contains(QStringLiteral("0 archive(s) unpacked")));
        }
    }
};

QTEST_GUILESS_MAIN(TestPar2Repair)
#include "tst_par2repair.moc"
