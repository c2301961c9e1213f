// The ZIP component on real ZIP files made by zip and by Python: flat extraction, existing files
// kept, progress events and the window's display, cancel, damaged and hostile ZIPs, a full disk.

#include <clocale>
#include <csignal>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "engine/ZipMaster.h"
#include "support/Fakes.h"
#include "support/ReleaseMaker.h"
#include "support/Sanitizers.h"

using namespace ReleaseMaker;

namespace {

using ReleaseMaker::readAll;

struct Event
{
    ZipProgressType type;
    QString name;
    qint64 size;
};

// Writes a ZIP with Python's zipfile: each entry is (stored name, data, unix mode or 0).
bool makePythonZip(const QString &path, const QString &entriesLiteral)
{
    const QString script = QStringLiteral(R"(
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], 'w') as z:
    for name, data, mode in %1:
        info = zipfile.ZipInfo(name)
        if mode:
            info.create_system = 3
            info.external_attr = mode << 16
        z.writestr(info, data)
)")
                               .arg(entriesLiteral);
    return run(QStringLiteral("python3"), {QStringLiteral("-c"), script, path}, QDir::tempPath());
}

} // namespace

class TestZipMaster : public QObject
{
    Q_OBJECT

private slots:
    void nestedFoldersLandFlatAndExistingFilesStay()
    {
        QTemporaryDir dir;
        const QString src = dir.filePath("src");
        writeFile(src + "/Disc/Extras/cover.jpg", 70000, 1);
        writeFile(src + "/Disc/readme.txt", 3000, 2, true);
        writeFile(src + "/other/readme.txt", 500, 3, true); // same file name, another folder
        writeFile(src + "/top.nfo", 100, 4, true);
        QVERIFY(run("zip", {"-q", "-r", "Disc.zip", "Disc", "other", "top.nfo"}, src));

        const QString rel = dir.filePath("rel");
        writeText(rel + "/top.nfo", "mine");
        TestContext t;
        TZipMaster zipMaster(t.context);
        // The existing file is kept, and so is the second readme.txt's place: neither entry is on
        // disk with its own bytes, so the ZIP does not count as unpacked.
        QVERIFY(!zipMaster.ExtractZip(src + "/Disc.zip", rel));
        QCOMPARE(listTree(rel), (QStringList{"cover.jpg", "readme.txt", "top.nfo"}));
        QCOMPARE(readAll(rel + "/cover.jpg"), readAll(src + "/Disc/Extras/cover.jpg"));
        QCOMPARE(readAll(rel + "/readme.txt"), readAll(src + "/Disc/readme.txt"));
        QCOMPARE(readAll(rel + "/top.nfo"), QByteArray("mine"));
        QVERIFY(!zipMaster.CompleteZips().contains(src + "/Disc.zip"));
        QCOMPARE(
            t.log.messages(),
            (QStringList{LogTag::Unpack + t.language.LangText(213, {"other/readme.txt", "Disc.zip",
                                                                    "Disc/readme.txt"}),
                         LogTag::Unpack + t.language.LangText(212, {"top.nfo", "Disc.zip"})}));

        // With the same bytes already there, and without the clash, the ZIP is complete.
        QFile::remove(rel + "/top.nfo");
        QFile::copy(src + "/top.nfo", rel + "/top.nfo");
        QFile::remove(src + "/Disc.zip");
        QVERIFY(run("zip", {"-q", "-r", "Disc.zip", "Disc", "top.nfo"}, src));
        t.log.lines.clear();
        QVERIFY(zipMaster.ExtractZip(src + "/Disc.zip", rel));
        QVERIFY(t.log.lines.isEmpty());
        // Files get ordinary permissions and the stored time.
        QVERIFY(QFileInfo(rel + "/cover.jpg").permissions() & QFileDevice::ReadOther);
        // (ZIP times have a two-second step.)
        QVERIFY(qAbs(QFileInfo(rel + "/cover.jpg")
                         .lastModified()
                         .secsTo(QFileInfo(src + "/Disc/Extras/cover.jpg").lastModified())) <= 2);
    }

    void progressEventsAndDisplay()
    {
        QTemporaryDir dir;
        const QString src = dir.filePath("src");
        writeFile(src + "/a/b.txt", 600 * 1024, 1);
        writeFile(src + "/c.bin", 1000, 2);
        QVERIFY(makeZip(src, "Disc.zip", {"a/b.txt", "c.bin"}));

        TestContext t;
        TZipMaster zipMaster(t.context);
        QList<Event> events;
        QStringList labels;
        zipMaster.OnProgress = [&](TZipMaster &sender, ZipProgressType type, const QString &name,
                                   qint64 size) {
            events << Event{type, name, size};
            zipMaster.Display().ZIPProgress(sender, type, name, size);
            labels << t.view.currentFileText;
        };
        QVERIFY(zipMaster.ExtractZip(src + "/Disc.zip", dir.filePath("out")));
        QCOMPARE(events.first().type, ZipProgressType::TotalFiles2Process);
        QCOMPARE(events.first().size, 2);
        QCOMPARE(events.at(1).type, ZipProgressType::TotalSize2Process);
        QCOMPARE(events.at(1).size, 600 * 1024 + 1000);
        QCOMPARE(events.last().type, ZipProgressType::EndOfBatch);
        QCOMPARE(events.at(2).type, ZipProgressType::NewFile);
        QCOMPARE(events.at(2).name, QStringLiteral("a/b.txt"));
        QCOMPARE(labels.at(2), QStringLiteral("b.txt (from Disc.zip)"));
        qint64 updated = 0;
        int newFiles = 0;
        for (const Event &event : events) {
            if (event.type == ZipProgressType::ProgressUpdate)
                updated += event.size;
            newFiles += event.type == ZipProgressType::NewFile;
        }
        QCOMPARE(updated, 600 * 1024 + 1000);
        QCOMPARE(newFiles, 2);
        QCOMPARE(t.view.progressMaximum, 600);
        QCOMPARE(t.view.progressPosition, 600); // the 1000-byte file adds nothing
        QCOMPARE(zipMaster.Display().ZipDoneKiB, 600);
    }

    void displayArithmetic()
    {
        TestContext t;
        TZipMaster zipMaster(t.context);
        ZipProgressDisplay &display = zipMaster.Display();
        display.CurrentZipName = QStringLiteral("Disc.zip");
        t.job.JobStartTick = 1000;
        t.job.StepStartTick = 3000;
        t.platform.tick = 8000;
        display.ZIPProgress(zipMaster, ZipProgressType::TotalSize2Process, {}, 10 * 1024 * 1024);
        QCOMPARE(t.view.progressMaximum, 10240);
        display.ZIPProgress(zipMaster, ZipProgressType::ProgressUpdate, "x", 1023);
        display.ZIPProgress(zipMaster, ZipProgressType::ProgressUpdate, "x", 1023);
        QCOMPARE(display.ZipDoneKiB, 0);
        display.ZIPProgress(zipMaster, ZipProgressType::ProgressUpdate, "x", 2 * 1024 * 1024);
        QCOMPARE(t.view.progressPosition, 2048);
        QCOMPARE(t.view.progressText,
                 QStringLiteral("2.00 MiB/10.00 MiB (Time elapsed: 5 s/ins: 7 s)"));
        QCOMPARE(t.view.applicationTitle, QStringLiteral("[Tevo]")); // not changed for ZIPs
    }

    void cancelPauseAndAbort()
    {
        QTemporaryDir dir;
        const QString src = dir.filePath("src");
        writeFile(src + "/big.bin", 2 * 1024 * 1024, 1);
        writeFile(src + "/small.txt", 100, 2);
        QVERIFY(makeZip(src, "Disc.zip", {"big.bin", "small.txt"}));

        // Cancelled from the handler at the first block: nothing appears under an entry's name.
        {
            TestContext t;
            TZipMaster zipMaster(t.context);
            zipMaster.OnProgress = [](TZipMaster &sender, ZipProgressType type, const QString &,
                                      qint64) {
                if (type == ZipProgressType::ProgressUpdate)
                    sender.Cancel();
            };
            QVERIFY(!zipMaster.ExtractZip(src + "/Disc.zip", dir.filePath("out1")));
            QVERIFY(zipMaster.CompleteZips().isEmpty());
            QCOMPARE(listTree(dir.filePath("out1")), QStringList());
            // The staging folder the files were written into is gone too.
            QCOMPARE(QDir(dir.filePath("out1"))
                         .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                     QStringList());
            QCOMPARE(t.log.messages(),
                     QStringList{LogTag::Unpack +
                                 t.language.LangText(174, {"Disc.zip", t.language.LangText(177)})});
        }
        // Paused in the window's handler: it waits in 10 ms steps until released.
        {
            TestContext t;
            TZipMaster zipMaster(t.context);
            bool pausedOnce = false;
            t.view.onProgress = [&] {
                if (t.view.progressPosition > 0 && !pausedOnce)
                    pausedOnce = t.job.Paused = true;
            };
            t.platform.onProcessEvents = [&] {
                if (t.platform.tick >= 1050)
                    t.job.Paused = false;
            };
            QVERIFY(zipMaster.ExtractZip(src + "/Disc.zip", dir.filePath("out2")));
            QCOMPARE(t.platform.tick, 1050u);
            QCOMPARE(readAll(dir.filePath("out2/big.bin")), readAll(src + "/big.bin"));
        }
        // Closing the program: the window's handler cancels and the flag stays for the pipeline.
        {
            TestContext t;
            TZipMaster zipMaster(t.context);
            t.view.onProgress = [&] { t.job.AbortRequested = true; };
            QVERIFY(!zipMaster.ExtractZip(src + "/Disc.zip", dir.filePath("out3")));
            QVERIFY(t.job.AbortRequested);
            QCOMPARE(listTree(dir.filePath("out3")), QStringList());
        }
    }

    void damagedZips()
    {
        QTemporaryDir dir;
        const QString src = dir.filePath("src");
        writeFile(src + "/a.bin", 300 * 1024, 1);
        writeFile(src + "/b.txt", 100, 2);
        QVERIFY(run("zip", {"-q", "-0", "Disc.zip", "a.bin", "b.txt"}, src));
        {
            QFile zip(src + "/Disc.zip");
            QVERIFY(zip.open(QIODevice::ReadWrite));
            zip.seek(150 * 1024);
            const char flipped = char(zip.peek(1).at(0) ^ 0x33);
            zip.write(&flipped, 1);
        }
        writeFile(src + "/fake.zip", 4000, 3);

        TestContext t;
        TZipMaster zipMaster(t.context);
        QVERIFY(!zipMaster.ExtractZip(src + "/Disc.zip", dir.filePath("out")));
        // The damaged entry leaves nothing behind; the sound one is written.
        QCOMPARE(listTree(dir.filePath("out")), QStringList{"b.txt"});
        QVERIFY(!zipMaster.ExtractZip(src + "/fake.zip", dir.filePath("out")));
        QCOMPARE(t.log.messages(),
                 (QStringList{LogTag::Unpack + t.language.LangText(175, {"a.bin", "Disc.zip",
                                                                         t.language.LangText(179)}),
                              LogTag::Unpack + t.language.LangText(
                                                   174, {"fake.zip", t.language.LangText(176)})}));
        QVERIFY(zipMaster.CompleteZips().isEmpty());
    }

    void hostileNamesStayInTheBaseFolder()
    {
        QTemporaryDir dir;
        const QString zip = dir.filePath("src/h.zip");
        QDir().mkpath(dir.filePath("src"));
        QVERIFY(makePythonZip(zip, QStringLiteral(R"([
            ('/abs/evil1.txt', b'one', 0),
            ('../../evil2.txt', b'two', 0),
            ('..\\..\\evil3.txt', b'three', 0),
            ('sub/..', b'x', 0),
            ('.', b'x', 0),
            ('', b'empty', 0),
            ('lnk', '../../../etc/passwd', 0o120777),
            ('Café 日本.txt', b'utf', 0),
        ])")));
        const QByteArray previous = setlocale(LC_ALL, nullptr);
        setlocale(LC_ALL, "C");
        TestContext t;
        TZipMaster zipMaster(t.context);
        const QString base = dir.filePath("a/b/base");
        const bool complete = zipMaster.ExtractZip(zip, base);
        setlocale(LC_ALL, previous.constData());
        QVERIFY(!complete);
        QCOMPARE(listTree(dir.filePath("a")),
                 (QStringList{"b/base/Café 日本.txt", "b/base/evil1.txt", "b/base/evil2.txt",
                              "b/base/evil3.txt"}));
        QCOMPARE(listTree(dir.path()).size(), 5); // the four and h.zip
        QVERIFY(!QFileInfo(base + "/lnk").isSymLink());
        const QStringList messages = t.log.messages();
        QCOMPARE(messages.size(), 4);
        QVERIFY(messages.at(0).contains(t.language.LangText(178)));
        QVERIFY(messages.at(1).contains(t.language.LangText(178)));
        QVERIFY(messages.at(2).contains(t.language.LangText(178)));
        QVERIFY(messages.at(3).contains(t.language.LangText(171)));
    }

    void fullDiskFails()
    {
        SKIP_FORKED_EXTRACTION_UNDER_THREAD_SANITIZER();
        QTemporaryDir dir;
        const QString src = dir.filePath("src");
        writeFile(src + "/small.txt", 1000, 1);
        writeFile(src + "/big.bin", 400 * 1024, 2);
        QVERIFY(makeZip(src, "Disc.zip", {"small.txt", "big.bin"}));
        const QString out = dir.filePath("out");

        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            signal(SIGXFSZ, SIG_IGN);
            rlimit limit{100 * 1024, 100 * 1024};
            setrlimit(RLIMIT_FSIZE, &limit);
            TestContext t;
            TZipMaster zipMaster(t.context);
            const bool complete = zipMaster.ExtractZip(src + "/Disc.zip", out);
            const QString expected =
                LogTag::Unpack +
                t.language.LangText(175, {"big.bin", "Disc.zip", t.language.LangText(164)});
            _exit(complete ? 1 : (t.log.messages() == QStringList{expected} ? 0 : 2));
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
        QCOMPARE(listTree(out), QStringList{"small.txt"});
    }
};

QTEST_GUILESS_MAIN(TestZipMaster)
#include "tst_zipmaster.moc"
