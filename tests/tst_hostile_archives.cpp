// Hostile archive entries that the extractor tests do not already cover: names with line breaks
// and bytes that are not UTF-8, and a link to a folder outside followed by entries "through" it.
// Whatever the archive holds, files land only inside the destination, and a set that reports
// success has every file it lists on disk.

#include <dirent.h>
#include <fcntl.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/RarExtractor.h"
#include "engine/SetPlan.h"
#include "engine/TextNumbers.h"
#include "engine/ZipMaster.h"
#include "support/Fakes.h"
#include "support/ReleaseMaker.h"

using namespace ReleaseMaker;

namespace {

// A name that needs both: a line break and two bytes that are no UTF-8.
const QByteArray OddName = QByteArrayLiteral("odd\nname\xff\xfe.bin");

// Writes a file under its exact bytes, which QString could not carry.
bool writeRaw(const QByteArray &path, const QByteArray &content)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, content.constData(), size_t(content.size())) == content.size();
    return ::close(fd) == 0 && ok;
}

// Every entry below folder as raw relative names (links not followed), sorted.
void listRaw(const QByteArray &folder, const QByteArray &prefix, QList<QByteArray> &names)
{
    DIR *dir = ::opendir(folder.constData());
    if (!dir)
        return;
    while (dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        names << prefix + name;
        struct stat info;
        const QByteArray path = folder + '/' + name;
        if (::lstat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode))
            listRaw(path, prefix + name + '/', names);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
}

QList<QByteArray> rawTree(const QString &folder)
{
    QList<QByteArray> names;
    listRaw(QFile::encodeName(folder), QByteArray(), names);
    return names;
}

} // namespace

class TestHostileArchives : public QObject
{
    Q_OBJECT

private slots:
    // A line break is a file-name character like any other. Bytes that are no UTF-8 cannot be
    // carried in a path text, so the entry could never be found again: it is refused and the set
    // fails, which keeps its sources.
    void rarNamesWithLineBreaksAndBadBytes()
    {
        QTemporaryDir dir;
        const QString src = dir.filePath("src");
        writeFile(src + "/plain.txt", 3000, 1);
        QVERIFY(writeRaw(QFile::encodeName(src) + "/line\nbreak.txt", "first"));
        QVERIFY(run("rar", {"a", "-idq", "good.rar", "."}, src));
        QVERIFY(writeRaw(QFile::encodeName(src) + '/' + OddName, "odd content"));
        QVERIFY(run("rar", {"a", "-idq", "-xgood.rar", "odd.rar", "."}, src));
        QVERIFY(::unlink((QFile::encodeName(src) + '/' + OddName).constData()) == 0);

        TestContext t;
        QStringList extracted;
        bool incomplete = false;
        const QString out = dir.filePath("a/out");
        QVERIFY2(ExtractRARArchive(t.context, src + "/good.rar", out, extracted, incomplete),
                 qPrintable(t.log.lines.join('\n')));
        QVERIFY(!incomplete);
        QCOMPARE(extracted, (QStringList{out + "/line\nbreak.txt", out + "/plain.txt"}));
        for (const QString &path : extracted)
            QVERIFY2(QFileInfo(path).isFile(), qPrintable(path));

        extracted.clear();
        const QString odd = dir.filePath("a/odd");
        // The set with an unusable name fails, so none of it is published.
        QVERIFY(!ExtractRARArchive(t.context, src + "/odd.rar", odd, extracted, incomplete));
        QVERIFY(extracted.isEmpty());
        QCOMPARE(rawTree(dir.filePath("a")),
                 (QList<QByteArray>{"out", "out/line\nbreak.txt", "out/plain.txt"}));
        QVERIFY(t.log.contains(t.language.LangText(Text::UnusableName)));
    }

    void rarLinkToAnOutsideFolderCannotCarryEntriesOut_data()
    {
        QTest::addColumn<bool>("withPlan");
        QTest::newRow("through libunrar") << false;
        QTest::newRow("copied straight") << true;
    }
    void rarLinkToAnOutsideFolderCannotCarryEntriesOut()
    {
        QFETCH(bool, withPlan);
        QTemporaryDir dir;
        const QString outside = dir.filePath("outside");
        QDir().mkpath(outside);
        // First the link "d" -> the outside folder, then a real folder "d" with a file, so the
        // archive holds "d" as a link before "d/payload.txt".
        const QString first = dir.filePath("first");
        QDir().mkpath(first);
        QVERIFY(QFile::link(outside, first + "/d"));
        QVERIFY(run("rar", {"a", "-idq", "-ol", dir.filePath("set.rar"), "d"}, first));
        const QString second = dir.filePath("second");
        writeFile(second + "/d/payload.txt", 300 * 1024, 3);
        QVERIFY(run("rar", {"a", "-idq", dir.filePath("set.rar"), "d/payload.txt"}, second));

        TestContext t;
        QStringList extracted;
        bool incomplete = false;
        const QString out = dir.filePath("out");
        // The link is left out; the folder of the same name is made in its place.
        const SetPlan plan = ReadSetPlan(t.context, dir.filePath("set.rar"));
        QVERIFY(withPlan ? ExtractRARArchive(t.context, plan, out, extracted, incomplete)
                         : ExtractRARArchive(t.context, dir.filePath("set.rar"), out, extracted,
                                             incomplete));
        QVERIFY(rawTree(outside).isEmpty());
        QVERIFY(!QFileInfo(out + "/d").isSymLink());
        QVERIFY(QFileInfo(out + "/d/payload.txt").isFile());
        for (const QString &path : extracted)
            QVERIFY2(path.startsWith(out + "/"), qPrintable(path));
        QVERIFY(
            t.log.contains(QStringLiteral("outside the destination folder, so it was left out")));
    }

    // The ZIP component reads names that are no UTF-8 as the old DOS code page, so every entry
    // gets a usable name, directly in the base folder.
    void zipNamesWithLineBreaksAndBadBytes()
    {
        QTemporaryDir dir;
        const QString src = dir.filePath("src");
        writeFile(src + "/plain.txt", 3000, 1);
        QVERIFY(writeRaw(QFile::encodeName(src) + '/' + OddName, "odd content"));
        QVERIFY(writeRaw(QFile::encodeName(src) + "/line\nbreak.txt", "first"));
        QVERIFY(run("zip", {"-q", "-r", "set.zip", "."}, src));
        QVERIFY(::unlink((QFile::encodeName(src) + '/' + OddName).constData()) == 0);

        TestContext t;
        TZipMaster zip(t.context);
        const QString out = dir.filePath("a/out");
        QVERIFY2(zip.ExtractZip(src + "/set.zip", out), qPrintable(t.log.lines.join('\n')));
        const QList<QByteArray> names = rawTree(dir.filePath("a"));
        QCOMPARE(names.size(), 4);
        QCOMPARE(names.first(), QByteArray("out"));
        QVERIFY(names.contains("out/plain.txt"));
        QVERIFY(names.contains("out/line\nbreak.txt"));
        for (const QByteArray &name : names.mid(1)) {
            QVERIFY(name.startsWith("out/") && !name.mid(4).contains('/'));
            // A name Tevo can find again.
            QVERIFY(QFileInfo(dir.filePath("a/") + QFile::decodeName(name)).isFile());
        }
    }
};

QTEST_GUILESS_MAIN(TestHostileArchives)
#include "tst_hostile_archives.moc"
