// Sets extracted through the staging folder and published: links on the way, RAR 5 hard links
// and file copies, link chains, modes under the umask, and what is taken for a dead staging
// folder.

#include <fcntl.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "engine/Pipeline.h"
#include "engine/RarExtractor.h"
#include "engine/SetPublish.h"
#include "engine/StagingFolder.h"
#include "support/Fakes.h"
#include "support/ReleaseMaker.h"
#include "support/Sanitizers.h"

using namespace ReleaseMaker;

namespace {

// Every entry below folder with its kind and content (a link's target), for comparing trees.
QStringList describeTree(const QString &folder)
{
    QStringList lines;
    for (const StagedEntry &entry : ListStagedTree(folder + QLatin1Char('/'))) {
        const QString path = folder + QLatin1Char('/') + entry.name;
        switch (entry.kind) {
        case StagedEntry::Kind::File:
            lines << entry.name + " = " + QString::fromLatin1(readAll(path).toHex().left(16)) +
                         " " + QString::number(entry.size);
            break;
        case StagedEntry::Kind::Link:
            lines << entry.name + " -> " + QFile::symLinkTarget(path);
            break;
        default:
            lines << entry.name + "/";
        }
    }
    lines.sort();
    return lines;
}

QString rawLinkTarget(const QString &path)
{
    char buffer[4096];
    const ssize_t size = ::readlink(QFile::encodeName(path).constData(), buffer, sizeof buffer);
    return size <= 0 ? QString() : QFile::decodeName(QByteArray(buffer, int(size)));
}

// The CRC-32 of RAR 5 headers.
quint32 crc32Of(const QByteArray &bytes)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : bytes) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// Replaces the last occurrence of from (the source name of a file-copy entry) by to, of the same
// length, and writes that header's CRC anew: a header block starts with its CRC-32 over the size
// field and the header that follow.
bool patchCopySource(const QString &archive, const QByteArray &from, const QByteArray &to)
{
    QByteArray data = readAll(archive);
    const qsizetype at = data.lastIndexOf(from);
    if (at < 0 || from.size() != to.size())
        return false;
    for (qsizetype start = at - 5; start >= qMax<qsizetype>(0, at - 300); --start) {
        quint64 size = 0;
        qsizetype pos = start + 4;
        for (int shift = 0; pos < data.size() && shift < 63; shift += 7) {
            const quint8 byte = quint8(data.at(pos++));
            size |= quint64(byte & 0x7F) << shift;
            if (!(byte & 0x80))
                break;
        }
        const qsizetype end = pos + qsizetype(size);
        if (end <= at || end > data.size())
            continue;
        quint32 stored = 0;
        for (int i = 0; i < 4; ++i)
            stored |= quint32(quint8(data.at(start + i))) << (8 * i);
        if (crc32Of(data.mid(start + 4, end - start - 4)) != stored)
            continue;
        data.replace(at, to.size(), to);
        const quint32 crc = crc32Of(data.mid(start + 4, end - start - 4));
        for (int i = 0; i < 4; ++i)
            data[start + i] = char((crc >> (8 * i)) & 0xFF);
        writeText(archive, data);
        return true;
    }
    return false;
}

unsigned modeOf(const QString &path)
{
    struct stat info;
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : ~0u;
}

// Sets the process umask for the life of one test row.
struct UmaskScope
{
    explicit UmaskScope(unsigned mask) : old(::umask(mask)) {}
    ~UmaskScope() { ::umask(old); }
    mode_t old;
};

} // namespace

class TestStaging : public QObject
{
    Q_OBJECT

private slots:
    // A release reached through a link (dl -> disk/dl): the link stays a link, in place and with
    // a custom destination reached through a link of its own.
    void linkOnThePathStaysALink_data()
    {
        QTest::addColumn<bool>("customDestination");
        QTest::newRow("in place") << false;
        QTest::newRow("custom destination through a link") << true;
    }
    void linkOnThePathStaysALink()
    {
        QFETCH(bool, customDestination);
        QTemporaryDir dir;
        const QString disk = dir.filePath("disk");
        writeFile(disk + "/dl/rel/movie.iso", 300 * 1024, 4);
        makeRarSet(disk + "/dl/rel", "movie", {"movie.iso"}, 100);
        const QByteArray payload = readAll(disk + "/dl/rel/movie.iso");
        QVERIFY(QFile::remove(disk + "/dl/rel/movie.iso"));
        QVERIFY(QFile::link("disk/dl", dir.filePath("dl")));
        QVERIFY(QDir().mkpath(disk + "/out"));
        QVERIFY(QFile::link("disk/out", dir.filePath("out")));

        TestContext t;
        if (customDestination) {
            t.settings.setOutputMode(OutputModeChoice::CustomDir);
            t.settings.setCustomOutputDir(dir.filePath("out"));
            t.settings.setSubdirPerEntry(false);
        }
        const QStringList extracted = UnPack(t.context, dir.filePath("dl/rel"));
        QVERIFY2(t.log.contains("1 archive(s) unpacked"), qPrintable(t.log.lines.join('\n')));
        QVERIFY(QFileInfo(dir.filePath("dl")).isSymLink());
        QVERIFY(QFileInfo(dir.filePath("out")).isSymLink());
        const QString written =
            customDestination ? disk + "/out/movie.iso" : disk + "/dl/rel/movie.iso";
        QCOMPARE(readAll(written), payload);
        QCOMPARE(extracted.size(), 1);
        // Nothing of the staging folder is left.
        QVERIFY(QDir(disk + "/dl/rel")
                    .entryList({".tevo-*"}, QDir::AllEntries | QDir::Hidden)
                    .isEmpty());
        QVERIFY(
            QDir(disk + "/out").entryList({".tevo-*"}, QDir::AllEntries | QDir::Hidden).isEmpty());
    }

    // Hard links (rar -oh) and file copies (rar -oi) come out as unrar x makes them, whatever the
    // working folder holds.
    void hardLinksAndCopiesAsUnrarMakesThem_data()
    {
        QTest::addColumn<QString>("option");
        QTest::newRow("hard links") << "-oh";
        QTest::newRow("file copies") << "-oi";
    }
    void hardLinksAndCopiesAsUnrarMakesThem()
    {
        QFETCH(QString, option);
        QTemporaryDir dir;
        const QString src = dir.filePath("src");
        writeFile(src + "/keys/id_key", 5000, 8);
        writeFile(src + "/data/big.bin", 400 * 1024, 9);
        QVERIFY(QDir().mkpath(src + "/copy"));
        if (option == "-oh") {
            QVERIFY(::link(QFile::encodeName(src + "/keys/id_key").constData(),
                           QFile::encodeName(src + "/copy/id_key").constData()) == 0);
        } else {
            QVERIFY(QFile::copy(src + "/keys/id_key", src + "/copy/id_key"));
            QVERIFY(QFile::copy(src + "/data/big.bin", src + "/copy/big.bin"));
        }
        QVERIFY(run("rar",
                    {"a", "-idq", "-ma5", option, dir.filePath("set.rar"), "keys", "data", "copy"},
                    src));
        QVERIFY(QDir().mkpath(dir.filePath("ref")));
        QVERIFY(run("unrar", {"x", "-idq", dir.filePath("set.rar")}, dir.filePath("ref")));

        // A working folder with a file of the copy source's name: it must never be read.
        QTemporaryDir cwd;
        writeFile(cwd.filePath("keys/id_key"), 100, 77);
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(cwd.path()));
        TestContext t;
        QStringList extracted;
        bool incomplete = false;
        const bool ok = ExtractRARArchive(t.context, dir.filePath("set.rar"), dir.filePath("out"),
                                          extracted, incomplete);
        QDir::setCurrent(before);
        QVERIFY2(ok, qPrintable(t.log.lines.join('\n')));
        QCOMPARE(describeTree(dir.filePath("out")), describeTree(dir.filePath("ref")));
    }

    // A file copy whose source lies outside the archive's tree is left out with its log line;
    // the rest is published, and the set keeps its sources.
    void copySourceOutsideIsLeftOut()
    {
        QTemporaryDir dir;
        const QString src = dir.filePath("src");
        writeFile(src + "/zz/x", 200 * 1024, 6);
        QVERIFY(QDir().mkpath(src + "/b"));
        QVERIFY(QFile::copy(src + "/zz/x", src + "/b/x"));
        const QString rel = dir.filePath("rel");
        QVERIFY(QDir().mkpath(rel));
        // No quick-open record, which would hold a second copy of the headers.
        QVERIFY(run("rar", {"a", "-idq", "-ma5", "-oi", "-qo-", rel + "/set.rar", "zz", "b"}, src));
        writeText(dir.filePath("x"), "outside");
        QVERIFY(patchCopySource(rel + "/set.rar", "zz/x", "../x"));

        TestContext t;
        t.settings.setDeleteSources(true);
        UnPack(t.context, rel);
        QVERIFY2(t.log.contains(t.language.LangText(216, {"b/x", "../x"})),
                 qPrintable(t.log.lines.join('\n')));
        QCOMPARE(readAll(rel + "/zz/x"), readAll(src + "/zz/x"));
        QVERIFY(!QFileInfo::exists(rel + "/b/x"));
        QVERIFY(QFileInfo::exists(rel + "/set.rar"));
        QVERIFY(t.log.contains("1 of its entries were left out"));
        QCOMPARE(readAll(dir.filePath("x")), QByteArray("outside"));
    }

    // a/b/c/x -> ../../../q is inside; a/b/c/l -> x/../.. then leads above the destination and
    // is left out with its log line; nothing is made or points outside.
    void linkChainLeavesNothingOutside()
    {
        QTemporaryDir dir;
        const QString src = dir.filePath("src");
        QVERIFY(QDir().mkpath(src + "/a/b/c"));
        writeFile(src + "/q", 100, 3);
        QVERIFY(QFile::link("../../../q", src + "/a/b/c/x"));
        QVERIFY(QFile::link("x/../..", src + "/a/b/c/l"));
        QVERIFY(run("rar", {"a", "-idq", "-ol", dir.filePath("set.rar"), "q", "a/b/c/x"}, src));
        QVERIFY(run("rar", {"a", "-idq", "-ol", dir.filePath("set.rar"), "a/b/c/l"}, src));
        writeFile(dir.filePath("dest/sentinel"), 10, 1);

        TestContext t;
        QStringList extracted;
        bool incomplete = false;
        const QString out = dir.filePath("dest/out");
        ExtractRARArchive(t.context, dir.filePath("set.rar"), out, extracted, incomplete);
        QVERIFY(!QFileInfo(out + "/a/b/c/l").exists() && !QFileInfo(out + "/a/b/c/l").isSymLink());
        QCOMPARE(listTree(dir.filePath("dest")), (QStringList{"out/a/b/c/x", "out/q", "sentinel"}));
        QVERIFY(QFileInfo(out + "/a/b/c/x").isSymLink());
        for (const StagedEntry &entry : ListStagedTree(out + "/")) {
            if (entry.kind == StagedEntry::Kind::Link)
                QVERIFY2(LinkResolvesInside(out + "/", entry.name,
                                            rawLinkTarget(out + "/" + entry.name)),
                         qPrintable(entry.name));
        }
        QVERIFY2(t.log.contains("a/b/c/l is a link to"), qPrintable(t.log.lines.join('\n')));
    }

    // A 0777 entry is published with the stored mode under the umask; setuid and setgid never
    // stay.
    void modesFollowTheUmask_data()
    {
        QTest::addColumn<unsigned>("umask");
        QTest::addColumn<unsigned>("stored");
        QTest::addColumn<unsigned>("published");
        QTest::addColumn<QString>("entry"); // "tool" or a folder "ro" holding it
        QTest::newRow("0777 under 022") << 022u << 0777u << 0755u << "tool";
        QTest::newRow("0777 under 077") << 077u << 0777u << 0700u << "tool";
        QTest::newRow("setuid under 022") << 022u << 04755u << 0755u << "tool";
        QTest::newRow("setgid under 002") << 002u << 02775u << 0775u << "tool";
        QTest::newRow("read-only folder under 022") << 022u << 0555u << 0555u << "ro";
    }
    void modesFollowTheUmask()
    {
        SKIP_FORKED_EXTRACTION_UNDER_THREAD_SANITIZER();
        QFETCH(unsigned, umask);
        QFETCH(unsigned, stored);
        QFETCH(unsigned, published);
        QFETCH(QString, entry);
        QTemporaryDir dir;
        const QString src = dir.filePath("src");
        writeFile(src + (entry == "ro" ? "/ro/tool" : "/tool"), 1000, 2);
        QVERIFY(::chmod(QFile::encodeName(src + "/" + entry).constData(), stored) == 0);
        QCOMPARE(modeOf(src + "/" + entry), stored);
        QVERIFY(run("rar", {"a", "-idq", dir.filePath("set.rar"), entry}, src));

        // The umask is the whole process's, so the row's extraction runs in a child.
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            ::umask(umask);
            TestContext t;
            QStringList extracted;
            bool incomplete = false;
            const bool ok = ExtractRARArchive(t.context, dir.filePath("set.rar"),
                                              dir.filePath("out"), extracted, incomplete);
            ::_exit(ok ? 0 : 1);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        QCOMPARE(modeOf(dir.filePath("out/" + entry)), published);
        QCOMPARE(PublishedMode(stored, umask), published);
        if (entry == "ro")
            QVERIFY(QFileInfo(dir.filePath("out/ro/tool")).isFile());
        ::chmod(QFile::encodeName(dir.filePath("out/ro")).constData(), 0755);
        ::chmod(QFile::encodeName(src + "/ro").constData(), 0755);
    }

    // Only a real folder of this user named like a staging folder, holding the marked lock file
    // with its lock free, is a dead one; a live one and every look-alike stay.
    void deadStagingFoldersAreKnownByTheirLock_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("removed");
        QTest::newRow("left by a killed Tevo") << "dead" << true;
        QTest::newRow("in use") << "live" << false;
        QTest::newRow("a user's folder of that name") << "plain folder" << false;
        QTest::newRow("a lock file without the marker") << "unmarked" << false;
        QTest::newRow("a user's file of that name") << "file" << false;
        QTest::newRow("a link of that name") << "link" << false;
        QTest::newRow("a user's old part file") << "part file" << false;
    }
    void deadStagingFoldersAreKnownByTheirLock()
    {
        QFETCH(QString, kind);
        QFETCH(bool, removed);
        QTemporaryDir dir;
        const QString dest = dir.filePath("dest");
        QVERIFY(QDir().mkpath(dest));
        writeFile(dir.filePath("elsewhere/keep.txt"), 10, 1);
        QString name = ".tevo-staging-Ab12Cd";
        std::unique_ptr<StagingFolder> live;
        if (kind == "dead" || kind == "live") {
            live = std::make_unique<StagingFolder>(dest);
            QVERIFY(live->isValid());
            writeFile(live->tree() + "movie.iso", 1000, 1);
            name = QDir(live->path()).dirName();
            if (kind == "dead") {
                // A killed Tevo leaves its folder as it was; only its lock is gone.
                QVERIFY(QDir().rename(live->path(), dir.filePath("kept")));
                live.reset();
                QVERIFY(QDir().rename(dir.filePath("kept"), dest + "/" + name));
            }
        } else if (kind == "plain folder") {
            writeFile(dest + "/" + name + "/tree/mine.txt", 10, 1);
        } else if (kind == "unmarked") {
            writeFile(dest + "/" + name + "/lock", 10, 1);
        } else if (kind == "file") {
            writeFile(dest + "/" + name, 10, 1);
        } else if (kind == "link") {
            QVERIFY(QFile::link(dir.filePath("elsewhere"), dest + "/" + name));
        } else {
            name = ".tevo-32775-1.part";
            writeFile(dest + "/" + name, 10, 1);
        }

        QCOMPARE(RemoveDeadStagingFolders(dest), removed ? 1 : 0);
        QCOMPARE(QFileInfo::exists(dest + "/" + name) || QFileInfo(dest + "/" + name).isSymLink(),
                 !removed);
        QVERIFY(QFileInfo::exists(dir.filePath("elsewhere/keep.txt")));
    }
};

QTEST_GUILESS_MAIN(TestStaging)
#include "tst_staging.moc"
