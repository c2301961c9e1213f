// RAR extraction through libunrar on real sets made by rar: naming schemes, damaged and missing
// volumes, passwords, read-only targets, a full disk, hostile entries, progress, pause and abort.

#include <clocale>
#include <csignal>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <unrar/dll.hpp>

#include "engine/Errors.h"
#include "engine/RarExtractor.h"
#include "engine/RarStoredParts.h"
#include "engine/SetPlan.h"
#include "support/Fakes.h"
#include "support/Rar4Writer.h"
#include "support/ReleaseMaker.h"
#include "support/Sanitizers.h"

using namespace ReleaseMaker;

namespace {

using ReleaseMaker::readAll;

QStringList unpackLines(const RecordingLog &log)
{
    QStringList lines;
    for (const QString &message : log.messages()) {
        if (message.startsWith(LogTag::Unpack))
            lines << message;
    }
    return lines;
}

} // namespace

class TestRarExtractor : public QObject
{
    Q_OBJECT

    // A source folder with a 350 KiB file of random bytes, a small text and a nested folder.
    QString makeSources(const QTemporaryDir &dir)
    {
        const QString src = dir.filePath(QStringLiteral("src"));
        writeFile(src + QStringLiteral("/disc.iso"), 350 * 1024, 7);
        writeFile(src + QStringLiteral("/disc.cue"), 3000, 8, true);
        writeFile(src + QStringLiteral("/Extras/deep/notes.txt"), 2000, 9, true);
        return src;
    }

    // x.rar and x.r00 in the format of RAR 4 (Unix names and modes): movie.mkv split over both,
    // Sub/extras.bin whole in the second, small.nfo after it.
    static void writeRar4Set(const QString &src)
    {
        const QByteArray movie = readAll(src + "/movie.mkv");
        const auto entry = [](const char *name, const QByteArray &data) {
            return Rar4Writer::Entry{name, data, 3};
        };
        const QList<Rar4Writer::Entry> parts = Rar4Writer::Split("movie.mkv", movie, 400 * 1024, 3);
        writeText(src + "/x.rar", Rar4Writer::Volume({parts[0]}, true, true, true, true));
        writeText(
            src + "/x.r00",
            Rar4Writer::Volume({parts[1], entry("Sub/extras.bin", readAll(src + "/Sub/extras.bin")),
                                entry("small.nfo", readAll(src + "/small.nfo"))},
                               true, false, true, false));
        QFile::remove(src + "/copy.mkv");
    }

    void verifyExtracted(const QString &src, const QString &out)
    {
        for (const QString &name : {QStringLiteral("disc.iso"), QStringLiteral("disc.cue"),
                                    QStringLiteral("Extras/deep/notes.txt")}) {
            QVERIFY2(QFileInfo(out + QLatin1Char('/') + name).isFile(), qPrintable(name));
            QCOMPARE(readAll(out + QLatin1Char('/') + name),
                     readAll(src + QLatin1Char('/') + name));
        }
    }

private slots:
    void extractsEveryNamingScheme_data()
    {
        QTest::addColumn<int>("naming"); // 0 part, 1 old style, 2 numbered
        QTest::addColumn<bool>("store");
        QTest::newRow("part, stored") << 0 << true;
        QTest::newRow("part, compressed") << 0 << false;
        QTest::newRow("old style, stored") << 1 << true;
        QTest::newRow("old style, compressed") << 1 << false;
        QTest::newRow("numbered, stored") << 2 << true;
        QTest::newRow("numbered, compressed") << 2 << false;
    }
    void extractsEveryNamingScheme()
    {
        QFETCH(int, naming);
        QFETCH(bool, store);
        QTemporaryDir dir;
        const QString src = makeSources(dir);
        const QString rel = dir.filePath(QStringLiteral("rel"));
        QDir().mkpath(rel);
        const VolumeNaming scheme = naming == 0   ? VolumeNaming::Part
                                    : naming == 1 ? VolumeNaming::OldStyle
                                                  : VolumeNaming::Numbered;
        QStringList volumes = makeRarSet(
            src, QStringLiteral("x.rar"),
            {QStringLiteral("disc.iso"), QStringLiteral("disc.cue"), QStringLiteral("Extras")}, 100,
            scheme, store);
        QVERIFY(volumes.size() >= 3);
        QStringList moved;
        for (const QString &volume : volumes) {
            const QString target = rel + QLatin1Char('/') + QFileInfo(volume).fileName();
            QVERIFY(QFile::rename(volume, target));
            moved << target;
        }
        if (naming == 1)
            QVERIFY(QFileInfo::exists(rel + QStringLiteral("/x.r01")));
        if (naming == 2)
            QVERIFY(QFileInfo::exists(rel + QStringLiteral("/x.003")));

        TestContext t;
        QStringList extracted;
        bool incomplete = false;
        const QString out = dir.filePath(QStringLiteral("out"));
        QVERIFY(ExtractRARArchive(t.context, moved.first(), out, extracted, incomplete));
        QVERIFY(!incomplete);
        QVERIFY2(unpackLines(t.log).isEmpty(), qPrintable(t.log.lines.join('\n')));
        verifyExtracted(src, out);
        // Every header, folders included, as a full path below the destination.
        QVERIFY(extracted.contains(out + QStringLiteral("/disc.iso")));
        QVERIFY(extracted.contains(out + QStringLiteral("/Extras")));
        QVERIFY(extracted.contains(out + QStringLiteral("/Extras/deep")));
        QVERIFY(extracted.contains(out + QStringLiteral("/Extras/deep/notes.txt")));
        QCOMPARE(extracted.size(), 5);
        // The display ran to the end: 350 KiB and more were counted, the title never above 100.
        QCOMPARE(t.view.titles.last(), QStringLiteral("[Tevo] 100%"));
        for (const QString &title : t.view.titles) {
            const int percent = title.mid(7).chopped(1).toInt();
            QVERIFY(percent >= 0 && percent <= 100);
        }
        QVERIFY(t.view.currentFileText.contains(QStringLiteral(" (Source: x.")));
    }

    void namesWithAccentsAndCjkInTheCLocale()
    {
        QTemporaryDir dir;
        const QString src = dir.filePath(QStringLiteral("src"));
        const QString name = QStringLiteral("Café Ünïcode 日本語.txt");
        writeFile(src + QLatin1Char('/') + name, 5000, 3);
        const QStringList volumes = makeRarSet(src, QStringLiteral("Ünï 名.rar"), {name}, 100);
        QCOMPARE(volumes.size(), 1);

        const QByteArray previous = setlocale(LC_ALL, nullptr);
        setlocale(LC_ALL, "C");
        TestContext t;
        QStringList extracted;
        bool incomplete = false;
        const QString out = dir.filePath(QStringLiteral("out ü"));
        const bool ok = ExtractRARArchive(t.context, volumes.first(), out, extracted, incomplete);
        setlocale(LC_ALL, previous.constData());
        QVERIFY2(ok, qPrintable(t.log.lines.join('\n')));
        QCOMPARE(listTree(out), QStringList{name});
        QCOMPARE(extracted, QStringList{out + QLatin1Char('/') + name});
    }

    void missingVolumeFailsAndNamesIt_data()
    {
        QTest::addColumn<bool>("last");
        QTest::newRow("middle volume") << false;
        QTest::newRow("last volume") << true;
    }
    void missingVolumeFailsAndNamesIt()
    {
        QFETCH(bool, last);
        QTemporaryDir dir;
        const QString src = makeSources(dir);
        const QStringList volumes =
            makeRarSet(src, QStringLiteral("x.rar"), {QStringLiteral("disc.iso")}, 100);
        QVERIFY(volumes.size() >= 4);
        const QString gone = last ? volumes.last() : volumes.at(1);
        QVERIFY(QFile::remove(gone));

        TestContext t;
        t.settings.setSuppressErrors(false);
        // The library works on a thread of its own; the box and the display stay on this one.
        const std::thread::id caller = std::this_thread::get_id();
        int shownElsewhere = 0;
        int progressElsewhere = 0;
        t.dialogs.onMessage = [&](const ScriptedDialogs::ShownMessage &) {
            shownElsewhere += std::this_thread::get_id() != caller;
        };
        t.view.onProgress = [&] { progressElsewhere += std::this_thread::get_id() != caller; };
        QStringList extracted;
        bool incomplete = false;
        QVERIFY(!ExtractRARArchive(t.context, volumes.first(), dir.filePath("out"), extracted,
                                   incomplete));
        QCOMPARE(shownElsewhere, 0);
        QCOMPARE(progressElsewhere, 0);
        QVERIFY(t.view.progressPosition > 0);
        const QString text = t.language.LangText(90, {QFileInfo(gone).fileName()});
        const QStringList lines = unpackLines(t.log);
        QCOMPARE(lines.count(LogTag::Unpack + text), 1);
        // And a line that names the entry that could not be finished.
        QVERIFY(lines.last().startsWith(LogTag::Unpack + QStringLiteral("disc.iso could not be")));
        QCOMPARE(t.dialogs.shownMessages.size(), 1);
        QCOMPARE(t.dialogs.shownMessages.first().text, text);
        QCOMPARE(t.dialogs.shownMessages.first().caption, QStringLiteral("Error"));
        for (const QString &volume : volumes) {
            if (volume != gone)
                QVERIFY(QFileInfo::exists(volume));
        }
    }

    // Through libunrar the damaged entry is named; copied straight from the volumes (with the
    // set's plan), the volume whose piece failed its CRC-32 is named with it.
    void damagedVolumeIsACrcError_data()
    {
        QTest::addColumn<bool>("withPlan");
        QTest::addColumn<bool>("small");
        QTest::addColumn<QString>("named");
        QTest::newRow("through libunrar") << false << false << "disc.iso";
        QTest::newRow("copied straight") << true << false << "disc.iso (x.part2.rar)";
        QTest::newRow("written by Tevo") << true << true << "disc.cue (x.rar)";
    }
    void damagedVolumeIsACrcError()
    {
        QFETCH(bool, withPlan);
        QFETCH(bool, small);
        QFETCH(QString, named);
        QTemporaryDir dir;
        const QString src = makeSources(dir);
        const QString file = small ? QStringLiteral("disc.cue") : QStringLiteral("disc.iso");
        const QStringList volumes =
            makeRarSet(src, QStringLiteral("x.rar"), {file}, 100, VolumeNaming::Part, !small);
        QVERIFY(volumes.size() >= (small ? 1 : 3));
        QFile volume(volumes.at(small ? 0 : 1));
        const RarDataPart part = ReadRarDataParts(volume.fileName()).value(0);
        QVERIFY(volume.open(QIODevice::ReadWrite));
        volume.seek(small ? part.dataAt + part.size / 2 : 50 * 1024);
        const char flipped = char(volume.peek(1).at(0) ^ 0x5a);
        volume.write(&flipped, 1);
        volume.close();

        TestContext t;
        QStringList extracted;
        bool incomplete = false;
        const SetPlan plan = ReadSetPlan(t.context, volumes.first());
        QVERIFY(withPlan ? !ExtractRARArchive(t.context, plan, dir.filePath("out"), extracted,
                                              incomplete)
                         : !ExtractRARArchive(t.context, volumes.first(), dir.filePath("out"),
                                              extracted, incomplete));
        QCOMPARE(unpackLines(t.log),
                 QStringList{LogTag::Unpack + t.language.LangText(97, {named})});
        QVERIFY(t.job.SetDataDamaged);
        QVERIFY(t.dialogs.shownMessages.isEmpty()); // errors are suppressed by default
        QVERIFY(!QFileInfo::exists(dir.filePath("out/" + file)));
    }

    // Stored files that Tevo copies straight from the volumes, small files that libunrar decodes
    // and Tevo writes, and those it leaves to libunrar (BLAKE2 checksums for the copy, hard links,
    // folders, everything after a symbolic link): each comes out as unrar x makes it, bytes, mode
    // and modification time alike.
    void filesComeOutAsUnrarMakesThem_data()
    {
        QTest::addColumn<QStringList>("rarArguments");
        QTest::addColumn<int>("copies");
        QTest::addColumn<int>("smallFiles");
        QTest::newRow("stored volumes") << QStringList{"-m0", "-v200k"} << 3 << 6;
        QTest::newRow("single archive") << QStringList{"-m0"} << 3 << 6;
        QTest::newRow("hard link kept") << QStringList{"-m0", "-v200k", "-oh"} << 2 << 6;
        QTest::newRow("BLAKE2 checksums") << QStringList{"-m0", "-v200k", "-htb"} << 0 << 0;
        // rar stores the random bytes of the large files as they are either way.
        QTest::newRow("small files compressed") << QStringList{"-m3"} << 3 << 6;
        QTest::newRow("a link before them") << QStringList{"-m3", "-ol"} << 3 << 0;
        QTest::newRow("RAR 4, written byte by byte") << QStringList{"RAR 4"} << 2 << 1;
    }
    void filesComeOutAsUnrarMakesThem()
    {
        QFETCH(QStringList, rarArguments);
        QFETCH(int, copies);
        QFETCH(int, smallFiles);
        QTemporaryDir dir;
        const QString src = dir.filePath(QStringLiteral("src"));
        writeFile(src + QStringLiteral("/movie.mkv"), 700 * 1024, 5);
        writeFile(src + QStringLiteral("/Sub/extras.bin"), 300 * 1024, 6);
        writeFile(src + QStringLiteral("/small.nfo"), 2000, 7, true);
        QVERIFY(::link(QFile::encodeName(src + "/movie.mkv"),
                       QFile::encodeName(src + "/copy.mkv")) == 0);
        QFile(src + "/movie.mkv")
            .setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                            QFileDevice::ReadGroup);
        // Small files of every mode, an empty one and one in a private folder.
        writeFile(src + QStringLiteral("/bin/run me.sh"), 300, 8, true);
        QCOMPARE(::chmod(QFile::encodeName(src + "/bin/run me.sh"), 0755), 0);
        writeFile(src + QStringLiteral("/bin/read-only.txt"), 500, 9, true);
        QCOMPARE(::chmod(QFile::encodeName(src + "/bin/read-only.txt"), 0444), 0);
        writeFile(src + QStringLiteral("/Private/Ünïcode.txt"), 700, 10, true);
        QCOMPARE(::chmod(QFile::encodeName(src + "/Private"), 0700), 0);
        writeText(src + QStringLiteral("/empty.txt"), QByteArray());
        QVERIFY(QFile::link(QStringLiteral("small.nfo"), src + QStringLiteral("/a-link")));
        if (rarArguments == QStringList{"RAR 4"})
            writeRar4Set(src);
        else
            QVERIFY(run("rar",
                        QStringList{"a", "-idq"} + rarArguments +
                            QStringList{"x.rar", "a-link", "movie.mkv", "Sub", "small.nfo",
                                        "copy.mkv", "bin", "Private", "empty.txt"},
                        src));
        const QString first =
            src + '/' + QDir(src).entryList({"x*.rar"}, QDir::Files, QDir::Name).constFirst();
        const QString ref = dir.filePath(QStringLiteral("ref"));
        QDir().mkpath(ref);
        QVERIFY(run("unrar", {"x", "-idq", first}, ref));

        TestContext t;
        const SetPlan plan = ReadSetPlan(t.context, first);
        QVERIFY(plan.complete);
        QStringList files;
        RarExtraction extraction(t.context, files);
        extraction.m_plan = &plan;
        const QString out = dir.filePath(QStringLiteral("out"));
        QDir().mkpath(out);
        QVERIFY(extraction.extract(first, out, plan.unpackedTotal));
        QCOMPARE(extraction.StoredCopies, copies);
        QCOMPARE(extraction.SmallFilesWritten, smallFiles);
        QCOMPARE(listTree(out), listTree(ref));
        // Every entry, and the folder itself.
        const QStringList names = listTree(ref) << QString();
        for (const QString &name : names) {
            struct stat made = {}, expected = {};
            QCOMPARE(::lstat(QFile::encodeName(out + '/' + name), &made), 0);
            QCOMPARE(::lstat(QFile::encodeName(ref + '/' + name), &expected), 0);
            if (S_ISREG(expected.st_mode))
                QCOMPARE(readAll(out + '/' + name), readAll(ref + '/' + name));
            QCOMPARE(made.st_mode, expected.st_mode);
            if (name.isEmpty())
                continue; // the folder itself
            QCOMPARE(made.st_mtim.tv_sec, expected.st_mtim.tv_sec);
            QCOMPARE(made.st_mtim.tv_nsec, expected.st_mtim.tv_nsec);
        }
    }

    void passwordProtectedSetFails_data()
    {
        QTest::addColumn<QString>("switchText");
        QTest::newRow("data encrypted") << QStringLiteral("-psecret");
        QTest::newRow("headers encrypted") << QStringLiteral("-hpsecret");
    }
    void passwordProtectedSetFails()
    {
        QFETCH(QString, switchText);
        QTemporaryDir dir;
        const QString src = makeSources(dir);
        QVERIFY(run(QStringLiteral("rar"),
                    {"a", "-idq", "-m0", "-v100k", switchText, "x.rar", "disc.iso"}, src));
        TestContext t;
        QStringList extracted;
        bool incomplete = false;
        QVERIFY(!ExtractRARArchive(t.context, src + QStringLiteral("/x.part1.rar"),
                                   dir.filePath("out"), extracted, incomplete));
        const QStringList lines = unpackLines(t.log);
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines.first().contains(t.language.LangText(167)), qPrintable(lines.first()));
        QVERIFY(!QFileInfo::exists(dir.filePath("out/disc.iso")) ||
                QFileInfo(dir.filePath("out/disc.iso")).size() == 0);
    }

    void notAnArchiveCannotBeOpened()
    {
        QTemporaryDir dir;
        const QString path = writeFile(dir.filePath("fake.rar"), 5000, 1);
        TestContext t;
        t.settings.setSuppressErrors(false);
        QStringList extracted;
        bool incomplete = false;
        QVERIFY(!ExtractRARArchive(t.context, path, dir.filePath("out"), extracted, incomplete));
        QCOMPARE(t.dialogs.shownMessages.size(), 1);
        QCOMPARE(t.dialogs.shownMessages.first().text,
                 t.language.LangText(95, {t.language.LangText(93)}));
        QCOMPARE(unpackLines(t.log).size(), 1);
        QVERIFY(extracted.isEmpty());
        // A first volume that cannot be read at all ends the job.
        QVERIFY_THROWS_EXCEPTION(TevoError,
                                 ExtractRARArchive(t.context, dir.filePath("none.rar"),
                                                   dir.filePath("out"), extracted, incomplete));
    }

    // A user extracts a release in place, reached through a link that only root may remove
    // (/home -> var/home, say): the link stays, and the set comes out behind it.
    void aLinkOnlyRootMayRemoveStays()
    {
        SKIP_FORKED_EXTRACTION_UNDER_THREAD_SANITIZER();
        if (::geteuid() != 0)
            QSKIP("making a link only root may remove needs root");
        QTemporaryDir dir;
        QVERIFY(QFile::setPermissions(
            dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                            QFileDevice::ReadOther | QFileDevice::ExeOther));
        const QString release = dir.filePath(QStringLiteral("disk/dl/rel"));
        writeFile(release + QStringLiteral("/disc.cue"), 3000, 8, true);
        writeFile(release + QStringLiteral("/disc.iso"), 350 * 1024, 7);
        makeRarSet(release, QStringLiteral("x.rar"), {"disc.cue", "disc.iso"}, 100);
        const QByteArray iso = readAll(release + QStringLiteral("/disc.iso"));
        QVERIFY(QFile::remove(release + QStringLiteral("/disc.iso")));
        QVERIFY(run("chmod", {"-R", "a+rwX", dir.filePath("disk")}, dir.path()));
        QVERIFY(QFile::link(QStringLiteral("disk/dl"), dir.filePath(QStringLiteral("dl"))));

        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                _exit(3);
            TestContext t;
            const QString first = dir.filePath(QStringLiteral("dl/rel/x.part1.rar"));
            QStringList extracted;
            bool incomplete = false;
            const bool ok =
                ExtractRARArchive(t.context, ReadSetPlan(t.context, first),
                                  dir.filePath(QStringLiteral("dl/rel")), extracted, incomplete);
            _exit(ok && !incomplete ? 0 : 1);
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
        QVERIFY(QFileInfo(dir.filePath(QStringLiteral("dl"))).isSymLink());
        QCOMPARE(readAll(release + QStringLiteral("/disc.iso")), iso);
        QCOMPARE(QFileInfo(release + QStringLiteral("/disc.iso")).ownerId(), 65534u);
    }

    void readOnlyTargetIsNeverReplaced()
    {
        QTemporaryDir dir;
        const QString src = makeSources(dir);
        const QStringList volumes =
            makeRarSet(src, QStringLiteral("x.rar"), {QStringLiteral("disc.cue")}, 100);
        const QString target = dir.filePath("out/disc.cue");
        writeText(target, "mine");
        QVERIFY(QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::ReadGroup));

        TestContext t;
        t.settings.setSuppressErrors(false);
        QStringList extracted;
        bool incomplete = false;
        QVERIFY(!ExtractRARArchive(t.context, volumes.first(), dir.filePath("out"), extracted,
                                   incomplete));
        QCOMPARE(readAll(target), QByteArray("mine"));
        QCOMPARE(t.dialogs.shownMessages.size(), 1);
        QCOMPARE(t.dialogs.shownMessages.first().text, t.language.LangText(96, {target}));
        QCOMPARE(unpackLines(t.log),
                 QStringList{LogTag::Unpack + t.language.LangText(96, {target})});
    }

    void fullDiskFailsAndKeepsSources_data()
    {
        QTest::addColumn<bool>("withPlan");
        QTest::addColumn<QString>("file");
        QTest::newRow("through libunrar") << false << "disc.iso";
        QTest::newRow("copied straight") << true << "disc.iso";
        QTest::newRow("written by Tevo") << true << "disc.cue";
    }
    void fullDiskFailsAndKeepsSources()
    {
        SKIP_FORKED_EXTRACTION_UNDER_THREAD_SANITIZER();
        QFETCH(bool, withPlan);
        QFETCH(QString, file);
        QTemporaryDir dir;
        const QString src = makeSources(dir);
        const bool small = file == QLatin1String("disc.cue");
        const QStringList volumes =
            makeRarSet(src, QStringLiteral("x.rar"), {file}, 100, VolumeNaming::Part, !small);
        const QString out = dir.filePath(QStringLiteral("out"));
        QDir().mkpath(out);

        // The file-size limit acts on the whole process, so the extraction runs in a child.
        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            signal(SIGXFSZ, SIG_IGN);
            const rlim_t bytes = small ? 1024 : 100 * 1024;
            rlimit limit{bytes, bytes};
            setrlimit(RLIMIT_FSIZE, &limit);
            TestContext t;
            QStringList extracted;
            bool incomplete = false;
            const bool ok =
                withPlan
                    ? ExtractRARArchive(t.context, ReadSetPlan(t.context, volumes.first()), out,
                                        extracted, incomplete)
                    : ExtractRARArchive(t.context, volumes.first(), out, extracted, incomplete);
            const QString expected = t.language.LangText(162, {file, t.language.LangText(164)});
            const bool logged = unpackLines(t.log) == QStringList{LogTag::Unpack + expected};
            _exit(ok ? 1 : (logged ? 0 : 2));
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
        for (const QString &volume : volumes)
            QVERIFY(QFileInfo::exists(volume));
    }

    void hostileEntriesNeverLeaveTheDestination()
    {
        QTemporaryDir dir;
        const QString src = makeSources(dir);
        QVERIFY(QFile::link(QStringLiteral("../../../etc/passwd"), src + QStringLiteral("/lnk")));
        QVERIFY(run("rar", {"a", "-idq", "-ep1", "-ap../../evil", "h.rar", "disc.cue"}, src));
        QVERIFY(run("rar", {"a", "-idq", "-ep1", "-ap" + dir.filePath("abs"), "h.rar", "disc.cue"},
                    src));
        QVERIFY(run("rar", {"a", "-idq", "-ol", "h.rar", "lnk"}, src));
        QVERIFY(run("rar", {"a", "-idq", "h.rar", "disc.iso"}, src));

        TestContext t;
        QStringList extracted;
        bool incomplete = false;
        const QString out = dir.filePath(QStringLiteral("a/b/out"));
        QVERIFY(!ExtractRARArchive(t.context, src + "/h.rar", out, extracted, incomplete));
        // A set that fails publishes nothing, and the folders made for it go again; nothing
        // appears outside the destination.
        QVERIFY(!QFileInfo::exists(dir.filePath("a")));
        QVERIFY(!QFileInfo::exists(dir.filePath("abs")));
        QVERIFY(!QFileInfo::exists(dir.filePath("evil")));
        QVERIFY(extracted.isEmpty());
        const QStringList lines = unpackLines(t.log);
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines.at(0).contains(t.language.LangText(170)));
        QVERIFY(lines.at(1).contains(t.language.LangText(170)));
        QVERIFY(lines.at(2).contains(t.language.LangText(216, {"lnk", "../../../etc/passwd"})));
    }

    void progressArithmetic()
    {
        TestContext t;
        QStringList extracted;
        RarExtraction extraction(t.context, extracted);
        extraction.ProgressTotal = 10 * 1024 * 1024;
        const long self = reinterpret_cast<long>(&extraction);

        QCOMPARE(RarCallback(UCM_PROCESSDATA, self, 0, 1023), 1);
        QCOMPARE(extraction.ProcessedKiB, 0);
        QCOMPARE(t.view.applicationTitle, QStringLiteral("[Tevo] 0%"));
        QCOMPARE(RarCallback(UCM_PROCESSDATA, self, 0, 2047), 1);
        QCOMPARE(extraction.ProcessedKiB, 1);
        QCOMPARE(t.view.progressPosition, 1);

        // Half done after 4 s of this step and 64 s of the job: 4 s still to go.
        t.job.JobStartTick = 1000;
        t.job.StepStartTick = 61000;
        t.platform.tick = 65000;
        QCOMPARE(RarCallback(UCM_PROCESSDATA, self, 0, 5 * 1024 * 1024 - 1024), 1);
        QCOMPARE(
            t.view.progressText,
            QStringLiteral("5.00 MiB/10.00 MiB (Time elapsed: 4 s/ins: 1 m 4 s/estimated: 4 s)"));
        QCOMPARE(t.view.applicationTitle, QStringLiteral("[Tevo] 50%"));

        // Beyond the total the title stays at 100, the total shows what is done and nothing
        // remains.
        QCOMPARE(RarCallback(UCM_PROCESSDATA, self, 0, 6 * 1024 * 1024), 1);
        QCOMPARE(t.view.applicationTitle, QStringLiteral("[Tevo] 100%"));
        QCOMPARE(
            t.view.progressText,
            QStringLiteral("11.00 MiB/11.00 MiB (Time elapsed: 4 s/ins: 1 m 4 s/estimated: 0 s)"));
        QCOMPARE(RarExtraction::EstimateText, QStringLiteral("0 s"));

        // Sizes beyond 4 GiB are counted in 64 bits.
        extraction.ProgressTotal = 6LL * 1024 * 1024 * 1024;
        extraction.ProcessedKiB = 5LL * 1024 * 1024;
        QCOMPARE(RarCallback(UCM_PROCESSDATA, self, 0, 0), 1);
        QVERIFY(t.view.progressText.startsWith(QStringLiteral("5.00 GiB/6.00 GiB")));
        QCOMPARE(t.view.applicationTitle, QStringLiteral("[Tevo] 83%"));

        // Password requests get no password.
        QCOMPARE(RarCallback(UCM_NEEDPASSWORD, self, 0, 0), 0);
    }

    void totalIsAtLeastTheFirstVolume()
    {
        QTemporaryDir dir;
        const QString src = makeSources(dir);
        // The small entry comes last, so the last header leaves its total on the bar.
        const QStringList volumes =
            makeRarSet(src, QStringLiteral("x.rar"),
                       {QStringLiteral("disc.iso"), QStringLiteral("disc.cue")}, 100);
        TestContext t;
        QStringList extracted;
        bool incomplete = false;
        QVERIFY(ExtractRARArchive(t.context, volumes.first(), dir.filePath("out"), extracted,
                                  incomplete));
        QCOMPARE(t.view.progressMaximum, int(QFileInfo(volumes.first()).size() / 1024));
    }

    void pauseWaitsAndAbortStops_data()
    {
        QTest::addColumn<bool>("withPlan");
        QTest::addColumn<bool>("small");
        QTest::newRow("through libunrar") << false << false;
        QTest::newRow("copied straight") << true << false;
        QTest::newRow("written by Tevo") << true << true;
    }
    void pauseWaitsAndAbortStops()
    {
        QFETCH(bool, withPlan);
        QFETCH(bool, small);
        QTemporaryDir dir;
        const QString src = makeSources(dir);
        // Copied straight, a file is reported a mebibyte at a time. Small files are decoded by
        // libunrar and written by Tevo: the pause comes with the second.
        if (withPlan)
            writeFile(src + QStringLiteral("/disc.iso"), small ? 200 * 1024 : 3 * 1024 * 1024, 7);
        QStringList files{QStringLiteral("disc.iso")};
        if (small)
            files << QStringLiteral("disc.cue");
        const QStringList volumes = makeRarSet(src, QStringLiteral("x.rar"), files,
                                               withPlan ? 1000 : 100, VolumeNaming::Part, !small);
        const auto extract = [&](TestContext &t, const QString &out) {
            QStringList extracted;
            bool incomplete = false;
            if (withPlan)
                return ExtractRARArchive(t.context, ReadSetPlan(t.context, volumes.first()), out,
                                         extracted, incomplete);
            return ExtractRARArchive(t.context, volumes.first(), out, extracted, incomplete);
        };

        // Pause at the first data block; the wait loop is released after 30 ms of its sleeps.
        {
            TestContext t;
            std::uint32_t pausedAt = 0;
            t.view.onProgress = [&] {
                if (!pausedAt && t.view.progressPosition > 0) {
                    pausedAt = t.platform.tick;
                    t.job.Paused = true;
                }
            };
            t.platform.onProcessEvents = [&] {
                if (t.job.Paused && t.platform.tick - pausedAt >= 30)
                    t.job.Paused = false;
            };
            const std::uint32_t before = t.platform.tick;
            QVERIFY(extract(t, dir.filePath("out1")));
            QVERIFY(pausedAt != 0);
            QCOMPARE(t.platform.tick - before, 30u); // three 10 ms sleeps, nothing else
            QCOMPARE(readAll(dir.filePath("out1/disc.iso")), readAll(src + "/disc.iso"));
        }
        // Close during the extraction: the entry stops, the set fails with a log line.
        {
            TestContext t;
            t.view.onProgress = [&] {
                if (t.view.progressPosition > 0)
                    t.job.AbortRequested = true;
            };
            QVERIFY(!extract(t, dir.filePath("out2")));
            QCOMPARE(unpackLines(t.log),
                     QStringList{LogTag::Unpack +
                                 t.language.LangText(162, {"disc.iso", t.language.LangText(168)})});
            QVERIFY(!QFileInfo::exists(dir.filePath("out2/disc.iso")));
        }
    }

    // An entry that is gone from the staging folder by the time the set is checked fails the
    // set: nothing is published.
    void entryGoneBeforePublishFailsTheSet()
    {
        QTemporaryDir dir;
        const QString src = makeSources(dir);
        const QStringList volumes =
            makeRarSet(src, QStringLiteral("x.rar"),
                       {QStringLiteral("disc.cue"), QStringLiteral("disc.iso")}, 100);
        TestContext t;
        QStringList extracted;
        bool incomplete = false;
        // Something removes the first entry as soon as the second one starts.
        const QString out = dir.filePath("out");
        QVERIFY(QDir().mkpath(out));
        t.view.onProgress = [&] {
            const QStringList staging =
                QDir(out).entryList({".tevo-staging-*"}, QDir::Dirs | QDir::Hidden);
            if (t.view.progressPosition == 0 && staging.size() == 1)
                QFile::remove(out + "/" + staging.first() + "/tree/disc.cue");
        };
        QVERIFY(!ExtractRARArchive(t.context, volumes.first(), out, extracted, incomplete));
        QVERIFY(incomplete);
        QVERIFY(extracted.isEmpty());
        QCOMPARE(listTree(out), QStringList());
        QVERIFY(t.log.contains("disc.cue was written with 0 bytes"));
    }

    void pathTooLongIsRejected()
    {
        QTemporaryDir dir;
        const QString src = makeSources(dir);
        const QStringList volumes =
            makeRarSet(src, QStringLiteral("x.rar"), {QStringLiteral("disc.cue")}, 100);
        QString deep = dir.path();
        while (deep.size() < 2100)
            deep += QStringLiteral("/abcdefghijklmnopqrstuvwxyz0123456789");
        TestContext t;
        t.settings.setSuppressErrors(false);
        QStringList extracted;
        bool incomplete = false;
        QVERIFY(!ExtractRARArchive(t.context, volumes.first(), deep, extracted, incomplete));
        QCOMPARE(t.dialogs.shownMessages.size(), 1);
        QVERIFY(extracted.isEmpty());
        QCOMPARE(unpackLines(t.log),
                 QStringList{LogTag::Unpack +
                             t.language.LangText(162, {"disc.cue", t.language.LangText(172)})});
        QVERIFY(!QFileInfo::exists(dir.filePath("abcdefghijklmnopqrstuvwxyz0123456789")));
    }
};

QTEST_GUILESS_MAIN(TestRarExtractor)
#include "tst_rarextractor.moc"
