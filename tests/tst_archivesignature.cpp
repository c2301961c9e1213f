// Archives known by their content: signatures, what RAR volume headers say (real RAR 5 volumes made
// by rar, RAR 4 headers written byte by byte), the order of volumes, and the names restored.

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>
#include <unrar/dll.hpp>
#include <zlib.h>

#include "engine/ArchiveSignature.h"
#include "engine/NameRestore.h"
#include "engine/RarStoredParts.h"
#include "engine/RarVolumeOrder.h"
#include "support/Rar4Writer.h"
#include "support/ReleaseMaker.h"

namespace {

QByteArray Le(quint32 value, int count)
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i)
        bytes += char((value >> (8 * i)) & 0xFF);
    return bytes;
}

// A RAR 4 block: the CRC16 of what follows it, type, flags, size, then the fields.
QByteArray Rar4Block(uchar type, int flags, const QByteArray &fields)
{
    const QByteArray rest = char(type) + Le(flags, 2) + Le(7 + fields.size(), 2) + fields;
    return Le(crc32(0, reinterpret_cast<const Bytef *>(rest.constData()), uInt(rest.size())), 2) +
           rest;
}

// Writes a RAR 4 volume of 100 bytes of the entry movie.iso (5000 bytes unpacked) to path, with
// an end record giving its number; returns path.
QString Rar4Volume(const QString &path, int mainFlags, int fileFlags, int number, bool more)
{
    const QByteArray file =
        Le(100, 4) + Le(5000, 4) + QByteArray(11, '\0') + Le(9, 2) + Le(0, 4) + "movie.iso";
    ReleaseMaker::writeText(
        path, QByteArray("Rar!\x1A\x07\x00", 7) + Rar4Block(0x73, mainFlags, QByteArray(6, '\0')) +
                  Rar4Block(0x74, 0x8000 | fileFlags, file) + QByteArray(100, 'd') +
                  Rar4Block(0x7B, (more ? 0x1 : 0) | 0xA, Le(0, 4) + Le(number, 2)));
    return path;
}

// What Tevo reads of a file's head in one line: its kind, and for a readable RAR file its flags,
// volume number and first and last entry (unpacked size), "<" where the entry runs on from the
// volume before, ">" where it runs on into the next.
QString Described(const RarVolumeHeaders &h)
{
    const char *kinds[] = {"none", "RAR4", "RAR5", "7z", "ZIP"};
    if (!h.readable)
        return kinds[int(h.kind)];
    const QString words = QStringList{kinds[int(h.kind)],           h.isVolume ? "volume" : "",
                                      h.firstVolume ? "first" : "", h.newNumbering ? "new" : "",
                                      h.endRead ? "end" : "",       h.moreVolumes ? "more" : ""}
                              .join(' ')
                              .simplified();
    const auto mark = [](const RarEntryMark &m) {
        return (m.splitBefore ? "<" : "") + m.name + QStringLiteral("(%1)").arg(m.size) +
               (m.splitAfter ? ">" : "");
    };
    return words + " #" + QString::number(h.number) + ": " + mark(h.first) + " .. " + mark(h.last);
}

// A volume as OrderRarVolumes sees it, from "path size number first last [+] [encrypted]": "<"
// before the first entry's name when it runs on from the volume before, ">" after the last's
// when it runs on into the next, "+" when the end record says more volumes follow.
RarVolumeFile Volume(const QString &line)
{
    const QStringList f = line.split(' ');
    RarVolumeFile v{f[0], f[1].toLongLong(), {}};
    RarVolumeHeaders &h = v.headers;
    h.kind = ArchiveKind::Rar5;
    h.readable = h.isVolume = h.endRead = true;
    h.number = f[2].toInt();
    h.firstVolume = h.number == 0;
    h.first = {QString(f[3]).remove('<'), 1000, f[3].startsWith('<'), false};
    h.last = {QString(f[4]).remove('>'), 1000, false, f[4].endsWith('>')};
    h.moreVolumes = f.contains("+");
    h.encryptedHeaders = f.contains("encrypted");
    return v;
}

// Each file header of the set whose first volume is first as libunrar lists it, one line each:
// volume, name, data size, entry size, split marks, whether it is a plain stored file, and if so
// its CRC-32 (for others, libunrar's field may hold anything).
QStringList LibunrarParts(const QString &first)
{
    QByteArray name = QFile::encodeName(first);
    RAROpenArchiveDataEx open = {};
    open.ArcName = name.data();
    open.OpenMode = RAR_OM_LIST_INCSPLIT;
    HANDLE archive = RAROpenArchiveEx(&open);
    QStringList lines;
    RARHeaderDataEx h = {};
    while (archive && RARReadHeaderEx(archive, &h) == ERAR_SUCCESS) {
        const bool plain = h.Method == 0x30 && h.HashType == RAR_HASH_CRC32 && h.RedirType == 0 &&
                           !(h.Flags & (RHDF_ENCRYPTED | RHDF_SOLID | RHDF_DIRECTORY)) &&
                           !(h.HostOS == 3 && S_ISLNK(h.FileAttr));
        lines << QStringList{QFileInfo(QString::fromWCharArray(h.ArcNameW)).fileName(),
                             QString::fromWCharArray(h.FileNameW),
                             QString::number((qint64(h.PackSizeHigh) << 32) + h.PackSize),
                             QString::number((qint64(h.UnpSizeHigh) << 32) + h.UnpSize),
                             plain ? QString::number(h.FileCRC, 16) : "",
                             (h.Flags & RHDF_SPLITBEFORE) ? "<" : "-",
                             (h.Flags & RHDF_SPLITAFTER) ? ">" : "-",
                             plain ? "plain" : "not"}
                     .join(' ');
        RARProcessFile(archive, RAR_SKIP, nullptr, nullptr);
    }
    if (archive)
        RARCloseArchive(archive);
    return lines;
}

QStringList TevoParts(const QStringList &volumes)
{
    QStringList lines;
    for (const QString &volume : volumes) {
        for (const RarDataPart &p : ReadRarDataParts(volume))
            lines << QStringList{QFileInfo(volume).fileName(),
                                 p.name,
                                 QString::number(p.size),
                                 QString::number(p.entrySize),
                                 p.plain ? QString::number(p.crc, 16) : "",
                                 p.splitBefore ? "<" : "-",
                                 p.splitAfter ? ">" : "-",
                                 p.plain ? "plain" : "not"}
                         .join(' ');
    }
    return lines;
}

} // namespace

class TestArchiveSignature : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    // The signatures that no release in tst_obfuscated shows, and what the headers of volumes made
    // by rar and of RAR 4 volumes written byte by byte say: numbers, first-volume flag, numbering,
    // entries running over the edges, end records.
    void heads_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("headers");
        const QString dir = m_dir.path();
        const auto head = [&](const char *name, const QByteArray &bytes) {
            ReleaseMaker::writeText(dir + "/" + name, bytes);
            return dir + "/" + name;
        };
        QTest::newRow("empty ZIP") << head("he", QByteArray("PK\x05\x06\x00\x00", 6)) << "ZIP";
        QTest::newRow("cut RAR signature") << head("hc", QByteArray("Rar!\x1A", 5)) << "none";
        ReleaseMaker::writeFile(dir + "/movie.iso", 250 * 1024, 3);
        ReleaseMaker::writeFile(dir + "/extra.txt", 10 * 1024, 4);
        const QStringList v =
            ReleaseMaker::makeRarSet(dir, "movie", {"movie.iso", "extra.txt"}, 100);
        QCOMPARE(v.size(), 3);
        QTest::newRow("RAR 5, first") << v[0]
                                      << "RAR5 volume first new end more #0: "
                                         "movie.iso(256000)> .. movie.iso(256000)>";
        QTest::newRow("RAR 5, last")
            << v[2] << "RAR5 volume new end #2: <movie.iso(256000) .. extra.txt(10240)";
        // A single archive is no volume.
        ReleaseMaker::run("rar", {"a", "-idq", "-m0", "single", "extra.txt"}, dir);
        QTest::newRow("RAR 5, single archive")
            << dir + "/single.rar"
            << "RAR5 new end #-1: extra.txt(10240) .. extra.txt(10240)";
        QTest::newRow("RAR 4, first, new numbering")
            << Rar4Volume(dir + "/a", 0x0111, 0x2, 0, true)
            << "RAR4 volume first new end more #0: movie.iso(5000)> .. movie.iso(5000)>";
        QTest::newRow("RAR 4, middle, old numbering")
            << Rar4Volume(dir + "/b", 0x0001, 0x3, 4, true)
            << "RAR4 volume end more #4: <movie.iso(5000)> .. <movie.iso(5000)>";
        QTest::newRow("RAR 4, last")
            << Rar4Volume(dir + "/c", 0x0011, 0x1, 7, false)
            << "RAR4 volume new end #7: <movie.iso(5000) .. <movie.iso(5000)";
    }
    void heads()
    {
        QFETCH(QString, path);
        QFETCH(QString, headers);
        QCOMPARE(Described(ReadRarVolumeHeaders(path)), headers);
    }

    // Sets under random names in one folder, told apart by the entries they continue; each chain
    // is its volumes in order, "+" when complete.
    void order_data()
    {
        QTest::addColumn<QStringList>("volumes");
        QTest::addColumn<QStringList>("chains");
        QTest::newRow("two sets of the same numbers")
            << QStringList{"p 1000 1 <x x", "q 1000 0 y y> +", "r 1000 0 x x> +", "s 1000 1 <y y"}
            << QStringList{"q s +", "r p +"};
        QTest::newRow("encrypted headers tell no order")
            << QStringList{"a 1000 0 a a> +", "b 1000 1 <a a encrypted"} << QStringList{"a -"};
        QTest::newRow("the same-sized one goes on")
            << QStringList{"a 1000 0 a b +", "b 10 1 c c", "c 1000 1 d d +", "d 20 2 e e"}
            << QStringList{"a c d +"};
    }
    void order()
    {
        QFETCH(QStringList, volumes);
        QFETCH(QStringList, chains);
        QList<RarVolumeFile> files;
        for (const QString &line : volumes)
            files << Volume(line);
        QStringList found;
        for (const RarVolumeChain &chain : OrderRarVolumes(files)) {
            QStringList paths;
            for (const RarVolumeFile &v : chain.volumes)
                paths << v.path;
            found << paths.join(' ') + (chain.complete ? " +" : " -");
        }
        QCOMPARE(found, chains);
    }

    // Where Tevo's own reader finds each entry's data, against libunrar's listing of the same
    // volumes: every part of every entry alike, and plain stored files told apart from
    // compressed, encrypted, BLAKE2-checked, linked and folder entries.
    void dataPartsAgreeWithLibunrar_data()
    {
        QTest::addColumn<QStringList>("rarArguments");
        QTest::newRow("stored volumes") << QStringList{"-m0", "-v100k"};
        QTest::newRow("compressed volumes") << QStringList{"-m3", "-v100k"};
        QTest::newRow("encrypted files") << QStringList{"-m0", "-psecret"};
        QTest::newRow("BLAKE2 checksums") << QStringList{"-m0", "-htb"};
        QTest::newRow("links kept") << QStringList{"-m0", "-oh", "-ol"};
        QTest::newRow("RAR 4, written byte by byte") << QStringList{};
    }
    void dataPartsAgreeWithLibunrar()
    {
        QFETCH(QStringList, rarArguments);
        QTemporaryDir dir;
        const QString src = dir.path();
        const QByteArray movie =
            ReleaseMaker::readAll(ReleaseMaker::writeFile(src + "/movie.iso", 250 * 1024, 3));
        ReleaseMaker::writeFile(src + "/Sub/extra.txt", 10 * 1024, 4, true);
        QVERIFY(::link(QFile::encodeName(src + "/movie.iso"),
                       QFile::encodeName(src + "/copy.iso")) == 0);
        QVERIFY(::symlink("movie.iso", QFile::encodeName(src + "/link.iso")) == 0);
        if (rarArguments.isEmpty()) {
            const QList<Rar4Writer::Entry> parts = Rar4Writer::Split("movie.iso", movie, 100000);
            ReleaseMaker::writeText(src + "/x.rar",
                                    Rar4Writer::Volume({parts[0]}, true, true, true, true));
            ReleaseMaker::writeText(
                src + "/x.r00",
                Rar4Writer::Volume({parts[1], {"a.txt", "text"}}, true, false, true, false));
        } else {
            QVERIFY(ReleaseMaker::run(
                "rar",
                QStringList{"a", "-idq"} + rarArguments +
                    QStringList{"x.rar", "movie.iso", "Sub", "copy.iso", "link.iso"},
                src));
        }
        QStringList volumes = QDir(src).entryList({"x.*"}, QDir::Files, QDir::Name);
        for (QString &volume : volumes)
            volume = src + '/' + volume;
        if (volumes.first().endsWith(".r00"))
            volumes.move(0, volumes.size() - 1); // x.rar comes first
        const QStringList listed = LibunrarParts(volumes.first());
        QVERIFY(listed.size() >= 2);
        QCOMPARE(TevoParts(volumes), listed);
    }

    void restoredNames()
    {
        QCOMPARE(RestoredVolumeName("s", 0, 4, true), "s.part1.rar");
        QCOMPARE(RestoredVolumeName("s", 11, 120, true), "s.part012.rar");
        QCOMPARE(RestoredVolumeName("s", 0, 5, false), "s.rar");
        QCOMPARE(RestoredVolumeName("s", 1, 5, false), "s.r00");
        QCOMPARE(RestoredVolumeName("s", 101, 150, false), "s.s00"); // past .r99
    }
};

QTEST_GUILESS_MAIN(TestArchiveSignature)
#include "tst_archivesignature.moc"
