// An installed copy: the language folders follow the program's place, a real
// "cmake --install --prefix" into a temporary folder gives a Tevo that starts and runs a job,
// its systemd user unit runs tevo-cli with the right option set, an install of an unbuilt tree
// copies nothing, and "cpack -G DEB" makes a package whose tevo-cli runs.

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>
#include <QTest>

#include "settings/LanguageFolders.h"
#include "support/ReleaseMaker.h"

namespace {

using ReleaseMaker::readAll;
using ReleaseMaker::writeText;

const QString UnitFile = "share/systemd/user/tevo-cli.service";

// The environment of a user whose home, configuration and runtime folders are temporary.
QProcessEnvironment userEnvironment(const QTemporaryDir &home)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home.path());
    env.insert("XDG_CONFIG_HOME", home.filePath("config"));
    env.insert("XDG_DATA_HOME", home.filePath("data"));
    env.insert("XDG_RUNTIME_DIR", home.path());
    for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(QLatin1String(name));
    return env;
}

// A PNG's width and height from its IHDR chunk, which always comes first.
QSize pngSize(const QString &path)
{
    const QByteArray png = readAll(path);
    if (png.size() < 24 || !png.startsWith("\x89PNG\r\n\x1a\n") || png.mid(12, 4) != "IHDR")
        return {};
    return QSize(qFromBigEndian<qint32>(png.constData() + 16),
                 qFromBigEndian<qint32>(png.constData() + 20));
}

// Runs a program to its end; its standard output and error together. The exit code is -1 when
// it crashed or ran over two minutes (QProcess's destructor then kills it).
QByteArray run(const QString &program, const QStringList &arguments, int *exitCode,
               const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    const bool ended =
        process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit;
    *exitCode = ended ? process.exitCode() : -1;
    return process.readAll();
}

// The files below a folder, relative to it, sorted.
QStringList filesUnder(const QString &root)
{
    QStringList files;
    for (QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
        files << QDir(root).relativeFilePath(it.next());
    files.sort();
    return files;
}

} // namespace

class TestInstall : public QObject
{
    Q_OBJECT

    QTemporaryDir m_prefix;

    QString installed(const QString &relative) const { return m_prefix.filePath(relative); }

private slots:
    void initTestCase()
    {
        int exitCode = 0;
        const QByteArray output =
            run(TEVO_CMAKE_COMMAND, {"--install", TEVO_BINARY_DIR, "--prefix", m_prefix.path()},
                &exitCode);
        QVERIFY2(exitCode == 0, output.constData());
    }

    void languageFolders_data()
    {
        QTest::addColumn<QString>("programFolder");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("installed under a prefix")
            << QStringLiteral("/opt/tevo/bin/")
            << QStringList{"/opt/tevo/share/tevo/", "/opt/tevo/bin/", "/usr/local/share/tevo/"};
        QTest::newRow("per-user install")
            << QStringLiteral("/home/u/.local/bin")
            << QStringList{"/home/u/.local/share/tevo/", "/home/u/.local/bin/",
                           "/usr/local/share/tevo/"};
        QTest::newRow("folder of its own")
            << QStringLiteral("/home/u/tevo/")
            << QStringList{"/home/u/tevo/", "/usr/local/share/tevo/"};
        QTest::newRow("the built-in prefix itself")
            << QStringLiteral("/usr/local/bin/")
            << QStringList{"/usr/local/share/tevo/", "/usr/local/bin/"};
    }

    void languageFolders()
    {
        QFETCH(QString, programFolder);
        QFETCH(QStringList, expected);
        QCOMPARE(LanguageFolders(programFolder, QStringLiteral("/usr/local/share/tevo")), expected);
    }

    // The language file goes to share/tevo, never beside the program; the window's files come
    // with the window alone. The other files are proven by running or reading them below.
    void installedFiles()
    {
        QVERIFY(QFileInfo::exists(installed("share/tevo/english.lng")));
        QVERIFY(!QFileInfo::exists(installed("bin/english.lng")));
        QCOMPARE(QFileInfo::exists(installed("bin/tevo")), bool(TEVO_WITH_GUI));
        QCOMPARE(QFileInfo::exists(installed("share/applications/tevo.desktop")),
                 bool(TEVO_WITH_GUI));
    }

    // The application-menu entry validates, and its icon is there in the hicolor theme.
    void desktopEntryAndIcons()
    {
        if (!TEVO_WITH_GUI)
            QSKIP("built without the window (TEVO_GUI=OFF)");
        int exitCode = 0;
        const QByteArray complaints =
            run("desktop-file-validate", {installed("share/applications/tevo.desktop")}, &exitCode)
                .trimmed();
        QVERIFY2(exitCode == 0 && complaints.isEmpty(), complaints.constData());
        const QString icons = installed("share/icons/hicolor/");
        QVERIFY(QFileInfo::exists(icons + "scalable/apps/tevo.svg"));
        for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
            QCOMPARE(pngSize(icons + QStringLiteral("%1x%1/apps/tevo.png").arg(size)),
                     QSize(size, size));
    }

    // "Close Tevo after extraction" ends the command-line job and the program with it. An
    // installed copy keeps last.os in the user's configuration folder, never in bin.
    void installedWindowStartsAndUnpacks()
    {
        if (!TEVO_WITH_GUI)
            QSKIP("built without the window (TEVO_GUI=OFF)");
        QTemporaryDir release, home;
        const QString lastOs = home.filePath("config/tevo/last.os");
        writeText(lastOs, "[Options]\r\nCheckBox10=1\r\nCheckBox17=1\r\n");
        QProcessEnvironment env = userEnvironment(home);
        env.insert("QT_QPA_PLATFORM", "offscreen");
        int exitCode = 0;
        // Without its language file the copy would stop at the "No Language file found!" box.
        run(installed("bin/tevo"), {release.path(), "-unpack"}, &exitCode, env);
        QCOMPARE(exitCode, 0);
        QVERIFY(readAll(lastOs).contains("language=english.lng"));
        QVERIFY(!QFileInfo::exists(installed("bin/last.os")));
    }

    // tevo-cli finds the installed language files and the user's settings without a display,
    // and leaves last.os as it was.
    void installedCliUnpacks()
    {
        QTemporaryDir release, home;
        const QString lastOs = home.filePath("config/tevo/last.os");
        const QByteArray before("[Options]\r\nCheckBox10=1\r\n[other]\r\nlanguage=english.lng\r\n");
        writeText(lastOs, before);
        int exitCode = 0;
        const QByteArray output =
            run(installed("bin/tevo-cli"), {release.path()}, &exitCode, userEnvironment(home));
        QVERIFY2(exitCode == 0 && output.contains("Tevo v1.06 started"), output.constData());
        QCOMPARE(readAll(lastOs), before);
    }

    // systemd's own check of the installed unit: its syntax, specifiers and that /bin/sh is there.
    void unitVerifies()
    {
        const QString analyze = QStandardPaths::findExecutable("systemd-analyze");
        if (analyze.isEmpty())
            QSKIP("systemd-analyze is not installed");
        QTemporaryDir home;
        int exitCode = 0;
        const QByteArray output = run(analyze, {"--user", "verify", installed(UnitFile)}, &exitCode,
                                      userEnvironment(home));
        QVERIFY2(exitCode == 0 && output.trimmed().isEmpty(), output.constData());
    }

    void unitPicksOptionSet_data()
    {
        QTest::addColumn<QByteArray>("userOptionSet");
        QTest::addColumn<QByteArray>("expectedLine");
        QTest::newRow("the installed example until the user writes one")
            << QByteArray() << QByteArray("Watching every 60 s");
        QTest::newRow("the user's own server.os once it exists")
            << QByteArray("[Options]\r\nCheckBox3=1\r\n[Edits]\r\nEdit6=45\r\n")
            << QByteArray("Watching every 45 s");
    }

    // The unit's command as systemd would run it (specifiers filled, "$$" made "$"): tevo-cli
    // starts watching with the option set the unit chose, and ends at SIGTERM.
    void unitPicksOptionSet()
    {
        QFETCH(QByteArray, userOptionSet);
        QFETCH(QByteArray, expectedLine);
        QTemporaryDir home;
        const QString config = home.filePath("config");
        if (!userOptionSet.isEmpty())
            writeText(config + "/tevo/server.os", userOptionSet);
        const QString unit = QString::fromUtf8(readAll(installed(UnitFile)))
                                 .replace("%E", config)
                                 .replace("%h", home.path())
                                 .replace("$$", "$");
        const auto value = [&unit](const char *pattern) {
            return QRegularExpression(pattern, QRegularExpression::MultilineOption)
                .match(unit)
                .captured(1);
        };
        const QString script = value("^ExecStart=/bin/sh -c '(.*)'$");
        const QString watchFolder = value("^Environment=TEVO_WATCH_FOLDER=(.*)$");
        QVERIFY2(!script.isEmpty() && watchFolder.startsWith(home.path() + u'/'), qPrintable(unit));
        QVERIFY(QDir().mkpath(watchFolder));

        QProcessEnvironment env = userEnvironment(home);
        env.insert("TEVO_WATCH_FOLDER", watchFolder);
        QProcess service;
        service.setProcessEnvironment(env);
        service.setProcessChannelMode(QProcess::MergedChannels);
        service.start("/bin/sh", {"-c", script});
        QByteArray output;
        QTRY_VERIFY_WITH_TIMEOUT((output += service.readAll()).contains("Watching every"), 30000);
        QVERIFY2(output.contains(expectedLine), output.constData());
        // exec left tevo-cli as the service's process: systemd's SIGTERM ends it cleanly.
        service.terminate();
        QVERIFY(service.waitForFinished(30000));
        QCOMPARE(service.exitCode(), 143);
    }

    // An install from a configured tree whose programs are not built yet stops before the first
    // file, saying what to build, instead of leaving half a copy behind.
    void unbuiltTreeInstallsNothing()
    {
        QTemporaryDir build, prefix;
        const QString cmake = TEVO_CMAKE_COMMAND;
        int exitCode = 0;
        QByteArray output =
            run(cmake,
                {"-S", TEVO_SOURCE_DIR, "-B", build.path(), "-DTEVO_BUILD_TESTS=OFF",
                 QStringLiteral("-DTEVO_GUI=%1").arg(TEVO_WITH_GUI ? "ON" : "OFF")},
                &exitCode);
        QVERIFY2(exitCode == 0, output.constData());
        output = run(cmake, {"--install", build.path(), "--prefix", prefix.path()}, &exitCode);
        QVERIFY(exitCode != 0);
        QVERIFY2(output.contains("Nothing was installed") && output.contains("tevo-install-parts"),
                 output.constData());
        QCOMPARE(QDir(prefix.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList());
    }

    // The Debian package holds what an install holds, under /usr, names the packages it needs,
    // and its tevo-cli runs once unpacked.
    void debianPackage()
    {
        const QString dpkgDeb = QStandardPaths::findExecutable("dpkg-deb");
        if (dpkgDeb.isEmpty() || QStandardPaths::findExecutable("dpkg-shlibdeps").isEmpty())
            QSKIP("dpkg-deb or dpkg-shlibdeps is not installed");
        QTemporaryDir work;
        int exitCode = 0;
        QByteArray output =
            run(TEVO_CPACK_COMMAND,
                {"-G", "DEB", "-B", work.path(), "--config", TEVO_BINARY_DIR "/CPackConfig.cmake"},
                &exitCode);
        QVERIFY2(exitCode == 0, output.constData());
        const QStringList packages = QDir(work.path()).entryList({"*.deb"});
        QCOMPARE(packages.size(), 1);
        const QString package = work.filePath(packages.first());

        const QByteArray depends = run(dpkgDeb, {"-f", package, "Depends"}, &exitCode);
        for (const char *needed : {"libunrar5", "libzip4", "libqt6core6", "par2"})
            QVERIFY2(depends.contains(needed), depends.constData());
        QCOMPARE(depends.contains("libqt6widgets6"), bool(TEVO_WITH_GUI));

        const QString usr = work.filePath("root/usr/");
        run(dpkgDeb, {"-x", package, work.filePath("root")}, &exitCode);
        QCOMPARE(exitCode, 0);
        QCOMPARE(filesUnder(usr), filesUnder(m_prefix.path()));
        QVERIFY(readAll(usr + UnitFile).contains("exec \"/usr/bin/tevo-cli\""));
        output = run(usr + "bin/tevo-cli", {"--version"}, &exitCode);
        QCOMPARE(exitCode, 0);
        QCOMPARE(output.trimmed(), QByteArray("tevo-cli v1.06"));
    }
};

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
