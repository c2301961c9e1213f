// tevo-cli as a user runs it: a process without a display, its exit status, its output, and
// SIGTERM in the middle of an extraction. Every run gets an option-set file of its own.

#include <csignal>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "settings/OptionSetFile.h"
#include "settings/SettingsModel.h"
#include "support/ReleaseMaker.h"

namespace {

const QString CliProgram = QStringLiteral(TEVO_BINARY_DIR "/tevo-cli");

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

// A release folder: one RAR set of three volumes with its SFV list.
QString makeRelease(const QString &parent, const QString &name, qint64 size = 300 * 1024)
{
    const QString folder = QDir(parent).filePath(name);
    ReleaseMaker::writeFile(QDir(folder).filePath("movie.iso"), size);
    const QStringList volumes =
        ReleaseMaker::makeRarSet(folder, "movie", {"movie.iso"}, int(size / 1024 / 3 + 1));
    QFile::remove(QDir(folder).filePath("movie.iso"));
    QStringList names;
    for (const QString &volume : volumes)
        names << QFileInfo(volume).fileName();
    ReleaseMaker::makeSfv(folder, "movie.sfv", names);
    return folder;
}

// A release whose second volume is damaged in the middle.
QString makeDamagedRelease(const QString &parent)
{
    const QString folder = makeRelease(parent, "damaged");
    QFile volume(QDir(folder).filePath("movie.part2.rar"));
    if (volume.open(QIODevice::ReadWrite) && volume.seek(volume.size() / 2))
        volume.write("damage");
    return folder;
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;
    QTemporaryDir m_work;
    QString m_options;
    int m_runs = 0;

    // No display, no session bus, no Qt platform: what a server has.
    QProcessEnvironment serverEnvironment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM",
                                 "DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR"})
            env.remove(QString::fromLatin1(name));
        env.insert("HOME", m_home.path());
        env.insert("XDG_CONFIG_HOME", m_home.filePath("config"));
        env.insert("XDG_DATA_HOME", m_home.filePath("data"));
        return env;
    }

    void start(QProcess &process, const QString &program, const QStringList &arguments) const
    {
        process.setProcessEnvironment(serverEnvironment());
        process.setProgram(program);
        process.setArguments(arguments);
        process.start();
        QVERIFY(process.waitForStarted());
    }

    Run run(const QStringList &arguments, const QString &program = CliProgram) const
    {
        QProcess process;
        start(process, program, arguments);
        Run result;
        if (!process.waitForFinished(120000))
            return result;
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.out = QString::fromUtf8(process.readAllStandardOutput());
        result.err = QString::fromUtf8(process.readAllStandardError());
        return result;
    }

    // Writes the settings an option-set file and returns the arguments naming it.
    QStringList options(const std::function<void(SettingsModel &)> &change = {})
    {
        SettingsModel settings;
        if (change)
            change(settings);
        m_options = m_work.filePath(QStringLiteral("run%1.os").arg(++m_runs));
        SaveOptionSet(settings, m_options);
        return {QStringLiteral("--options"), m_options};
    }

private slots:
    void exitStatus_data()
    {
        QTest::addColumn<QString>("release");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("logged");
        QTest::newRow("extracted") << "good" << 0 << "1 archive(s) unpacked";
        QTest::newRow("nothing to do") << "empty" << 0 << "0 archive(s) found";
        QTest::newRow("volume missing") << "missing" << 1 << "missing";
        QTest::newRow("volume damaged") << "damaged" << 1 << "movie.part2.rar";
        QTest::newRow("no such folder") << "absent" << 1 << "does not exist";
        QTest::newRow("two folders, one bad") << "good+absent" << 1 << "1 archive(s) unpacked";
    }
    void exitStatus()
    {
        QFETCH(QString, release);
        QFETCH(int, exitCode);
        QFETCH(QString, logged);
        QTemporaryDir dir;
        QStringList folders;
        for (const QString &kind : release.split('+')) {
            if (kind == QLatin1String("absent")) {
                folders << dir.filePath("absent");
            } else if (kind == QLatin1String("empty")) {
                QVERIFY(QDir(dir.path()).mkpath("empty"));
                folders << dir.filePath("empty");
            } else {
                const QString folder = makeRelease(dir.path(), kind);
                if (kind == QLatin1String("missing"))
                    QVERIFY(QFile::remove(QDir(folder).filePath("movie.part3.rar")));
                if (kind == QLatin1String("damaged")) {
                    QFile volume(QDir(folder).filePath("movie.part2.rar"));
                    QVERIFY(volume.open(QIODevice::ReadWrite));
                    volume.seek(volume.size() / 2);
                    volume.write("damage");
                }
                folders << folder;
            }
        }
        const Run r = run(options() + folders);
        QVERIFY2(r.exitCode == exitCode, qPrintable(r.out + r.err));
        QVERIFY2(r.out.contains(logged), qPrintable(r.out));
        // The log lines are the window's: a time stamp, then the message.
        QVERIFY(r.out.contains(QRegularExpression("^\\[\\d\\d:\\d\\d\\] \\[iNiT   \\] Tevo v",
                                                  QRegularExpression::MultilineOption)));
        if (release == QLatin1String("good"))
            QVERIFY(QFileInfo(dir.filePath("good/movie.iso")).isFile());
        if (exitCode != 0) // the sources of a failed set stay
            QVERIFY(QDir(folders.first()).entryList({"*.rar"}).size() >= 2 ||
                    release.contains("absent"));
    }

    void usage_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("printed");
        QTest::newRow("no folder") << QStringList{} << 2 << "no folder given";
        QTest::newRow("unknown option") << QStringList{"--fast", "/x"} << 2 << "--fast";
        QTest::newRow("options without file") << QStringList{"/x", "--options"} << 2 << "--options";
        QTest::newRow("passwords without file")
            << QStringList{"/x", "--passwords"} << 2 << "--passwords needs";
        QTest::newRow("options file missing")
            << QStringList{"--options", "/nonexistent/x.os", "/x"} << 2 << "/nonexistent/x.os";
        QTest::newRow("set unknown key")
            << QStringList{"--set", "CheckBox99=1", "/x"} << 2 << "unknown key CheckBox99";
        QTest::newRow("set bad value")
            << QStringList{"--set=CheckBox3=yes", "/x"} << 2 << "CheckBox3 takes 0 or 1";
        QTest::newRow("help") << QStringList{"--help"} << 0 << "Usage: tevo-cli";
        QTest::newRow("version") << QStringList{"--version"} << 0 << "tevo-cli v1.06";
    }
    void usage()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, printed);
        const Run r = run(arguments);
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY2((r.out + r.err).contains(printed), qPrintable(r.out + r.err));
    }

    // The list of keys is the documentation, as the language file beside the program words it,
    // so docs/options.md cannot drift from the settings table.
    void listOptionsIsTheDocumentation()
    {
        const Run r = run({QStringLiteral("--list-options")});
        QVERIFY2(r.exitCode == 0 &&
                     r.out == ReleaseMaker::readAll(TEVO_SOURCE_DIR "/docs/options.md"),
                 "docs/options.md is out of date: build/tevo-cli --list-options > docs/options.md");
    }

    // Errors reach standard error, once, whatever "Supress error messages" says (the shipped
    // server option set turns it on); it governs message boxes only, and tevo-cli has none.
    void errorsReachStandardError_data()
    {
        QTest::addColumn<QString>("printed");
        QTest::newRow("damaged volume") << "movie.part2.rar";
        QTest::newRow("missing folder") << "does not exist";
    }
    void errorsReachStandardError()
    {
        QFETCH(QString, printed);
        QTemporaryDir dir;
        const QString folder =
            printed.endsWith(".rar") ? makeDamagedRelease(dir.path()) : dir.filePath("absent");
        for (const bool suppress : {true, false}) {
            const Run r =
                run(options([&](SettingsModel &s) { s.setSuppressErrors(suppress); }) << folder);
            QCOMPARE(r.exitCode, 1);
            QVERIFY2(r.err.count(printed) == 1, qPrintable(r.err));
        }
    }

    // --json: one object a line on standard output, in the order the job went. --set applies over
    // the option set (which says check only), the last of a key winning, in any letter case.
    void jsonEvents_data()
    {
        QTest::addColumn<QString>("events"); // folder_end and job_end followed by their "unpacked"
        QTest::newRow("good")
            << "job_start folder_start set_found check set_done deleted folder_end 1 job_end 1";
        QTest::newRow("damaged")
            << "job_start folder_start set_found check set_failed folder_end 0 job_end 0";
    }
    void jsonEvents()
    {
        QFETCH(QString, events);
        QTemporaryDir dir;
        const QString folder = QTest::currentDataTag() == QByteArray("good")
                                   ? makeRelease(dir.path(), "good")
                                   : makeDamagedRelease(dir.path());
        const Run r = run(options([](SettingsModel &s) { s.setCheckOnly(true); }) +
                          QStringList{"--set=CheckBox3=1", "--set", "CheckBox9=1",
                                      "--set=checkbox9=0", "--json", folder});
        QStringList seen;
        for (const QString &line : r.out.split(u'\n', Qt::SkipEmptyParts)) {
            const QJsonDocument json = QJsonDocument::fromJson(line.toUtf8());
            const QString event = json["event"].toString();
            // Progress comes when the extraction takes long enough; each deletion is one line.
            if (event != "progress" && !(event == "deleted" && seen.endsWith(event)))
                seen << event;
            if (json["unpacked"].isDouble())
                seen << QString::number(json["unpacked"].toInt());
        }
        QVERIFY2(seen.join(' ') == events, qPrintable(r.out + r.err));
    }

    // The window program answers --help and --version without a display, and says what to use
    // instead of aborting when there is none.
    void windowProgramWithoutDisplay_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("printed");
        QTest::newRow("help") << QStringList{"--help"} << 0 << "tevo-cli";
        QTest::newRow("version") << QStringList{"--version"} << 0 << "tevo v1.06";
        QTest::newRow("no display") << QStringList{"/x"} << 1 << "tevo-cli";
    }
    void windowProgramWithoutDisplay()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, printed);
        if (!TEVO_WITH_GUI)
            QSKIP("built without the window (TEVO_GUI=OFF)");
        const Run r = run(arguments, QStringLiteral(TEVO_BINARY_DIR "/tevo"));
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY2((r.out + r.err).contains(printed), qPrintable(r.out + r.err));
    }

    void linksNeitherQtGuiNorQtWidgets()
    {
        QProcess ldd;
        ldd.start(QStringLiteral("ldd"), {CliProgram});
        QVERIFY(ldd.waitForFinished());
        const QString libraries = QString::fromUtf8(ldd.readAllStandardOutput());
        QVERIFY(libraries.contains(QLatin1String("libQt6Core")));
        QVERIFY2(!libraries.contains(QLatin1String("libQt6Gui")), qPrintable(libraries));
        QVERIFY2(!libraries.contains(QLatin1String("libQt6Widgets")), qPrintable(libraries));
    }

    // The question before deleting the sources after all sets is answered Yes only with --yes.
    void afterAllDeletionNeedsYes_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("no --yes: kept") << false;
        QTest::newRow("--yes: deleted") << true;
    }
    void afterAllDeletionNeedsYes()
    {
        QFETCH(bool, yes);
        QTemporaryDir dir;
        const QString folder = makeRelease(dir.path(), "rel");
        QStringList arguments = options([](SettingsModel &s) {
            s.setDeleteSources(true);
            s.setDeleteTiming(DeleteTimingChoice::AfterExtractingAll);
        });
        if (yes)
            arguments << QStringLiteral("--yes");
        const Run r = run(arguments << folder);
        QCOMPARE(r.exitCode, 0);
        QVERIFY(QFileInfo(QDir(folder).filePath("movie.iso")).isFile());
        QCOMPARE(QFileInfo(QDir(folder).filePath("movie.part1.rar")).exists(), !yes);
        QVERIFY2(r.err.contains(yes ? "Yes" : "No"), qPrintable(r.err));
    }

    // A reader of the log that goes away (tevo-cli ... | head -1) does not end the job.
    void logReaderGoingAwayEndsNothing()
    {
        QTemporaryDir dir;
        const QString folder = makeRelease(dir.path(), "rel", 3 * 1024 * 1024);
        QStringList command{CliProgram};
        command << options() << folder;
        for (QString &word : command)
            word = QLatin1Char('\'') + word + QLatin1Char('\'');
        QProcess shell;
        start(shell, QStringLiteral("bash"),
              {QStringLiteral("-c"), command.join(QLatin1Char(' ')) +
                                         QStringLiteral(" | head -1; exit ${PIPESTATUS[0]}")});
        QVERIFY(shell.waitForFinished(60000));
        QCOMPARE(shell.exitCode(), 0);
        QVERIFY(QFileInfo(QDir(folder).filePath("movie.iso")).isFile());
    }

    // SIGTERM acts as Close: the extraction stops at once, its staging folder goes, the volumes
    // stay, and the program ends with 128 + the signal's number. So does SIGHUP (its terminal
    // closed).
    void sigtermStopsALargeExtraction_data()
    {
        QTest::addColumn<int>("signal"); // the row's name is the one the program prints
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGHUP") << int(SIGHUP);
        QTest::newRow("SIGKILL") << int(SIGKILL);
    }
    void sigtermStopsALargeExtraction()
    {
        QFETCH(int, signal);
        QTemporaryDir dir;
        const qint64 size = qint64(1536) * 1024 * 1024;
        const QString folder = QDir(dir.path()).filePath("big");
        ReleaseMaker::writeFile(QDir(folder).filePath("movie.iso"), size, 7, true);
        const QStringList volumes =
            ReleaseMaker::makeRarSet(folder, "movie", {"movie.iso"}, 100 * 1024);
        QVERIFY(QFile::remove(QDir(folder).filePath("movie.iso")));

        QProcess process;
        start(process, CliProgram,
              options([](SettingsModel &s) { s.setDeleteSources(true); }) << folder);
        const auto staged = [&folder] {
            const QStringList staging =
                QDir(folder).entryList({".tevo-staging-*"}, QDir::Dirs | QDir::Hidden);
            return !staging.isEmpty() &&
                   QFileInfo(QDir(folder).filePath(staging[0] + "/tree/movie.iso")).size() > 0;
        };
        QTRY_VERIFY2_WITH_TIMEOUT(staged(), "the extraction was not seen under way", 60000);
        QElapsedTimer stopping;
        stopping.start();
        ::kill(static_cast<pid_t>(process.processId()), signal);
        QVERIFY(process.waitForFinished(10000));
        QVERIFY2(stopping.elapsed() < 5000, qPrintable(QString::number(stopping.elapsed())));
        if (signal == SIGKILL) {
            // kill -9 leaves the staging folder, its lock free: the next run removes it and
            // extracts the set. (tst_staging shows which look-alikes stay.)
            const QString iso = QDir(folder).filePath("movie.iso");
            QVERIFY(!QFileInfo(iso).exists());
            QCOMPARE(run(options() << folder).exitCode, 0);
            QCOMPARE(QFileInfo(iso).size(), size);
            QVERIFY(QDir(folder).entryList({".tevo-*"}, QDir::AllEntries | QDir::Hidden).isEmpty());
            return;
        }
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 128 + signal);
        for (const QString &volume : volumes)
            QVERIFY2(QFileInfo(volume).isFile(), qPrintable(volume));
        QVERIFY(QDir(folder).entryList({".tevo-*"}, QDir::AllEntries | QDir::Hidden).isEmpty());
        QVERIFY(!QFileInfo(QDir(folder).filePath("movie.iso")).exists());
        QVERIFY(process.readAllStandardError().contains(QTest::currentDataTag()));
    }

    // --watch unpacks what arrives and ends with 128 + 2 at SIGINT; without "Delete Files" it
    // refuses as the window does.
    void watchUntilInterrupted()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath("incoming"));
        const QString incoming = dir.filePath("incoming");

        const Run refused = run(options() << "--watch" << incoming);
        QCOMPARE(refused.exitCode, 2);
        QVERIFY2(refused.err.contains("Delete Files", Qt::CaseInsensitive) ||
                     refused.err.contains("delete", Qt::CaseInsensitive),
                 qPrintable(refused.err));

        QProcess process;
        start(process, CliProgram,
              options([](SettingsModel &s) {
                  s.setDeleteSources(true);
                  s.setWatchInterval(QStringLiteral("1"));
              }) << "--watch"
                 << incoming);
        QTest::qWait(300);
        const QString staged = makeRelease(dir.path(), "staged");
        QVERIFY(QDir().rename(staged, QDir(incoming).filePath("rel")));
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(QDir(incoming).filePath("rel/movie.iso")).isFile(),
                                 30000);
        QTRY_VERIFY_WITH_TIMEOUT(
            !QFileInfo(QDir(incoming).filePath("rel/movie.part1.rar")).exists(), 30000);
        ::kill(static_cast<pid_t>(process.processId()), SIGINT);
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitCode(), 130);
        QVERIFY(
            QString::fromUtf8(process.readAllStandardOutput()).contains("1 archive(s) unpacked"));
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
