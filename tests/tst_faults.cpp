// Faults in the middle of a job, each on a real release folder: the process killed during an
// extraction, a full disk, the release folder taken away, a volume swapped after its check, an
// output folder that cannot be written, a source folder whose files cannot be deleted, and very
// large and very deep releases. Nothing the user still needs may be lost, and every failure is
// reported as one.

#include <csignal>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "engine/Pipeline.h"
#include "engine/SoundOutput.h"
#include "jobs/JobWindow.h"
#include "jobs/UnpackJob.h"
#include "support/Fakes.h"
#include "support/JobFakes.h"
#include "support/ReleaseMaker.h"
#include "support/Sanitizers.h"

using namespace ReleaseMaker;

namespace {

constexpr int TextExtractionFailedNote = 130;
constexpr int TextSetFileNotDeleted = 124;

using ReleaseMaker::readAll;

// A release: the RAR set "name" of one payload file in folder, with its SFV list. Returns the
// payload, kept aside for comparing.
struct Release
{
    QString folder;
    QString payload;   // the original of the file the set holds
    QStringList files; // the volumes and the SFV list, full paths
};

Release makeRelease(const QString &folder, const QString &name, qint64 size, int volumeKiB,
                    quint32 seed)
{
    Release release;
    release.folder = folder;
    const QString staging = folder + QStringLiteral(".payload");
    release.payload =
        writeFile(staging + QLatin1Char('/') + name + QStringLiteral(".iso"), size, seed);
    const QStringList volumes =
        makeRarSet(staging, name, {name + QStringLiteral(".iso")}, volumeKiB);
    QDir().mkpath(folder);
    QStringList names;
    for (const QString &volume : volumes) {
        const QString fileName = QFileInfo(volume).fileName();
        QFile::rename(volume, folder + QLatin1Char('/') + fileName);
        names << fileName;
        release.files << folder + QLatin1Char('/') + fileName;
    }
    makeSfv(folder, name + QStringLiteral(".sfv"), names);
    release.files << folder + QLatin1Char('/') + name + QStringLiteral(".sfv");
    return release;
}

QStringList missingFiles(const QStringList &files)
{
    QStringList missing;
    for (const QString &file : files) {
        if (!QFileInfo(file).isFile())
            missing << file;
    }
    return missing;
}

// Runs work in a child process and returns its wait status; the child's own checks decide its
// exit code. Limits and signals then act on the child alone.
int runInChild(const std::function<int()> &work)
{
    const pid_t child = fork();
    if (child == 0)
        _exit(work());
    int status = -1;
    if (child > 0)
        waitpid(child, &status, 0);
    return status;
}

void saveLog(const RecordingLog &log, const QString &path)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(log.lines.join(QLatin1Char('\n')).toUtf8());
}

// A folder made so that nothing in it can be created, removed or renamed. Permission bits stop
// an ordinary user; root ignores them, so there the immutable attribute does the job.
class LockedFolder
{
public:
    explicit LockedFolder(const QString &path) : m_path(path)
    {
        if (geteuid() != 0) {
            m_locked = ::chmod(QFile::encodeName(path).constData(), 0555) == 0;
            return;
        }
        m_viaAttribute = true;
        m_locked = QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), path}) == 0;
    }
    ~LockedFolder()
    {
        if (!m_locked)
            return;
        if (m_viaAttribute)
            QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), m_path});
        else
            ::chmod(QFile::encodeName(m_path).constData(), 0755);
    }
    LockedFolder(const LockedFolder &) = delete;
    LockedFolder &operator=(const LockedFolder &) = delete;
    bool locked() const { return m_locked; }

private:
    QString m_path;
    bool m_locked = false;
    bool m_viaAttribute = false;
};

} // namespace

class TestFaults : public QObject
{
    Q_OBJECT

    QTemporaryDir m_temp;
    int m_serial = 0;

    QString newFolder(const QString &name)
    {
        return m_temp.filePath(QStringLiteral("%1-%2").arg(++m_serial).arg(name));
    }

    // The job over the given folders as a queue.
    static void runQueue(TestContext &t, const QStringList &folders)
    {
        t.settings.setInputMode(InputModeChoice::Queue);
        t.settings.setQueue(folders);
        t.view.onClearQueue = [&t] { t.settings.setQueue({}); };
        PipelineJob rig(t);
        UnpackJob &job = rig.job;
        job.start();
    }

private slots:
    void initTestCase() { QVERIFY(m_temp.isValid()); }

    // Killed in the middle of extracting a set with "Delete Files" on, or with the set extracted
    // whole and being looked at before it is published: every volume is still there, and the
    // next run removes the dead staging folder, extracts the whole release and only then
    // deletes the sources.
    void killedDuringExtraction_data()
    {
        QTest::addColumn<bool>("wholeSet");
        QTest::newRow("while writing") << false;
        QTest::newRow("before publishing") << true;
    }
    void killedDuringExtraction()
    {
        SKIP_FORKED_EXTRACTION_UNDER_THREAD_SANITIZER();
        QFETCH(bool, wholeSet);
        const Release release = makeRelease(newFolder("Killed"), "k", 600 * 1024, 100, 11);
        const int status = runInChild([&] {
            TestContext t;
            t.settings.setDeleteSources(true);
            // The whole set lies in the staging folder: the staged tree is being looked at.
            const auto staged = [&release] {
                const QStringList folders =
                    QDir(release.folder).entryList({".tevo-staging-*"}, QDir::Dirs | QDir::Hidden);
                return !folders.isEmpty() &&
                       QFileInfo(release.folder + '/' + folders.first() + "/tree/k.iso").size() ==
                           600 * 1024;
            };
            const auto killAt = [&t, &staged, wholeSet] {
                if (wholeSet ? staged() : t.view.progressPosition > 200) // KiB written
                    ::kill(::getpid(), SIGKILL);
            };
            if (wholeSet)
                t.platform.onProcessEvents = killAt;
            else
                t.view.onProgress = killAt;
            UnPack(t.context, release.folder);
            return 3; // not killed: the test could not act
        });
        QVERIFY(WIFSIGNALED(status));
        QCOMPARE(WTERMSIG(status), SIGKILL);
        QCOMPARE(missingFiles(release.files), QStringList());

        TestContext t;
        t.settings.setDeleteSources(true);
        const QStringList extracted = UnPack(t.context, release.folder);
        QCOMPARE(extracted, QStringList{release.folder + "/k.iso"});
        QVERIFY(readAll(release.folder + "/k.iso") == readAll(release.payload));
        QCOMPARE(missingFiles(release.files), release.files);
        QCOMPARE(listTree(release.folder), QStringList{"k.iso"});
        QCOMPARE(
            QDir(release.folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList{"k.iso"});
    }

    // A file-size limit in a child process stands for a full disk. The RAR set of the first
    // queue entry and the ZIP of the second fail, keep their sources and say so; the job goes on
    // and the third entry is extracted and cleaned up.
    void fullDiskDuringRarAndZip()
    {
        SKIP_FORKED_EXTRACTION_UNDER_THREAD_SANITIZER();
        const Release big = makeRelease(newFolder("BigRar"), "big", 500 * 1024, 100, 21);
        const QString zipFolder = newFolder("BigZip");
        writeFile(zipFolder + "/big.bin", 500 * 1024, 22);
        QVERIFY(makeZip(zipFolder, "pack.zip", {"big.bin"}));
        QVERIFY(QFile::remove(zipFolder + "/big.bin"));
        const Release small = makeRelease(newFolder("Small"), "small", 40 * 1024, 20, 23);
        const QString logPath = m_temp.filePath("full-disk.log");

        const int status = runInChild([&] {
            signal(SIGXFSZ, SIG_IGN);
            rlimit limit{200 * 1024, 200 * 1024};
            setrlimit(RLIMIT_FSIZE, &limit);
            TestContext t;
            t.settings.setDeleteSources(true);
            runQueue(t, {big.folder, zipFolder, small.folder});
            saveLog(t.log, logPath);
            return 0;
        });
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
        const QString log = QString::fromUtf8(readAll(logPath));
        TestContext texts;
        QVERIFY2(log.contains(texts.language.LangText(164)), qPrintable(log)); // write failed
        QVERIFY2(log.contains(texts.language.LangText(TextExtractionFailedNote)), qPrintable(log));

        QCOMPARE(missingFiles(big.files), QStringList());
        QVERIFY(QFileInfo(zipFolder + "/pack.zip").isFile());
        QVERIFY(!QFileInfo::exists(zipFolder + "/big.bin"));
        QVERIFY(readAll(small.folder + "/small.iso") == readAll(small.payload));
        QCOMPARE(missingFiles(small.files), small.files);
    }

    // The release folder renamed, removed or made unreadable while its first set is extracted:
    // the failure is reported, nothing that is left is deleted, and the next entry is done.
    void releaseFolderTakenAwayDuringTheJob_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("renamed") << "renamed";
        QTest::newRow("removed") << "removed";
        QTest::newRow("unreadable") << "unreadable";
    }
    void releaseFolderTakenAwayDuringTheJob()
    {
        QFETCH(QString, how);
        if (how == "unreadable" && geteuid() == 0)
            QSKIP("running as root, which reads any folder whatever its permissions");
        const Release first = makeRelease(newFolder("Vanishing"), "v", 400 * 1024, 100, 31);
        const Release second = makeRelease(newFolder("Next"), "n", 60 * 1024, 50, 32);
        const QString moved = first.folder + ".moved";

        TestContext t;
        t.settings.setDeleteSources(true);
        bool done = false;
        t.view.onProgress = [&] {
            if (done || t.view.progressPosition < 100 || !t.log.contains("Dest:"))
                return;
            done = true;
            if (how == "renamed")
                QDir().rename(first.folder, moved);
            else if (how == "removed")
                QDir(first.folder).removeRecursively();
            else
                ::chmod(QFile::encodeName(first.folder).constData(), 0);
        };
        runQueue(t, {first.folder, second.folder});
        if (how == "unreadable")
            ::chmod(QFile::encodeName(first.folder).constData(), 0755);

        QVERIFY(done);
        QVERIFY2(t.log.contains(t.language.LangText(TextExtractionFailedNote)),
                 qPrintable(t.log.lines.join('\n')));
        if (how == "renamed") {
            QStringList movedFiles;
            for (const QString &file : first.files)
                movedFiles << moved + "/" + QFileInfo(file).fileName();
            QCOMPARE(missingFiles(movedFiles), QStringList());
        } else if (how == "unreadable") {
            QCOMPARE(missingFiles(first.files), QStringList());
        }
        QVERIFY(readAll(second.folder + "/n.iso") == readAll(second.payload));
        QCOMPARE(missingFiles(second.files), second.files);
    }

    // A volume that passed the SFV check and is swapped for other bytes before the extraction
    // reaches it: the set fails and nothing is deleted.
    void volumeReplacedAfterTheCheck()
    {
        const Release release = makeRelease(newFolder("Swapped"), "s", 400 * 1024, 100, 41);
        const QString victim = release.files.at(2);
        const qint64 size = QFileInfo(victim).size();

        TestContext t;
        t.settings.setDeleteSources(true);
        bool swapped = false;
        t.view.onProgress = [&] {
            if (swapped || !t.log.contains("Dest:"))
                return;
            swapped = true;
            writeFile(victim, size, 99);
        };
        const QStringList extracted = UnPack(t.context, release.folder);
        QVERIFY(swapped);
        QVERIFY2(t.log.contains(t.language.LangText(TextExtractionFailedNote)),
                 qPrintable(t.log.lines.join('\n')));
        QCOMPARE(missingFiles(release.files), QStringList());
        for (const QString &path : extracted)
            QVERIFY(readAll(path) != readAll(release.payload));
    }

    // An output folder nobody may write to: the set fails, the sources stay.
    void outputFolderNotWritable()
    {
        const Release release = makeRelease(newFolder("NoOutput"), "o", 100 * 1024, 50, 51);
        const QString out = newFolder("LockedOutput");
        QDir().mkpath(out);
        LockedFolder lock(out);
        if (!lock.locked())
            QSKIP("cannot lock a folder against writing on this system");

        TestContext t;
        t.settings.setDeleteSources(true);
        t.settings.setOutputMode(OutputModeChoice::CustomDir);
        t.settings.setCustomOutputDir(out);
        UnPack(t.context, release.folder);
        QVERIFY2(t.log.contains(t.language.LangText(TextExtractionFailedNote)),
                 qPrintable(t.log.lines.join('\n')));
        QCOMPARE(missingFiles(release.files), QStringList());
        QCOMPARE(listTree(out), QStringList());
    }

    // A source folder whose files cannot be deleted: the extraction succeeds, every volume and
    // the SFV list stay, and each failed deletion is logged.
    void sourceFolderReadOnly()
    {
        const Release release = makeRelease(newFolder("ReadOnly"), "r", 150 * 1024, 50, 61);
        const QString out = newFolder("Output");
        QDir().mkpath(out);
        LockedFolder lock(release.folder);
        if (!lock.locked())
            QSKIP("cannot lock a folder against changes on this system");

        TestContext t;
        t.settings.setDeleteSources(true);
        t.settings.setDeleteEmptySourceFolder(true);
        t.settings.setOutputMode(OutputModeChoice::CustomDir);
        t.settings.setCustomOutputDir(out);
        const QStringList extracted = UnPack(t.context, release.folder);
        QCOMPARE(extracted, QStringList{out + "/r.iso"});
        QVERIFY(readAll(out + "/r.iso") == readAll(release.payload));
        QCOMPARE(missingFiles(release.files), QStringList());
        int failures = 0;
        for (const QString &file : release.files) {
            const QString line =
                LogTag::Delete + t.language.LangText(TextSetFileNotDeleted, {file});
            failures += t.log.messages().contains(line) ? 1 : 0;
        }
        QVERIFY2(failures == release.files.size(), qPrintable(t.log.lines.join('\n')));
    }

    // An SFV list that also names files outside the release, even with their right checksums:
    // with "Delete Files" on, nothing outside the release folder is touched.
    void sfvNamingFilesOutsideTheRelease()
    {
        const Release release = makeRelease(newFolder("Reaching"), "e", 60 * 1024, 30, 81);
        const QString outside = m_temp.filePath("precious.txt");
        writeText(outside, "keep me");
        QString crc;
        QVERIFY(run("cksfv", {"-b", outside}, m_temp.path(), &crc));
        crc = crc.split('\n').filter("precious.txt").value(0).section(' ', -1).trimmed();
        QFile sfv(release.files.last());
        QVERIFY(sfv.open(QIODevice::Append));
        sfv.write(("../precious.txt " + crc + "\r\n" + outside + " " + crc +
                   "\r\n../../../../../../../../etc/passwd 00000000\r\n")
                      .toUtf8());
        sfv.close();

        TestContext t;
        t.settings.setDeleteSources(true);
        t.settings.setDeleteEmptySourceFolder(true);
        UnPack(t.context, release.folder);
        QCOMPARE(readAll(outside), QByteArray("keep me"));
        QVERIFY(QFileInfo("/etc/passwd").isFile());
        QVERIFY(QFileInfo(release.payload).isFile());
    }

    // 10,000 files beside the set, and a set at the bottom of a tree 200 folders deep with a
    // Sample folder there: everything is found, extracted and cleaned up without trouble.
    void manyFilesAndADeepTree()
    {
        const QString folder = newFolder("Huge");
        for (int i = 0; i < 10000; ++i)
            writeText(folder + QStringLiteral("/many/file%1.txt").arg(i), "x");
        QString deep = folder;
        for (int level = 0; level < 200; ++level)
            deep += QStringLiteral("/d%1").arg(level, 3, 10, QLatin1Char('0'));
        const Release release = makeRelease(deep, "deep", 60 * 1024, 30, 71);
        writeFile(deep + "/Sample/sample.avi", 1000, 72);

        TestContext t;
        t.settings.setDeleteSources(true);
        t.settings.setDeleteList({"*/Sample"});
        const QStringList extracted = UnPack(t.context, folder);
        QCOMPARE(extracted, QStringList{deep + "/deep.iso"});
        QVERIFY(readAll(deep + "/deep.iso") == readAll(release.payload));
        QCOMPARE(missingFiles(release.files), release.files);
        QVERIFY(!QFileInfo::exists(deep + "/Sample"));
        QCOMPARE(QDir(folder + "/many").count(), 10000u + 2);
    }
};

QTEST_GUILESS_MAIN(TestFaults)
#include "tst_faults.moc"
