// The folder run on real release folders: RAR sets made by rar, SFV lists made by cksfv, ZIP
// files made by zip, NFO files and sample and subtitle folders, through the engine's fakes.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "engine/Errors.h"
#include "engine/Pipeline.h"
#include "engine/SoundOutput.h"
#include "jobs/JobWindow.h"
#include "jobs/UnpackJob.h"
#include "support/Fakes.h"
#include "support/JobFakes.h"
#include "support/ReleaseMaker.h"

using ReleaseMaker::listTree;
using ReleaseMaker::VolumeNaming;

namespace {

QString Eq()
{
    return QString(41, QLatin1Char('='));
}
QString Dash()
{
    return QString(41, QLatin1Char('-'));
}

using ReleaseMaker::readAll;

// Whether expected appears in lines in this order (other lines may stand between).
bool InOrder(const QStringList &lines, const QStringList &expected, QString *missing)
{
    int at = 0;
    for (const QString &line : expected) {
        while (at < lines.size() && lines.at(at) != line)
            ++at;
        if (at == lines.size()) {
            *missing = line;
            return false;
        }
        ++at;
    }
    return true;
}

#define VERIFY_IN_ORDER(lines, expected)                                                           \
    do {                                                                                           \
        QString missing_;                                                                          \
        if (!InOrder(lines, expected, &missing_))                                                  \
            QFAIL(qPrintable(QStringLiteral("not found in order: \"%1\"\nlog:\n%2")                \
                                 .arg(missing_, (lines).join(QLatin1Char('\n')))));                \
    } while (false)

} // namespace

class TestPipeline : public QObject
{
    Q_OBJECT

    QTemporaryDir m_temp;
    int m_serial = 0;

    // A fresh folder under the temporary folder.
    QString newFolder(const QString &name)
    {
        const QString path = m_temp.filePath(QStringLiteral("%1-%2").arg(++m_serial).arg(name));
        QDir().mkpath(path);
        return path;
    }

    // Makes the RAR set "name" of the given payload files (name -> size) in folder, with an SFV
    // list of its volumes unless told otherwise. The payload files are kept in a staging folder,
    // whose path is returned, for comparing what the extraction writes.
    QString makeSet(const QString &folder, const QString &name,
                    const QList<QPair<QString, qint64>> &payload, int volumeKiB = 64,
                    bool withSfv = true, VolumeNaming naming = VolumeNaming::Part)
    {
        const QString staging = newFolder(QStringLiteral("stage-") + name);
        QStringList files;
        quint32 seed = 7 + m_serial;
        for (const auto &entry : payload) {
            ReleaseMaker::writeFile(staging + QLatin1Char('/') + entry.first, entry.second, ++seed);
            files << entry.first;
        }
        const QStringList volumes =
            ReleaseMaker::makeRarSet(staging, name, files, volumeKiB, naming);
        QDir().mkpath(folder);
        QStringList names;
        for (const QString &volume : volumes) {
            const QString fileName = QFileInfo(volume).fileName();
            QFile::rename(volume, folder + QLatin1Char('/') + fileName);
            names << fileName;
        }
        if (withSfv)
            ReleaseMaker::makeSfv(folder, name + QStringLiteral(".sfv"), names);
        return staging;
    }

    // A queue of release folders <name>1..<name>count, each with the set <stem><i> of one
    // <stem><i>.iso of the given size.
    QStringList makeQueue(const QString &name, const QString &stem, int count, qint64 size)
    {
        QStringList folders;
        for (int i = 1; i <= count; ++i) {
            const QString rel = newFolder(name + QString::number(i));
            const QString set = stem + QString::number(i);
            makeSet(rel, set, {{set + QStringLiteral(".iso"), size}});
            folders << rel;
        }
        return folders;
    }

private slots:
    void initTestCase() { QVERIFY(m_temp.isValid()); }

    // The destination folder of each output mode, without archives.
    void destinationFolder_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("custom");
        QTest::addColumn<bool>("subdirPerEntry");
        QTest::addColumn<int>("naming");
        QTest::addColumn<QString>("release");
        QTest::addColumn<QString>("candidate");
        QTest::addColumn<QString>("destination");
        QTest::addColumn<QString>("releaseAfter");
        const int input = int(OutputModeChoice::InputFolder);
        const int newDir = int(OutputModeChoice::NewDirInInput);
        const int custom = int(OutputModeChoice::CustomDir);
        const int archive = int(SubdirNamingChoice::ArchiveName);
        const int folder = int(SubdirNamingChoice::FolderName);
        QTest::newRow("input folder: the candidate's own folder")
            << input << "" << false << archive << "/d/rel/"
            << "/d/rel/cd1/x.part01.rar"
            << "/d/rel/cd1/"
            << "/d/rel/";
        QTest::newRow("new dir: below the release folder, also from a subfolder")
            << newDir << "" << false << archive << "/d/rel/"
            << "/d/rel/cd1/x.part01.rar"
            << "/d/rel/x.part01/"
            << "/d/rel/";
        QTest::newRow("custom as typed") << custom << "/e/out" << false << archive << "/d/rel/"
                                         << "/d/rel/x.rar"
                                         << "/e/out"
                                         << "/d/rel/";
        QTest::newRow("custom, archive name, doubled slash collapsed")
            << custom << "/e/out/" << true << archive << "/d/rel/"
            << "/d/rel/x.rar"
            << "/e/out/x/"
            << "/d/rel/";
        QTest::newRow("custom, folder name from the queue")
            << custom << "/e/out" << true << folder << "/d/rel/Some.Release/"
            << "/d/rel/Some.Release/cd2/y.rar"
            << "/e/out/Some.Release/"
            << "/d/rel/Some.Release";
    }
    void destinationFolder()
    {
        QFETCH(int, mode);
        QFETCH(QString, custom);
        QFETCH(bool, subdirPerEntry);
        QFETCH(int, naming);
        QFETCH(QString, release);
        QFETCH(QString, candidate);
        QFETCH(QString, destination);
        QFETCH(QString, releaseAfter);
        TestContext t;
        t.settings.setOutputMode(OutputModeChoice(mode));
        t.settings.setCustomOutputDir(custom);
        t.settings.setSubdirPerEntry(subdirPerEntry);
        t.settings.setSubdirNaming(SubdirNamingChoice(naming));
        QCOMPARE(DestinationFolder(t.context, release, candidate), destination);
        QCOMPARE(release, releaseAfter);
        // The folder name rule gives the same folder for every set of the release.
        QCOMPARE(DestinationFolder(t.context, release, candidate), destination);
    }

    // An empty custom output folder would mean the current folder or the root of the system.
    void emptyCustomFolderIsAnError()
    {
        TestContext t;
        t.settings.setOutputMode(OutputModeChoice::CustomDir);
        t.settings.setSubdirPerEntry(true);
        QString release = QStringLiteral("/d/rel/");
        QVERIFY_THROWS_EXCEPTION(TevoError, DestinationFolder(t.context, release, "/d/rel/x.rar"));
    }

    // The road of one release with default settings: x.part1..5.rar, x.sfv, x.nfo.
    void overviewRoad()
    {
        const QString rel = newFolder(QStringLiteral("Overview.Release"));
        const QString staging = makeSet(rel, QStringLiteral("x"), {{"x.iso", 300 * 1024}});
        ReleaseMaker::writeText(rel + "/x.nfo", "release notes\n");
        QCOMPARE(listTree(rel), (QStringList{"x.nfo", "x.part1.rar", "x.part2.rar", "x.part3.rar",
                                             "x.part4.rar", "x.part5.rar", "x.sfv"}));
        TestContext t;
        const QStringList extracted = UnPack(t.context, rel);

        QCOMPARE(extracted, QStringList{rel + "/x.iso"});
        QCOMPARE(readAll(rel + "/x.iso"), readAll(staging + "/x.iso"));
        QCOMPARE(t.platform.openedPaths, QStringList{rel + "/x.nfo"});
        const QStringList log = t.log.messages();
        VERIFY_IN_ORDER(
            log,
            (QStringList{"[UNPACK ] Unpacking ZIP files first", "[UNPACK ] 0 ZIP file(s) handled",
                         Eq(), "[ARCHiVE] 1 archive(s) found", "[NFO    ] 1 NFO file(s) found",
                         Dash(), "[SFV    ] 1 SFV file(s) found", "[SFV    ] Checking x.sfv",
                         Dash(), "[UNPACK ] Extracting archive", "Source:   x.part1.r*",
                         "Dest:     " + rel + "/", Dash(), "[UNPACK ] 1 archive(s) unpacked",
                         "[END    ] Folder done"}));
        QVERIFY(!t.log.contains(QStringLiteral("[NOTE   ]")));
        QVERIFY(!t.log.contains(QStringLiteral("did not check out")));
        // Sources stay with "Delete Files" off; the window is handed back.
        QVERIFY(QFile::exists(rel + "/x.part3.rar"));
        QVERIFY(!t.view.runControlsLocked);
        QVERIFY(!t.view.progressEnabled);
        QCOMPARE(t.view.currentFileText, QStringLiteral("??"));
        QVERIFY(!t.job.UnpackRunning);
        QCOMPARE(t.platform.shutdownRequests, 0);
    }

    // Two sets, the first failing its SFV check: only the second is extracted, and a failed check
    // is no extraction failure.
    void firstOfTwoSetsFailsItsCheck()
    {
        const QString rel = newFolder(QStringLiteral("Two.Sets"));
        makeSet(rel + "/cd1", QStringLiteral("a"), {{"a.iso", 150 * 1024}});
        const QString staging2 =
            makeSet(rel + "/cd2", QStringLiteral("b"), {{"b.iso", 150 * 1024}});
        // Damage one volume of the first set after its SFV list was made.
        {
            QFile volume(rel + "/cd1/a.part2.rar");
            QVERIFY(volume.open(QIODevice::ReadWrite));
            volume.seek(1000);
            volume.write("damage");
        }
        TestContext t;
        t.settings.setUnpackZipFirst(false);
        const QStringList extracted = UnPack(t.context, rel);
        QCOMPARE(extracted, QStringList{rel + "/cd2/b.iso"});
        QCOMPARE(readAll(rel + "/cd2/b.iso"), readAll(staging2 + "/b.iso"));
        QVERIFY(!QFile::exists(rel + "/cd1/a.iso"));
        // The sets come in the order the file system lists them.
        const QStringList log = t.log.messages();
        VERIFY_IN_ORDER(log,
                        (QStringList{"[ARCHiVE] 2 archive(s) found", "[SFV    ] Checking a.sfv",
                                     "[SFV    ] a.sfv did not check out, its archive is not "
                                     "extracted"}));
        VERIFY_IN_ORDER(log,
                        (QStringList{"[SFV    ] Checking b.sfv", "[UNPACK ] Extracting archive",
                                     "Source:   b.part1.r*", "[UNPACK ] 1 archive(s) unpacked",
                                     "[END    ] Folder done"}));
        QCOMPARE(log.filter("Source:").size(), 1);
        QVERIFY(!t.log.contains(QStringLiteral("Unpacking ZIP files first")));
        QVERIFY(!t.log.contains(QStringLiteral("[NOTE   ]")));
    }

    // A release wrapped in a ZIP file: the ZIP is unpacked into its folder and deleted, then the
    // set inside is extracted; the closing count includes the ZIP.
    void releaseWrappedInZip()
    {
        const QString rel = newFolder(QStringLiteral("Zipped.Release"));
        const QString inner = newFolder(QStringLiteral("inner"));
        const QString staging = makeSet(inner, QStringLiteral("z"), {{"z.iso", 200 * 1024}});
        ReleaseMaker::writeText(inner + "/z.nfo", "notes\n");
        const QStringList innerFiles = listTree(inner);
        QVERIFY(ReleaseMaker::makeZip(inner, rel + "/z-release.zip", innerFiles));

        TestContext t;
        const QStringList extracted = UnPack(t.context, rel);
        QCOMPARE(extracted, QStringList{rel + "/z.iso"});
        QCOMPARE(readAll(rel + "/z.iso"), readAll(staging + "/z.iso"));
        QVERIFY(!QFile::exists(rel + "/z-release.zip"));
        VERIFY_IN_ORDER(
            t.log.messages(),
            (QStringList{"[UNPACK ] Unpacking ZIP files first", "[UNPACK ] 1 ZIP file(s) handled",
                         Eq(), "[NFO    ] 1 NFO file(s) found", "[SFV    ] Checking z.sfv",
                         "[UNPACK ] Extracting archive", "[UNPACK ] 2 archive(s) unpacked",
                         "[END    ] Folder done"}));
    }

    // The Sample folder goes by the delete list, the Subs folder is passed over by the skip list.
    void sampleDeletedAndSubsSkipped()
    {
        const QString rel = newFolder(QStringLiteral("Lists.Release"));
        makeSet(rel, QStringLiteral("m"), {{"m.mkv", 120 * 1024}});
        makeSet(rel + "/Subs", QStringLiteral("subs"), {{"subs.idx", 100 * 1024}});
        ReleaseMaker::writeFile(rel + "/Sample/m-sample.mkv", 5000);
        TestContext t;
        t.settings.setDeleteList(QStringList{"*/Sample"});
        t.settings.setSkipList(QStringList{"*/Subs"});
        const QStringList extracted = UnPack(t.context, rel);
        QCOMPARE(extracted, QStringList{rel + "/m.mkv"});
        QVERIFY(!QFileInfo::exists(rel + "/Sample"));
        QVERIFY(!QFileInfo::exists(rel + "/Subs/subs.idx"));
        QVERIFY(QFileInfo::exists(rel + "/Subs/subs.part1.rar"));
        QVERIFY(t.log.contains(QStringLiteral("[ARCHiVE] 1 archive(s) found")));
    }

    // The three output modes on a release whose set lies in a subfolder.
    void outputModes()
    {
        struct Case
        {
            OutputModeChoice mode;
            bool subdir;
            SubdirNamingChoice naming;
            QString expected; // relative to the release folder, or to "out" when it starts so
        };
        const QList<Case> cases{
            {OutputModeChoice::InputFolder, false, SubdirNamingChoice::ArchiveName, "cd1/o.iso"},
            {OutputModeChoice::NewDirInInput, false, SubdirNamingChoice::ArchiveName,
             "o.part1/o.iso"},
            {OutputModeChoice::CustomDir, false, SubdirNamingChoice::ArchiveName, "out:o.iso"},
            {OutputModeChoice::CustomDir, true, SubdirNamingChoice::ArchiveName,
             "out:o.part1/o.iso"},
            {OutputModeChoice::CustomDir, true, SubdirNamingChoice::FolderName,
             "out:Mode.Release/o.iso"}};
        for (const Case &c : cases) {
            const QString base = newFolder(QStringLiteral("modes"));
            const QString rel = base + "/Mode.Release";
            const QString staging = makeSet(rel + "/cd1", QStringLiteral("o"), {{"o.iso", 90000}});
            TestContext t;
            t.settings.setOutputMode(c.mode);
            t.settings.setCustomOutputDir(base + "/out/");
            t.settings.setSubdirPerEntry(c.subdir);
            t.settings.setSubdirNaming(c.naming);
            const QStringList extracted = UnPack(t.context, rel + "/");
            const QString expected = c.expected.startsWith("out:")
                                         ? base + "/out/" + c.expected.mid(4)
                                         : rel + "/" + c.expected;
            QCOMPARE(extracted, QStringList{expected});
            QCOMPARE(readAll(expected), readAll(staging + "/o.iso"));
        }
    }

    // Per-set deletion removes the set's volumes and SFV list, not the NFO; with "Delete Files"
    // off everything stays.
    void perSetDeletion()
    {
        for (bool deleteSources : {true, false}) {
            const QString rel = newFolder(QStringLiteral("PerSet"));
            makeSet(rel, QStringLiteral("p"), {{"p.iso", 200 * 1024}});
            ReleaseMaker::writeText(rel + "/p.nfo", "n\n");
            TestContext t;
            t.settings.setDeleteSources(deleteSources);
            t.settings.setDeleteTiming(DeleteTimingChoice::AfterExtraction);
            t.settings.setOpenDestination(true);
            t.settings.setOpenNfo(false);
            UnPack(t.context, rel);
            QCOMPARE(t.platform.openedPaths, QStringList{rel + "/"});
            if (deleteSources) {
                QCOMPARE(listTree(rel), (QStringList{"p.iso", "p.nfo"}));
                QVERIFY(t.log.contains(QStringLiteral("[DELETE ] 5 source file(s) deleted")));
            } else {
                QCOMPARE(listTree(rel).size(), 2 + 4 + 1);
                QVERIFY(!t.log.contains(QStringLiteral("[DELETE ]")));
            }
        }
    }

    // After-all deletion asks first: Yes deletes every volume and SFV list, No deletes nothing.
    void afterAllDeletion()
    {
        for (MessageAnswer answer : {MessageAnswer::Yes, MessageAnswer::No}) {
            const QString rel = newFolder(QStringLiteral("AfterAll"));
            makeSet(rel + "/cd1", QStringLiteral("a"), {{"a.iso", 100 * 1024}});
            makeSet(rel + "/cd2", QStringLiteral("b"), {{"b.iso", 100 * 1024}});
            TestContext t;
            t.settings.setDeleteSources(true);
            t.settings.setDeleteTiming(DeleteTimingChoice::AfterExtractingAll);
            t.dialogs.setNextAnswer(answer);
            UnPack(t.context, rel);
            QCOMPARE(t.dialogs.shownMessages.size(), 1);
            QCOMPARE(t.dialogs.shownMessages[0].caption, QStringLiteral("Confirmation"));
            if (answer == MessageAnswer::Yes) {
                QCOMPARE(listTree(rel), (QStringList{"cd1/a.iso", "cd2/b.iso"}));
                QVERIFY(t.log.contains(QStringLiteral("[DELETE ] Source files deleted")));
            } else {
                QCOMPARE(listTree(rel).size(), 2 + 2 * (2 + 1));
                QVERIFY(!t.log.contains(QStringLiteral("[DELETE ]")));
            }
        }
    }

    // Check only: the SFV lists are checked, nothing is extracted, no destination line.
    void checkOnly()
    {
        const QString rel = newFolder(QStringLiteral("CheckOnly"));
        makeSet(rel, QStringLiteral("c"), {{"c.iso", 100 * 1024}});
        TestContext t;
        t.settings.setCheckOnly(true);
        const QStringList extracted = UnPack(t.context, rel);
        QVERIFY(extracted.isEmpty());
        QVERIFY(!QFile::exists(rel + "/c.iso"));
        QVERIFY(t.log.contains(QStringLiteral("[SFV    ] Checking c.sfv")));
        QVERIFY(!t.log.contains(QStringLiteral("Dest:")));
        QVERIFY(t.log.contains(QStringLiteral("[UNPACK ] 0 archive(s) unpacked")));
    }

    // With "Copy NFO" every NFO file of the release lands in each set's destination folder.
    void copyNfoWithTwoSets()
    {
        const QString rel = newFolder(QStringLiteral("CopyNfo"));
        makeSet(rel + "/cd1", QStringLiteral("a"), {{"a.iso", 70000}});
        makeSet(rel + "/cd2", QStringLiteral("b"), {{"b.iso", 70000}});
        ReleaseMaker::writeText(rel + "/info.nfo", "info\n");
        ReleaseMaker::writeText(rel + "/cd2/extra.nfo", "extra\n");
        TestContext t;
        t.settings.setCopyNfo(true);
        t.settings.setOutputMode(OutputModeChoice::NewDirInInput);
        UnPack(t.context, rel);
        for (const QString &set : {QStringLiteral("a.part1"), QStringLiteral("b.part1")}) {
            QCOMPARE(readAll(rel + "/" + set + "/info.nfo"), QByteArray("info\n"));
            QCOMPARE(readAll(rel + "/" + set + "/extra.nfo"), QByteArray("extra\n"));
        }
        // Copied into the folder it already lies in, an NFO file is left as it is.
        t.log.lines.clear();
        t.settings.setOutputMode(OutputModeChoice::InputFolder);
        UnPack(t.context, rel);
        QCOMPARE(readAll(rel + "/cd2/extra.nfo"), QByteArray("extra\n"));
        QCOMPARE(readAll(rel + "/cd1/info.nfo"), QByteArray("info\n"));
    }

    // "Check even if no archive found": a folder of plain files with their SFV list is checked
    // and reported, and nothing is extracted.
    void checkWithoutArchive()
    {
        for (bool damaged : {false, true}) {
            const QString rel = newFolder(QStringLiteral("NoArchive"));
            ReleaseMaker::writeFile(rel + "/track1.flac", 40000, 1);
            ReleaseMaker::writeFile(rel + "/track2.flac", 40000, 2);
            QVERIFY(ReleaseMaker::makeSfv(rel, "album.sfv", {"track1.flac", "track2.flac"}));
            if (damaged)
                ReleaseMaker::writeFile(rel + "/track2.flac", 40000, 3);
            TestContext t;
            t.settings.setCheckWithoutArchive(true);
            const QStringList extracted = UnPack(t.context, rel);
            QVERIFY(extracted.isEmpty());
            const QStringList log = t.log.messages();
            VERIFY_IN_ORDER(
                log, (QStringList{"[ARCHiVE] 1 archive(s) found", "[SFV    ] Checking album.sfv",
                                  "[UNPACK ] 0 archive(s) unpacked"}));
            QCOMPARE(log.contains("[SFV    ] album.sfv did not check out, its archive is not "
                                  "extracted"),
                     damaged);
            QVERIFY(!t.log.contains(QStringLiteral("Extracting archive")));
            QVERIFY(!t.log.contains(QStringLiteral("[NOTE   ]")));
        }
    }

    // Stop during the ZIP phase: that ZIP is not counted, no ZIP is deleted, and the pending
    // Stop skips the archive phase and stays for the next folder.
    void stopDuringZipPhase()
    {
        const QString rel = newFolder(QStringLiteral("StopZip"));
        const QString inner = newFolder(QStringLiteral("inner"));
        makeSet(inner, QStringLiteral("sz"), {{"sz.iso", 100 * 1024}});
        QVERIFY(ReleaseMaker::makeZip(inner, rel + "/sz.zip", listTree(inner)));
        TestContext t;
        t.view.onProgress = [&] { t.job.StopRequested = true; };
        UnPack(t.context, rel);
        QVERIFY(t.job.StopRequested);
        QVERIFY(QFile::exists(rel + "/sz.zip"));
        QVERIFY(!QFile::exists(rel + "/sz.iso"));
        QCOMPARE(t.log.messages().mid(t.log.messages().indexOf("[UNPACK ] 0 ZIP file(s) handled")),
                 (QStringList{"[UNPACK ] 0 ZIP file(s) handled", Eq(), "[END    ] Folder done"}));
    }

    // Stop pressed (by a timer) during the first of three extractions: that set is finished and
    // counted, the others are not started, and the run ends with its summary.
    void stopDuringExtraction()
    {
        const QString rel = newFolder(QStringLiteral("Stop"));
        for (const QString &name :
             {QStringLiteral("s1"), QStringLiteral("s2"), QStringLiteral("s3")})
            makeSet(rel + "/" + name, name, {{name + ".iso", 150 * 1024}});
        TestContext t;
        t.settings.setUnpackZipFirst(false);
        t.platform.pumpRealEvents = true;
        PipelineJob rig(t);
        UnpackJob &job = rig.job;
        bool armed = false;
        // Armed once the extraction runs (the SFV check before it shows progress too).
        t.view.onProgress = [&] {
            if (!armed && t.log.contains(QStringLiteral("Dest:     "))) {
                armed = true;
                QTimer::singleShot(0, [&] { job.stop(); });
            }
        };
        t.settings.setInputFolder(rel);
        job.start();
        // The first set in the file system's order is finished; no other is started.
        const QStringList extractedIsos = listTree(rel).filter(".iso");
        QCOMPARE(extractedIsos.size(), 1);
        const QString first = QFileInfo(extractedIsos[0]).completeBaseName();
        QCOMPARE(t.log.messages().filter("Source:"),
                 QStringList{"Source:   " + first + ".part1.r*"});
        VERIFY_IN_ORDER(t.log.messages(),
                        (QStringList{"Source:   " + first + ".part1.r*",
                                     "[NOTICE ] Tevo stops after the current archive",
                                     "[UNPACK ] 1 archive(s) unpacked", "[END    ] Folder done",
                                     "Unpack job finished"}));
        QVERIFY(!t.job.StopRequested); // the archive loop obeyed it
    }

    // Pause pressed during an extraction holds it; Pause again lets it finish.
    void pauseDuringExtraction()
    {
        const QString rel = newFolder(QStringLiteral("Pause"));
        const QString staging = makeSet(rel, QStringLiteral("w"), {{"w.iso", 300 * 1024}});
        TestContext t;
        t.settings.setUnpackZipFirst(false);
        t.platform.pumpRealEvents = true;
        PipelineJob rig(t);
        UnpackJob &job = rig.job;
        bool armed = false;
        int pumpsWhilePaused = 0;
        t.view.onProgress = [&] {
            if (!armed && t.view.progressPosition > 0 &&
                t.log.contains(QStringLiteral("Dest:     "))) {
                armed = true;
                QTimer::singleShot(0, [&] { job.togglePause(); });
            }
        };
        t.platform.onProcessEvents = [&] {
            if (t.job.Paused && ++pumpsWhilePaused == 20)
                QTimer::singleShot(0, [&] { job.togglePause(); });
        };
        t.settings.setInputFolder(rel);
        job.start();
        QVERIFY(pumpsWhilePaused >= 20);
        QVERIFY(!t.job.Paused);
        QCOMPARE(readAll(rel + "/w.iso"), readAll(staging + "/w.iso"));
        VERIFY_IN_ORDER(
            t.log.messages(),
            (QStringList{"[UNPACK ] Extracting archive", "[UNPACK ] Pausing", "[UNPACK ] Resuming",
                         "[UNPACK ] 1 archive(s) unpacked", "[END    ] Folder done"}));
    }

    // Paused when the run reaches the gate: the archive phase is skipped, the pause stays.
    void pausedAtTheGate()
    {
        const QString rel = newFolder(QStringLiteral("Gate"));
        makeSet(rel, QStringLiteral("g"), {{"g.iso", 50000}});
        TestContext t;
        t.job.Paused = true;
        UnPack(t.context, rel);
        QVERIFY(t.job.Paused);
        QVERIFY(!QFile::exists(rel + "/g.iso"));
        QCOMPARE(t.log.messages(),
                 (QStringList{"[UNPACK ] Unpacking ZIP files first",
                              "[UNPACK ] 0 ZIP file(s) handled", Eq(), "[END    ] Folder done"}));
    }

    // Close during a ZIP extraction: the ZIP is cancelled and the run ends at once, without its
    // archive phase and end lines; the window is handed back.
    void closeDuringZip()
    {
        const QString rel = newFolder(QStringLiteral("CloseZip"));
        const QString inner = newFolder(QStringLiteral("inner"));
        ReleaseMaker::writeFile(inner + "/big.bin", 3 * 1024 * 1024, 5);
        makeSet(inner, QStringLiteral("k"), {{"k.iso", 50000}});
        QVERIFY(ReleaseMaker::makeZip(inner, rel + "/k.zip", listTree(inner)));
        TestContext t;
        t.view.onProgress = [&] {
            t.job.Paused = false;
            t.job.AbortRequested = true;
        };
        const QStringList extracted = UnPack(t.context, rel);
        QVERIFY(extracted.isEmpty());
        QVERIFY(t.job.AbortRequested); // it ends the whole job, not this folder only
        QVERIFY(t.log.contains(t.language.LangText(215)));
        QVERIFY(!t.log.contains(QStringLiteral("ZIP file(s) handled")));
        QVERIFY(!t.log.contains(QStringLiteral("[END    ]")));
        QVERIFY(!QFile::exists(rel + "/k.iso"));
        QVERIFY(QFile::exists(rel + "/k.zip"));
        QVERIFY(!t.view.runControlsLocked);
        QVERIFY(!t.job.UnpackRunning);
    }

    // Close during a RAR extraction: the set is not finished and not counted, no later set starts.
    void closeDuringRar()
    {
        const QString rel = newFolder(QStringLiteral("CloseRar"));
        makeSet(rel + "/cd1", QStringLiteral("r1"), {{"r1.iso", 400 * 1024}});
        makeSet(rel + "/cd2", QStringLiteral("r2"), {{"r2.iso", 400 * 1024}});
        TestContext t;
        t.settings.setDeleteSources(true);
        t.view.onProgress = [&] {
            if (t.view.progressPosition > 0 && t.log.contains(QStringLiteral("Dest:     ")))
                t.job.AbortRequested = true;
        };
        UnPack(t.context, rel);
        // Whichever set the file system lists first is cut short; the other is not started.
        QCOMPARE(t.log.messages().filter("Source:").size(), 1);
        QVERIFY(!t.log.contains(QStringLiteral("1 archive(s) unpacked")));
        // Nothing of an unfinished set is deleted.
        QVERIFY(QFile::exists(rel + "/cd1/r1.part1.rar"));
        QVERIFY(QFile::exists(rel + "/cd2/r2.part1.rar"));
        QVERIFY(!t.view.runControlsLocked);
        QVERIFY(!t.job.UnpackRunning);
    }

    // A queue of three release folders with "Clear queue and jump back": the first folder is
    // unpacked, the queue is emptied, and the job ends without touching the other two.
    void queueClearedAfterFirstFolder()
    {
        const QStringList folders =
            makeQueue(QStringLiteral("Queue"), QStringLiteral("q"), 3, 40000);
        TestContext t;
        t.settings.setInputMode(InputModeChoice::Queue);
        t.settings.setQueue(folders);
        t.settings.setAfterAction(AfterActionChoice::ClearQueue);
        t.view.onClearQueue = [&] { t.settings.setQueue({}); };
        PipelineJob rig(t);
        UnpackJob &job = rig.job;
        job.start();
        QVERIFY(QFile::exists(folders[0] + "/q1.iso"));
        QVERIFY(!QFile::exists(folders[1] + "/q2.iso"));
        QVERIFY(!QFile::exists(folders[2] + "/q3.iso"));
        QCOMPARE(t.log.messages().filter("[END    ]").size(), 1);
        QCOMPARE(t.view.shownTabs.last(), WindowTab::InputOutput);
        QVERIFY(t.dialogs.shownMessages.isEmpty());
    }

    // Shutdown after extraction with a queue of two: nothing is requested while the second
    // folder is unpacked; once, after the job.
    void shutdownAfterTheQueue()
    {
        const QStringList folders =
            makeQueue(QStringLiteral("Shut"), QStringLiteral("h"), 2, 30000);
        TestContext t;
        t.settings.setInputMode(InputModeChoice::Queue);
        t.settings.setQueue(folders);
        t.settings.setShutdownAfter(true);
        RecordingJobWindow window;
        RecordingSound sound;
        QList<int> shutdownsAtStart;
        UnpackJob job(t.context, window, sound, [&](const QString &folder) {
            shutdownsAtStart << t.platform.shutdownRequests;
            return UnPack(t.context, folder);
        });
        job.start();
        QCOMPARE(shutdownsAtStart, (QList<int>{0, 0}));
        QCOMPARE(t.platform.shutdownRequests, 1);
        QVERIFY(QFile::exists(folders[1] + "/h2.iso"));
    }

    // The follow-up program runs with the first extracted .cue file: a real script records it.
    void followUpCommandWithFirstCue()
    {
        const QString rel = newFolder(QStringLiteral("Cue Release"));
        makeSet(rel + "/CD1", QStringLiteral("cd1"), {{"Disc1.bin", 80000}, {"Disc1.cue", 200}});
        makeSet(rel + "/CD2", QStringLiteral("cd2"), {{"Disc2.bin", 80000}, {"Disc2.cue", 200}});
        const QString script = newFolder(QStringLiteral("tools")) + "/mount.sh";
        const QString record = script + ".args";
        ReleaseMaker::writeText(script,
                                "#!/bin/sh\nfor a in \"$@\"; do echo \"[$a]\"; done > \"$0.tmp\"\n"
                                "mv \"$0.tmp\" \"$0.args\"\n");
        QFile::setPermissions(script, QFile::permissions(script) | QFile::ExeOwner);

        TestContext t;
        struct LaunchingPlatform : FakePlatform
        {
            bool startDetached(const QString &program, const QStringList &arguments) override
            {
                FakePlatform::startDetached(program, arguments);
                return QProcess::startDetached(program, arguments);
            }
        } platform;
        EngineContext context(t.settings, t.language, t.log, t.view, t.dialogs, platform, t.job);
        context.programFolder = t.context.programFolder;
        t.settings.setAfterAction(AfterActionChoice::RunApplication);
        t.settings.setRunCommand(script + " -mount 0 \"%1\"");
        t.settings.setInputFolder(rel);
        RecordingJobWindow window;
        RecordingSound sound;
        UnpackJob job(context, window, sound,
                      [&](const QString &folder) { return UnPack(context, folder); });
        job.start();
        QCOMPARE(platform.startedPrograms.size(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(record), 5000);
        const QString firstCue = platform.startedPrograms[0].last();
        QVERIFY(firstCue == rel + "/CD1/Disc1.cue" || firstCue == rel + "/CD2/Disc2.cue");
        QCOMPARE(QString::fromUtf8(readAll(record)),
                 QStringLiteral("[-mount]\n[0]\n[%1]\n").arg(firstCue));
        QVERIFY(t.log.contains(QStringLiteral("executing \"") + script + " -mount 0 \"" + firstCue +
                               "\"\""));
    }

    // A numbered set x.000, x.001, x.002 is one set, whichever of its volumes the scan meets
    // first: x.001 says by its headers that it is a later volume.
    void numberedSetIsOneSet()
    {
        const QString stem = QStringLiteral("num");
        const QString rel = newFolder(QStringLiteral("Numbered"));
        const QString staging = makeSet(rel, stem, {{"n.iso", 150 * 1024}}, 64, false);
        QCOMPARE(listTree(rel).size(), 3);
        for (int part = 1; part <= 3; ++part)
            QVERIFY(QFile::rename(QStringLiteral("%1/%2.part%3.rar").arg(rel, stem).arg(part),
                                  QStringLiteral("%1/%2.00%3").arg(rel, stem).arg(part - 1)));
        QVERIFY(ReleaseMaker::makeSfv(rel, stem + ".sfv",
                                      {stem + ".000", stem + ".001", stem + ".002"}));
        TestContext t;
        t.settings.setDeleteSources(true);
        t.settings.setDeleteTiming(DeleteTimingChoice::AfterExtraction);
        const QStringList extracted = UnPack(t.context, rel);
        QCOMPARE(extracted, QStringList{rel + "/n.iso"});
        QCOMPARE(readAll(rel + "/n.iso"), readAll(staging + "/n.iso"));
        QCOMPARE(listTree(rel), QStringList{"n.iso"});
        VERIFY_IN_ORDER(t.log.messages(),
                        (QStringList{"[ARCHiVE] 1 archive(s) found", "Source:   " + stem + ".0*",
                                     "[DELETE ] 4 source file(s) deleted",
                                     "[UNPACK ] 1 archive(s) unpacked", "[END    ] Folder done"}));
        QVERIFY(!t.log.contains(QStringLiteral("is no longer there")));
        QVERIFY(t.dialogs.shownMessages.isEmpty());
        QVERIFY(t.dialogs.shownMessages.isEmpty());
    }

    // An empty folder text would mean the root of the file system, and a folder that is not
    // there is no empty release: each is refused with one line that says why, and nothing is
    // scanned, extracted or deleted.
    void refusedFolders_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("failures");
        const QString missing = m_temp.filePath(QStringLiteral("no-such-release"));
        const QString file = m_temp.filePath(QStringLiteral("a-file.txt"));
        ReleaseMaker::writeText(file, "not a folder\n");
        const QString noInput =
            QStringLiteral("[UNPACK ] No input folder is given, so nothing is unpacked");
        QTest::newRow("empty") << QString() << noInput << 0;
        QTest::newRow("blanks") << QStringLiteral("  ") << noInput << 0;
        QTest::newRow("missing folder")
            << missing
            << "[UNPACK ] The folder " + missing + " does not exist, so nothing is unpacked" << 1;
        QTest::newRow("a file") << file
                                << "[UNPACK ] The folder " + file +
                                       " does not exist, so nothing is unpacked"
                                << 1;
    }

    void refusedFolders()
    {
        QFETCH(QString, folder);
        QFETCH(QString, line);
        QFETCH(int, failures);
        TestContext t;
        t.settings.setDeleteList(QStringList{"*"});
        const QStringList extracted = UnPack(t.context, folder);
        QVERIFY(extracted.isEmpty());
        QCOMPARE(t.log.messages(), QStringList{line});
        QCOMPARE(t.job.Tally.failures, failures);
        QVERIFY(!t.view.runControlsLocked);
        QVERIFY(!t.job.UnpackRunning);
    }

    // An error of a called step (an NFO copy into a folder that cannot be made) ends the run
    // through its clean-up, without the end line, and the job shows it once its end is written.
    void unexpectedErrorLeavesThroughTheCleanUp()
    {
        const QString rel = newFolder(QStringLiteral("Error"));
        makeSet(rel, QStringLiteral("e"), {{"e.iso", 30000}});
        ReleaseMaker::writeText(rel + "/e.nfo", "n\n");
        const QString blocker = newFolder(QStringLiteral("blocked")) + "/file";
        ReleaseMaker::writeText(blocker, "a file where a folder should be");
        TestContext t;
        t.settings.setCopyNfo(true);
        t.settings.setCloseAfter(true);
        t.settings.setOutputMode(OutputModeChoice::CustomDir);
        t.settings.setCustomOutputDir(blocker + "/out");
        t.settings.setInputFolder(rel);
        PipelineJob rig(t);
        UnpackJob &job = rig.job;
        bool cleanedUpBeforeBox = false;
        t.dialogs.onMessage = [&](const ScriptedDialogs::ShownMessage &) {
            cleanedUpBeforeBox = !t.job.UnpackRunning && !t.view.runControlsLocked &&
                                 !t.view.progressEnabled && t.view.closeRequests == 1 &&
                                 t.log.messages().last() == Eq();
        };
        job.start();
        QCOMPARE(t.dialogs.shownMessages.size(), 1);
        QCOMPARE(t.dialogs.shownMessages[0].caption, QStringLiteral("Error"));
        QVERIFY(t.dialogs.shownMessages[0].text.contains(blocker));
        QVERIFY(cleanedUpBeforeBox);
        QVERIFY(!t.log.contains(QStringLiteral("[END    ]")));
        QVERIFY(!QFile::exists(rel + "/e.iso"));
    }
};

QTEST_MAIN(TestPipeline)
#include "tst_pipeline.moc"
