// RAR sets extracted through the staging folder and published: hard links and file copies, a
// copy source outside, modes under the umask; and what is taken for a dead staging folder.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtEndian>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/Pipeline.h"
#include "engine/RarBytes.h"
#include "engine/StagingFolder.h"
#include "engine/TextNumbers.h"
#include "support/Fakes.h"
#include "support/ReleaseMaker.h"

using namespace ReleaseMaker;

namespace {

// Replaces the last occurrence of from (the source name of a file-copy entry) by to, of the same
// length, and writes that header's CRC anew: a header block starts with its CRC-32 over the size
// field and the header that follow.
bool patchCopySource(const QString &archive, const QByteArray &from, const QByteArray &to)
{
    QByteArray data = readAll(archive);
    const qsizetype at = data.lastIndexOf(from);
    auto *bytes = reinterpret_cast<uchar *>(data.data());
    for (qsizetype start = at - 5; at >= 0 && start >= qMax<qsizetype>(0, at - 300); --start) {
        const uchar *pos = bytes + start + 4;
        quint64 size = 0;
        if (!RarBytes::ReadVint(pos, bytes + data.size(), size) || pos + size <= bytes + at ||
            pos + size > bytes + data.size())
            continue;
        const qint64 covered = pos + size - (bytes + start + 4);
        if (RarBytes::Crc(bytes + start + 4, covered) != RarBytes::Le32(bytes + start))
            continue;
        data.replace(at, to.size(), to);
        qToLittleEndian(RarBytes::Crc(bytes + start + 4, covered), data.data() + start);
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

} // namespace

class TestStaging : public QObject
{
    Q_OBJECT

private slots:
    // Hard links (rar -oh) and file copies (rar -oi) come out as unrar x makes them, whatever the
    // working folder holds.
    void hardLinksAndCopiesAsUnrarMakesThem()
    {
        QTemporaryDir dir;
        const QString src = dir.filePath("src");
        const QString rel = dir.filePath("rel");
        const QString ref = dir.filePath("ref");
        writeFile(src + "/keys/id_key", 5000, 8);
        writeFile(src + "/data/big.bin", 400 * 1024, 9);
        writeFile(src + "/copy/big.bin", 400 * 1024, 9);
        QVERIFY(::link(QFile::encodeName(src + "/keys/id_key").constData(),
                       QFile::encodeName(src + "/copy/id_key").constData()) == 0);
        QVERIFY(QDir().mkpath(ref) && QDir().mkpath(rel));
        QVERIFY(run("rar",
                    {"a", "-idq", "-ma5", "-oh", "-oi", rel + "/set.rar", "keys", "data", "copy"},
                    src));
        QVERIFY(run("unrar", {"x", "-idq", rel + "/set.rar"}, ref));

        // A working folder with files of the sources' names: they must never be read.
        QTemporaryDir cwd;
        writeFile(cwd.filePath("keys/id_key"), 100, 77);
        writeFile(cwd.filePath("data/big.bin"), 100, 77);
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(cwd.path()));
        TestContext t;
        UnPack(t.context, rel);
        QDir::setCurrent(before);
        QCOMPARE(listTree(rel), listTree(ref) << "set.rar");
        for (const QString &name : listTree(ref))
            QCOMPARE(readAll(rel + "/" + name), readAll(ref + "/" + name));
    }

    // A file copy whose source lies outside the archive's tree is left out with its log line,
    // and its source is never read; the rest is published, and the set keeps its sources.
    void copySourceOutsideIsLeftOut()
    {
        QTemporaryDir dir;
        const QString src = dir.filePath("src");
        writeFile(src + "/zz/x", 200 * 1024, 6);
        writeFile(src + "/b/x", 200 * 1024, 6);
        QVERIFY(QDir().mkpath(dir.filePath("rel")));
        // No quick-open record, which would hold a second copy of the headers.
        QVERIFY(run("rar",
                    {"a", "-idq", "-ma5", "-oi", "-qo-", dir.filePath("rel/set.rar"), "zz", "b"},
                    src));
        QVERIFY(patchCopySource(dir.filePath("rel/set.rar"), "zz/x", "../x"));
        writeText(dir.filePath("x"), "outside");

        TestContext t;
        t.settings.setDeleteSources(true);
        UnPack(t.context, dir.filePath("rel"));
        QVERIFY2(t.log.contains(t.language.LangText(Text::LinkLeftOut, {"b/x", "../x"})),
                 qPrintable(t.log.lines.join('\n')));
        QCOMPARE(listTree(dir.path()),
                 (QStringList{"rel/set.rar", "rel/zz/x", "src/b/x", "src/zz/x", "x"}));
    }

    // An entry is published with its stored mode under the umask; setuid and setgid never stay,
    // and a read-only folder keeps its contents.
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
        QFETCH(unsigned, umask);
        QFETCH(unsigned, stored);
        QFETCH(unsigned, published);
        QFETCH(QString, entry);
        QTemporaryDir dir;
        const QString src = dir.filePath("src");
        writeFile(src + (entry == "ro" ? "/ro/tool" : "/tool"), 1000, 2);
        QVERIFY(::chmod(QFile::encodeName(src + "/" + entry).constData(), stored) == 0);
        QCOMPARE(modeOf(src + "/" + entry), stored);
        QVERIFY(QDir().mkpath(dir.filePath("rel")));
        QVERIFY(run("rar", {"a", "-idq", dir.filePath("rel/set.rar"), entry}, src));

        TestContext t;
        const mode_t old = ::umask(umask);
        UnPack(t.context, dir.filePath("rel"));
        ::umask(old);
        QCOMPARE(modeOf(dir.filePath("rel/" + entry)), published);
        QCOMPARE(QFileInfo(dir.filePath("rel/ro/tool")).isFile(), entry == "ro");
        // Open again, so that the temporary folder can go.
        ::chmod(QFile::encodeName(dir.filePath("rel/ro")).constData(), 0755);
        ::chmod(QFile::encodeName(src + "/ro").constData(), 0755);
    }

    // Only a real folder of this user named like a staging folder, holding the marked lock file
    // with its lock free, is a dead one; a live one and every look-alike stay.
    void deadStagingFoldersAreKnownByTheirLock_data()
    {
        QTest::addColumn<QString>("made"); // a staging folder, a link, or a file written there
        QTest::addColumn<bool>("removed");
        QTest::newRow("left by a killed Tevo") << "dead" << true;
        QTest::newRow("in use") << "live" << false;
        QTest::newRow("a link of that name") << "link" << false;
        QTest::newRow("a user's folder of that name") << ".tevo-staging-Ab12Cd/tree/mine" << false;
        QTest::newRow("a lock file without the marker") << ".tevo-staging-Ab12Cd/lock" << false;
        QTest::newRow("a user's file of that name") << ".tevo-staging-Ab12Cd" << false;
        QTest::newRow("a user's old part file") << ".tevo-32775-1.part" << false;
    }
    void deadStagingFoldersAreKnownByTheirLock()
    {
        QFETCH(QString, made);
        QFETCH(bool, removed);
        QTemporaryDir dir;
        const QString dest = dir.filePath("dest");
        QVERIFY(QDir().mkpath(dest));
        writeFile(dir.filePath("elsewhere/keep.txt"), 10, 1);
        QString name = made.section('/', 0, 0);
        std::unique_ptr<StagingFolder> live;
        if (made == "dead" || made == "live") {
            live = std::make_unique<StagingFolder>(dest);
            QVERIFY(live->isValid());
            writeFile(live->tree() + "movie.iso", 1000, 1);
            name = QDir(live->path()).dirName();
            if (made == "dead") {
                // A killed Tevo leaves its folder as it was; only its lock is gone.
                QVERIFY(QDir().rename(live->path(), dir.filePath("kept")));
                live.reset();
                QVERIFY(QDir().rename(dir.filePath("kept"), dest + "/" + name));
            }
        } else if (made == "link") {
            name = ".tevo-staging-Ab12Cd";
            QVERIFY(QFile::link(dir.filePath("elsewhere"), dest + "/" + name));
        } else {
            writeFile(dest + "/" + made, 10, 1);
        }

        QCOMPARE(RemoveDeadStagingFolders(dest), removed ? 1 : 0);
        QCOMPARE(QFileInfo::exists(dest + "/" + name), !removed);
        QVERIFY(QFileInfo::exists(dir.filePath("elsewhere/keep.txt")));
    }
};

QTEST_GUILESS_MAIN(TestStaging)
#include "tst_staging.moc"
