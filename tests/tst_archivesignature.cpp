// Archives known by their content: signatures, what RAR volume headers say (real RAR 5 volumes made
// by rar, RAR 4 headers written byte by byte), the order of volumes, and the names restored.

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <zlib.h>

#include "engine/ArchiveSignature.h"
#include "engine/NameRestore.h"
#include "engine/RarVolumeOrder.h"
#include "support/ReleaseMaker.h"

namespace {

void PutLe16(QByteArray &bytes, int at, quint16 value)
{
    bytes[at] = char(value & 0xFF);
    bytes[at + 1] = char(value >> 8);
}

void PutLe32(QByteArray &bytes, int at, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char((value >> (8 * i)) & 0xFF);
}

// A RAR 4 block: CRC16, type, flags, size, then body; the CRC is that of everything after it.
QByteArray Rar4Block(uchar type, quint16 flags, const QByteArray &body)
{
    QByteArray block(7, '\0');
    block[2] = char(type);
    PutLe16(block, 3, flags);
    PutLe16(block, 5, quint16(7 + body.size()));
    block += body;
    const uLong crc =
        crc32(crc32(0, nullptr, 0), reinterpret_cast<const Bytef *>(block.constData() + 2),
              uInt(block.size() - 2));
    PutLe16(block, 0, quint16(crc & 0xFFFF));
    return block;
}

// A RAR 4 volume holding one entry of packSize bytes, with an end record giving its number.
QByteArray Rar4Volume(quint16 mainFlags, quint16 fileFlags, int number, bool more)
{
    const QByteArray data(100, 'd');
    QByteArray file(25, '\0');
    PutLe32(file, 0, quint32(data.size())); // packed size
    PutLe32(file, 4, 5000);                 // unpacked size
    PutLe16(file, 19, 9);                   // name size
    file += "movie.iso";
    QByteArray end(6, '\0');
    QByteArray volume("Rar!\x1A\x07\x00", 7);
    volume += Rar4Block(0x73, mainFlags, QByteArray(6, '\0'));
    volume += Rar4Block(0x74, quint16(0x8000 | fileFlags), file) + data;
    PutLe16(end, 4, quint16(number));
    volume += Rar4Block(0x7B, quint16((more ? 0x1 : 0) | 0x2 | 0x8), end);
    return volume;
}

RarVolumeFile Volume(const QString &path, qint64 size, int number, const QString &first,
                     bool splitBefore, const QString &last, bool splitAfter, bool more)
{
    RarVolumeFile v;
    v.path = path;
    v.size = size;
    v.headers.kind = ArchiveKind::Rar5;
    v.headers.readable = true;
    v.headers.isVolume = true;
    v.headers.number = number;
    v.headers.firstVolume = number == 0;
    v.headers.first = {first, 1000, splitBefore, false};
    v.headers.last = {last, 1000, false, splitAfter};
    v.headers.endRead = true;
    v.headers.moreVolumes = more;
    return v;
}

} // namespace

Q_DECLARE_METATYPE(RarVolumeFile)

class TestArchiveSignature : public QObject
{
    Q_OBJECT

private slots:
    void kinds_data()
    {
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<int>("kind");
        QTest::newRow("RAR 5") << QByteArray("Rar!\x1A\x07\x01\x00", 8) << int(ArchiveKind::Rar5);
        QTest::newRow("RAR 4") << QByteArray("Rar!\x1A\x07\x00\xCF", 8) << int(ArchiveKind::Rar4);
        QTest::newRow("7z") << QByteArray("7z\xBC\xAF\x27\x1C\x00\x04", 8)
                            << int(ArchiveKind::SevenZip);
        QTest::newRow("ZIP") << QByteArray("PK\x03\x04\x14\x00", 6) << int(ArchiveKind::Zip);
        QTest::newRow("empty ZIP") << QByteArray("PK\x05\x06\x00\x00", 6) << int(ArchiveKind::Zip);
        QTest::newRow("cut RAR signature") << QByteArray("Rar!\x1A", 5) << int(ArchiveKind::None);
        QTest::newRow("text") << QByteArray("Rar! is a word") << int(ArchiveKind::None);
    }
    void kinds()
    {
        QFETCH(QByteArray, head);
        QFETCH(int, kind);
        QCOMPARE(int(ArchiveKindOf(head)), kind);
    }

    // Volumes made by rar: numbers, first-volume flag, entries running over the edges, end records.
    void rar5Volumes()
    {
        QTemporaryDir dir;
        ReleaseMaker::writeFile(dir.filePath("movie.iso"), 250 * 1024, 3);
        ReleaseMaker::writeFile(dir.filePath("extra.txt"), 10 * 1024, 4);
        const QStringList volumes =
            ReleaseMaker::makeRarSet(dir.path(), "movie", {"movie.iso", "extra.txt"}, 100);
        QCOMPARE(volumes.size(), 3);
        QList<RarVolumeHeaders> h;
        for (const QString &volume : volumes)
            h << ReadRarVolumeHeaders(volume);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(int(h[i].kind), int(ArchiveKind::Rar5));
            QVERIFY(h[i].readable && h[i].isVolume && h[i].newNumbering && h[i].endRead);
            QCOMPARE(h[i].number, i);
            QCOMPARE(h[i].firstVolume, i == 0);
            QCOMPARE(h[i].moreVolumes, i < 2);
            QCOMPARE(h[i].first.name, QStringLiteral("movie.iso"));
            QCOMPARE(h[i].first.splitBefore, i > 0);
        }
        QVERIFY(h[0].last.splitAfter && h[1].last.splitAfter);
        QCOMPARE(h[2].last.name, QStringLiteral("extra.txt"));
        QVERIFY(!h[2].last.splitAfter);

        // A single archive is no volume; a volume cut short has no end record.
        ReleaseMaker::run("rar", {"a", "-idq", "-m0", "single", "extra.txt"}, dir.path());
        const RarVolumeHeaders single = ReadRarVolumeHeaders(dir.filePath("single.rar"));
        QVERIFY(single.readable && !single.isVolume);
        QFile cut(volumes.at(1));
        QVERIFY(cut.resize(50 * 1024));
        QVERIFY(!ReadRarVolumeHeaders(volumes.at(1)).endRead);
    }

    void rar4Headers_data()
    {
        QTest::addColumn<int>("mainFlags");
        QTest::addColumn<int>("fileFlags");
        QTest::addColumn<int>("number");
        QTest::addColumn<bool>("more");
        QTest::newRow("first, new numbering") << 0x0111 << 0x2 << 0 << true;
        QTest::newRow("middle, old numbering") << 0x0001 << 0x3 << 4 << true;
        QTest::newRow("last") << 0x0011 << 0x1 << 7 << false;
    }
    void rar4Headers()
    {
        QFETCH(int, mainFlags);
        QFETCH(int, fileFlags);
        QFETCH(int, number);
        QFETCH(bool, more);
        QTemporaryDir dir;
        ReleaseMaker::writeText(dir.filePath("v"),
                                Rar4Volume(quint16(mainFlags), quint16(fileFlags), number, more));
        const RarVolumeHeaders h = ReadRarVolumeHeaders(dir.filePath("v"));
        QCOMPARE(int(h.kind), int(ArchiveKind::Rar4));
        QVERIFY(h.readable && h.isVolume && h.endRead);
        QCOMPARE(h.firstVolume, bool(mainFlags & 0x100));
        QCOMPARE(h.newNumbering, bool(mainFlags & 0x10));
        QCOMPARE(h.number, number);
        QCOMPARE(h.moreVolumes, more);
        QCOMPARE(h.first.name, QStringLiteral("movie.iso"));
        QCOMPARE(h.first.size, qint64(5000));
        QCOMPARE(h.first.splitBefore, bool(fileFlags & 0x1));
        QCOMPARE(h.last.splitAfter, bool(fileFlags & 0x2));
    }

    // Two sets under random names in one folder, told apart by the entries they continue.
    void order_data()
    {
        QTest::addColumn<QList<RarVolumeFile>>("volumes");
        QTest::addColumn<QStringList>("chains");
        const int k = 1000;
        QTest::newRow("one set, shuffled")
            << QList<RarVolumeFile>{Volume("c", k, 2, "a", true, "a", false, false),
                                    Volume("a", k, 0, "a", false, "a", true, true),
                                    Volume("b", k, 1, "a", true, "a", true, true)}
            << QStringList{"a b c +"};
        QTest::newRow("two sets of the same numbers")
            << QList<RarVolumeFile>{Volume("p", k, 1, "x", true, "x", false, false),
                                    Volume("q", k, 0, "y", false, "y", true, true),
                                    Volume("r", k, 0, "x", false, "x", true, true),
                                    Volume("s", k, 1, "y", true, "y", false, false)}
            << QStringList{"q s +", "r p +"};
        QTest::newRow("a volume missing")
            << QList<RarVolumeFile>{Volume("a", k, 0, "a", false, "a", true, true),
                                    Volume("c", k, 2, "a", true, "a", false, false)}
            << QStringList{"a -"};
        RarVolumeFile hidden = Volume("b", k, 1, "a", true, "a", false, false);
        hidden.headers.encryptedHeaders = true;
        QTest::newRow("encrypted headers tell no order")
            << QList<RarVolumeFile>{Volume("a", k, 0, "a", false, "a", true, true), hidden}
            << QStringList{"a -"};
        QTest::newRow("the same-sized one goes on")
            << QList<RarVolumeFile>{Volume("a", k, 0, "a", false, "b", false, true),
                                    Volume("b", 10, 1, "c", false, "c", false, false),
                                    Volume("c", k, 1, "d", false, "d", false, true),
                                    Volume("d", 20, 2, "e", false, "e", false, false)}
            << QStringList{"a c d +"};
    }
    void order()
    {
        QFETCH(QList<RarVolumeFile>, volumes);
        QFETCH(QStringList, chains);
        QStringList found;
        for (const RarVolumeChain &chain : OrderRarVolumes(volumes)) {
            QStringList paths;
            for (const RarVolumeFile &v : chain.volumes)
                paths << v.path;
            found << paths.join(' ') + (chain.complete ? " +" : " -");
        }
        QCOMPARE(found, chains);
    }

    void restoredNames_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("newNumbering");
        QTest::addColumn<QString>("name");
        QTest::newRow("part, few") << 0 << 4 << true << "s.part1.rar";
        QTest::newRow("part, many") << 11 << 120 << true << "s.part012.rar";
        QTest::newRow("old, first") << 0 << 5 << false << "s.rar";
        QTest::newRow("old, second") << 1 << 5 << false << "s.r00";
        QTest::newRow("old, past r99") << 101 << 150 << false << "s.s00";
    }
    void restoredNames()
    {
        QFETCH(int, index);
        QFETCH(int, count);
        QFETCH(bool, newNumbering);
        QFETCH(QString, name);
        QCOMPARE(RestoredVolumeName("s", index, count, newNumbering), name);
    }
};

QTEST_GUILESS_MAIN(TestArchiveSignature)
#include "tst_archivesignature.moc"
