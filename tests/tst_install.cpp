// An installed copy: the language folders follow the program's place, a real
// "cmake --install --prefix" into a temporary folder gives a Tevo that starts and runs a job,
// its systemd user unit runs tevo-cli with the right option set, an install of an unbuilt tree
// copies nothing, and "cpack -G DEB" makes a package whose tevo-cli runs.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "settings/LanguageFolders.h"

namespace {

const int ProcessTimeoutMs = 120000;

// The environment of a user whose home, configuration and runtime folders are temporary.
QProcessEnvironment userEnvironment(const QTemporaryDir &home)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    return env;
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A PNG's width and height from its IHDR chunk, which always comes first.
QSize pngSize(const QString &path)
{
    const QByteArray bytes = readFile(path);
    if (bytes.size() < 24 || !bytes.startsWith("\x89PNG\r\n\x1a\n") || bytes.mid(12, 4) != "IHDR")
        return {};
    const auto bigEndian = [&bytes](int at) {
        return int((uchar(bytes[at]) << 24) | (uchar(bytes[at + 1]) << 16) |
                   (uchar(bytes[at + 2]) << 8) | uchar(bytes[at + 3]));
    };
    return QSize(bigEndian(16), bigEndian(20));
}

// Runs a program to its end; its standard output and error together.
QByteArray run(const QString &program, const QStringList &arguments, int *exitCode,
               const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment(),
               int timeoutMs = ProcessTimeoutMs)
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        *exitCode = -1;
    } else {
        *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
    return process.readAll();
}

} // namespace

class TestInstall : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_prefix;

    QString installed(const QString &relative) const { return m_prefix.filePath(relative); }
    QString unitPath() const
    {
        return installed(QStringLiteral("share/systemd/user/tevo-cli.service"));
    }
    static QString unitLine(const QByteArray &unit, const QString &key);

private slots:
    void initTestCase()
    {
        int exitCode = 0;
        const QByteArray output = run(QStringLiteral(TEVO_CMAKE_COMMAND),
                                      {QStringLiteral("--install"), QStringLiteral(TEVO_BINARY_DIR),
                                       QStringLiteral("--prefix"), m_prefix.path()},
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

    void installedFiles_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("expected");
        QTest::newRow("tevo-cli") << QStringLiteral("bin/tevo-cli") << true;
        QTest::newRow("language file") << QStringLiteral("share/tevo/english.lng") << true;
        QTest::newRow("no language file in bin") << QStringLiteral("bin/english.lng") << false;
        QTest::newRow("example option set") << QStringLiteral("share/tevo/server.os") << true;
        QTest::newRow("user unit") << QStringLiteral("share/systemd/user/tevo-cli.service") << true;
        QTest::newRow("window program") << QStringLiteral("bin/tevo") << bool(TEVO_WITH_GUI);
        QTest::newRow("menu entry")
            << QStringLiteral("share/applications/tevo.desktop") << bool(TEVO_WITH_GUI);
    }

    void installedFiles()
    {
        QFETCH(QString, path);
        QFETCH(bool, expected);
        QCOMPARE(QFileInfo::exists(installed(path)), expected);
    }

    void desktopEntryAndIcons();
    void installedWindowStartsAndUnpacks();
    void installedCliUnpacks();
    void unitVerifies();
    void unitPicksOptionSet_data();
    void unitPicksOptionSet();
    void unbuiltTreeInstallsNothing();
    void debianPackage();
};

// The application-menu entry validates, and its icon is there in the hicolor theme.
void TestInstall::desktopEntryAndIcons()
{
    if (!TEVO_WITH_GUI)
        QSKIP("built without the window (TEVO_GUI=OFF)");
    int exitCode = 0;
    const QByteArray complaints =
        run(QStringLiteral("desktop-file-validate"),
            {installed(QStringLiteral("share/applications/tevo.desktop"))}, &exitCode)
            .trimmed();
    QVERIFY2(exitCode == 0 && complaints.isEmpty(), complaints.constData());
    const QString icons = installed(QStringLiteral("share/icons/hicolor/"));
    QVERIFY(QFileInfo::exists(icons + QStringLiteral("scalable/apps/tevo.svg")));
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
        QCOMPARE(pngSize(icons + QStringLiteral("%1x%1/apps/tevo.png").arg(size)),
                 QSize(size, size));
}

// "Close Tevo after extraction" ends the command-line job and the program with it. An installed
// copy keeps last.os in the user's configuration folder, never in bin.
void TestInstall::installedWindowStartsAndUnpacks()
{
    if (!TEVO_WITH_GUI)
        QSKIP("built without the window (TEVO_GUI=OFF)");
    QTemporaryDir release, home;
    const QString lastOs = home.filePath(QStringLiteral("config/tevo/last.os"));
    QVERIFY(writeFile(lastOs, "[Options]\r\nCheckBox10=1\r\nCheckBox17=1\r\n"));
    QProcessEnvironment env = userEnvironment(home);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    int exitCode = 0;
    // Without its language file the copy would stop at the "No Language file found!" box.
    run(installed(QStringLiteral("bin/tevo")), {release.path(), QStringLiteral("-unpack")},
        &exitCode, env);
    QCOMPARE(exitCode, 0);
    QVERIFY(readFile(lastOs).contains("language=english.lng"));
    QVERIFY(!QFileInfo::exists(installed(QStringLiteral("bin/last.os"))));
}

// tevo-cli finds the installed language files and the user's settings without a display, and
// leaves last.os as it was.
void TestInstall::installedCliUnpacks()
{
    QTemporaryDir release, home;
    const QString lastOs = home.filePath(QStringLiteral("config/tevo/last.os"));
    QVERIFY(writeFile(lastOs, "[Options]\r\nCheckBox10=1\r\n[other]\r\nlanguage=english.lng\r\n"));
    const QByteArray before = readFile(lastOs);
    int exitCode = 0;
    const QByteArray output = run(installed(QStringLiteral("bin/tevo-cli")), {release.path()},
                                  &exitCode, userEnvironment(home));
    QVERIFY2(exitCode == 0, output.constData());
    QVERIFY(output.contains("Tevo v1.06 started"));
    QCOMPARE(readFile(lastOs), before);
}

// systemd's own check of the installed unit: its syntax, specifiers and that /bin/sh is there.
void TestInstall::unitVerifies()
{
    const QString analyze = QStandardPaths::findExecutable(QStringLiteral("systemd-analyze"));
    if (analyze.isEmpty())
        QSKIP("systemd-analyze is not installed");
    QTemporaryDir home;
    int exitCode = 0;
    const QByteArray output =
        run(analyze, {QStringLiteral("--user"), QStringLiteral("verify"), unitPath()}, &exitCode,
            userEnvironment(home));
    QVERIFY2(exitCode == 0 && output.trimmed().isEmpty(), output.constData());
}

void TestInstall::unitPicksOptionSet_data()
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
void TestInstall::unitPicksOptionSet()
{
    QFETCH(QByteArray, userOptionSet);
    QFETCH(QByteArray, expectedLine);
    QTemporaryDir home;
    const QString config = home.filePath(QStringLiteral("config"));
    if (!userOptionSet.isEmpty())
        QVERIFY(writeFile(config + QStringLiteral("/tevo/server.os"), userOptionSet));
    const QByteArray unit = readFile(unitPath());
    const auto filled = [&](QString text) {
        return text.replace(QStringLiteral("%E"), config)
            .replace(QStringLiteral("%h"), home.path())
            .replace(QStringLiteral("$$"), QStringLiteral("$"));
    };
    const QString execStart = filled(unitLine(unit, QStringLiteral("ExecStart")));
    const QString environment = filled(unitLine(unit, QStringLiteral("Environment")));
    const QString prefix = QStringLiteral("/bin/sh -c '");
    QVERIFY2(execStart.startsWith(prefix) && execStart.endsWith(QLatin1Char('\'')),
             qPrintable(execStart));
    const QString script = execStart.mid(prefix.size()).chopped(1);
    QVERIFY(environment.startsWith(QStringLiteral("TEVO_WATCH_FOLDER=%1/").arg(home.path())));
    QVERIFY(QDir().mkpath(environment.section(QLatin1Char('='), 1)));

    QProcessEnvironment env = userEnvironment(home);
    env.insert(environment.section(QLatin1Char('='), 0, 0),
               environment.section(QLatin1Char('='), 1));
    QProcess service;
    service.setProcessEnvironment(env);
    service.setProcessChannelMode(QProcess::MergedChannels);
    service.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script});
    QByteArray output;
    QTRY_VERIFY_WITH_TIMEOUT((output += service.readAll()).contains("Watching every"), 30000);
    QVERIFY2(output.contains(expectedLine), output.constData());
    // exec left tevo-cli as the service's process: systemd's SIGTERM ends it cleanly.
    service.terminate();
    QVERIFY(service.waitForFinished(30000));
    QCOMPARE(service.exitCode(), 143);
}

QString TestInstall::unitLine(const QByteArray &unit, const QString &key)
{
    const QRegularExpression line(QStringLiteral("^%1=(.*)$").arg(key),
                                  QRegularExpression::MultilineOption);
    return line.match(QString::fromUtf8(unit)).captured(1);
}

// An install from a configured tree whose programs are not built yet stops before the first
// file, saying what to build, instead of leaving half a copy behind.
void TestInstall::unbuiltTreeInstallsNothing()
{
    QTemporaryDir build, prefix;
    int exitCode = 0;
    QByteArray output =
        run(QStringLiteral(TEVO_CMAKE_COMMAND),
            {QStringLiteral("-S"), QStringLiteral(TEVO_SOURCE_DIR), QStringLiteral("-B"),
             build.path(), QStringLiteral("-DTEVO_BUILD_TESTS=OFF"),
             QStringLiteral("-DTEVO_GUI=%1").arg(TEVO_WITH_GUI ? "ON" : "OFF")},
            &exitCode);
    QVERIFY2(exitCode == 0, output.constData());
    output =
        run(QStringLiteral(TEVO_CMAKE_COMMAND),
            {QStringLiteral("--install"), build.path(), QStringLiteral("--prefix"), prefix.path()},
            &exitCode);
    QVERIFY(exitCode != 0);
    QVERIFY2(output.contains("Nothing was installed") && output.contains("tevo-install-parts"),
             output.constData());
    QCOMPARE(QDir(prefix.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
}

// The Debian package holds what an install holds, under /usr, names the packages it needs, and
// its tevo-cli runs once unpacked.
void TestInstall::debianPackage()
{
    const QString dpkgDeb = QStandardPaths::findExecutable(QStringLiteral("dpkg-deb"));
    if (dpkgDeb.isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("dpkg-shlibdeps")).isEmpty())
        QSKIP("dpkg-deb or dpkg-shlibdeps is not installed");
    QTemporaryDir work;
    int exitCode = 0;
    QByteArray output =
        run(QStringLiteral(TEVO_CPACK_COMMAND),
            {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("-B"), work.path(),
             QStringLiteral("--config"), QStringLiteral(TEVO_BINARY_DIR "/CPackConfig.cmake")},
            &exitCode);
    QVERIFY2(exitCode == 0, output.constData());
    const QStringList packages = QDir(work.path()).entryList({QStringLiteral("*.deb")});
    QCOMPARE(packages.size(), 1);
    const QString package = work.filePath(packages.first());

    const QByteArray depends =
        run(dpkgDeb, {QStringLiteral("-f"), package, QStringLiteral("Depends")}, &exitCode);
    QCOMPARE(exitCode, 0);
    for (const char *needed : {"libunrar5", "libzip4", "libqt6core6", "par2"})
        QVERIFY2(depends.contains(needed), depends.constData());
    QCOMPARE(depends.contains("libqt6widgets6"), bool(TEVO_WITH_GUI));

    const QString root = work.filePath(QStringLiteral("root"));
    run(dpkgDeb, {QStringLiteral("-x"), package, root}, &exitCode);
    QCOMPARE(exitCode, 0);
    for (const char *file : {"usr/share/tevo/english.lng", "usr/share/tevo/server.os",
                             "usr/share/systemd/user/tevo-cli.service"})
        QVERIFY2(QFileInfo::exists(root + QLatin1Char('/') + QLatin1String(file)), file);
    QVERIFY(readFile(root + QStringLiteral("/usr/share/systemd/user/tevo-cli.service"))
                .contains("exec \"/usr/bin/tevo-cli\""));
    if (TEVO_WITH_GUI) {
        QVERIFY(QFileInfo(root + QStringLiteral("/usr/bin/tevo")).isExecutable());
        QVERIFY(QFileInfo::exists(root + QStringLiteral("/usr/share/applications/tevo.desktop")));
        QCOMPARE(pngSize(root + QStringLiteral("/usr/share/icons/hicolor/48x48/apps/tevo.png")),
                 QSize(48, 48));
    }
    output =
        run(root + QStringLiteral("/usr/bin/tevo-cli"), {QStringLiteral("--version")}, &exitCode);
    QCOMPARE(exitCode, 0);
    QCOMPARE(output.trimmed(), QByteArray("tevo-cli v1.06"));
}

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
