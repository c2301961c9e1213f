// An installed copy: the language folders follow the program's place, a real
// "cmake --install --prefix" into a temporary folder gives a Tevo that starts and runs a job,
// its systemd user unit runs tevo-cli with the right option set, an install of an unbuilt tree
// copies nothing, and "cpack -G DEB" makes a package whose tevo-cli runs.

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "settings/LanguageFolders.h"
#include "support/ReleaseMaker.h"

using ReleaseMaker::readAll;
using ReleaseMaker::writeText;

const QString UnitFile = "share/systemd/user/tevo-cli.service";

class TestInstall : public QObject
{
    Q_OBJECT

    QTemporaryDir m_prefix, m_home;

    QString installed(const QString &relative) const { return m_prefix.filePath(relative); }

private slots:
    // Every program runs as a user whose home, configuration and runtime folders are temporary,
    // without a display.
    void initTestCase()
    {
        qputenv("HOME", m_home.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", m_home.filePath("config").toUtf8());
        qputenv("XDG_DATA_HOME", m_home.filePath("data").toUtf8());
        qputenv("XDG_RUNTIME_DIR", m_home.path().toUtf8());
        for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            qunsetenv(name);
        QVERIFY(ReleaseMaker::run(TEVO_CMAKE_COMMAND,
                                  {"--install", TEVO_BINARY_DIR, "--prefix", m_prefix.path()}, {}));
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

    // The application-menu entry validates and its icon is in the hicolor theme; "Close Tevo
    // after extraction" ends the command-line job and the program with it. An installed copy
    // keeps last.os in the user's configuration folder, never in bin.
    void installedWindow()
    {
        const QString entry = installed("share/applications/tevo.desktop");
        QCOMPARE(QFileInfo::exists(entry), bool(TEVO_WITH_GUI)); // it comes with the window alone
        if (!TEVO_WITH_GUI)
            QSKIP("built without the window (TEVO_GUI=OFF)");
        QString complaints;
        QVERIFY(ReleaseMaker::run("desktop-file-validate", {entry}, {}, &complaints));
        QVERIFY2(complaints.trimmed().isEmpty(), qPrintable(complaints));
        const QString icons = installed("share/icons/hicolor/");
        QVERIFY(QFileInfo::exists(icons + "scalable/apps/tevo.svg"));
        // A PNG's IHDR chunk comes first, with its width and height.
        for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
            QCOMPARE(
                readAll(icons + QStringLiteral("%1x%1/apps/tevo.png").arg(size)).mid(12, 12),
                QByteArray::fromHex(
                    QStringLiteral("49484452%1%1").arg(size, 8, 16, QLatin1Char('0')).toLatin1()));

        QTemporaryDir release;
        const QString lastOs = m_home.filePath("config/tevo/last.os");
        writeText(lastOs, "[Options]\r\nCheckBox10=1\r\nCheckBox17=1\r\n");
        // Without its language file the copy would stop at the "No Language file found!" box.
        QVERIFY(ReleaseMaker::run(
            "env", {"QT_QPA_PLATFORM=offscreen", installed("bin/tevo"), release.path(), "-unpack"},
            {}));
        QVERIFY(readAll(lastOs).contains("language=english.lng"));
        QVERIFY(!QFileInfo::exists(installed("bin/last.os")));
    }

    // tevo-cli finds the language files in share/tevo (never beside the program) and the user's
    // settings without a display, and leaves last.os as it was.
    void installedCliUnpacks()
    {
        QVERIFY(QFileInfo::exists(installed("share/tevo/english.lng")) &&
                !QFileInfo::exists(installed("bin/english.lng")));
        QTemporaryDir release;
        const QString lastOs = m_home.filePath("config/tevo/last.os");
        const QByteArray before("[Options]\r\nCheckBox10=1\r\n[other]\r\nlanguage=english.lng\r\n");
        writeText(lastOs, before);
        QString output;
        QVERIFY(ReleaseMaker::run(installed("bin/tevo-cli"), {release.path()}, {}, &output));
        QVERIFY2(output.contains("Tevo v1.06 started"), qPrintable(output));
        QCOMPARE(readAll(lastOs), before);
    }

    // systemd's own check of the installed unit: syntax, % placeholders and that /bin/sh is there.
    void unitVerifies()
    {
        if (QStandardPaths::findExecutable("systemd-analyze").isEmpty())
            QSKIP("systemd-analyze is not installed");
        QString output;
        QVERIFY(ReleaseMaker::run("systemd-analyze", {"--user", "verify", installed(UnitFile)}, {},
                                  &output));
        QVERIFY2(output.trimmed().isEmpty(), qPrintable(output));
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

    // The unit's command as systemd would run it (% placeholders filled, "$$" made "$"): tevo-cli
    // starts watching with the option set the unit chose, and ends at SIGTERM.
    void unitPicksOptionSet()
    {
        QFETCH(QByteArray, userOptionSet);
        QFETCH(QByteArray, expectedLine);
        const QString config = m_home.filePath("config");
        QFile::remove(config + "/tevo/server.os");
        if (!userOptionSet.isEmpty())
            writeText(config + "/tevo/server.os", userOptionSet);
        const QString unit = QString::fromUtf8(readAll(installed(UnitFile)))
                                 .replace("%E", config)
                                 .replace("%h", m_home.path())
                                 .replace("$$", "$");
        const QRegularExpressionMatch lines =
            QRegularExpression("^Environment=TEVO_WATCH_FOLDER=(.*)$[\\s\\S]*"
                               "^ExecStart=/bin/sh -c '(.*)'$",
                               QRegularExpression::MultilineOption)
                .match(unit);
        const QString watchFolder = lines.captured(1);
        QVERIFY2(watchFolder.startsWith(m_home.path() + u'/') && QDir().mkpath(watchFolder),
                 qPrintable(unit));
        qputenv("TEVO_WATCH_FOLDER", watchFolder.toUtf8());

        QProcess service;
        service.setProcessChannelMode(QProcess::MergedChannels);
        service.start("/bin/sh", {"-c", lines.captured(2)});
        QByteArray output;
        QTRY_VERIFY2_WITH_TIMEOUT((output += service.readAll()).contains(expectedLine),
                                  output.constData(), 30000);
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
        QVERIFY(
            ReleaseMaker::run(TEVO_CMAKE_COMMAND,
                              {"-S", TEVO_SOURCE_DIR, "-B", build.path(), "-DTEVO_BUILD_TESTS=OFF",
                               TEVO_WITH_GUI ? "-DTEVO_GUI=ON" : "-DTEVO_GUI=OFF"},
                              {}));
        QProcess install;
        install.setProcessChannelMode(QProcess::MergedChannels);
        install.start(TEVO_CMAKE_COMMAND, {"--install", build.path(), "--prefix", prefix.path()});
        QVERIFY(install.waitForFinished(120000));
        const QByteArray output = install.readAll();
        QVERIFY2(install.exitCode() != 0 && output.contains("Nothing was installed") &&
                     output.contains("tevo-install-parts"),
                 output.constData());
        QCOMPARE(QDir(prefix.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList());
    }

    // The Debian package holds what an install holds, under /usr, names the packages it needs,
    // and its tevo-cli runs once unpacked.
    void debianPackage()
    {
        if (QStandardPaths::findExecutable("dpkg-deb").isEmpty() ||
            QStandardPaths::findExecutable("dpkg-shlibdeps").isEmpty())
            QSKIP("dpkg-deb or dpkg-shlibdeps is not installed");
        QTemporaryDir work;
        QVERIFY(ReleaseMaker::run(
            TEVO_CPACK_COMMAND,
            {"-G", "DEB", "-B", work.path(), "--config", TEVO_BINARY_DIR "/CPackConfig.cmake"},
            {}));
        const QString package = work.filePath(QDir(work.path()).entryList({"*.deb"}).value(0));
        QString depends, version;
        QVERIFY(ReleaseMaker::run("dpkg-deb", {"-f", package, "Depends"}, {}, &depends));
        for (const char *needed : {"libunrar5", "libzip4", "libqt6core6", "par2"})
            QVERIFY2(depends.contains(needed), qPrintable(depends));
        QCOMPARE(depends.contains("libqt6widgets6"), bool(TEVO_WITH_GUI));

        const QString usr = work.filePath("root/usr/");
        QVERIFY(ReleaseMaker::run("dpkg-deb", {"-x", package, work.filePath("root")}, {}));
        QCOMPARE(ReleaseMaker::listTree(usr), ReleaseMaker::listTree(m_prefix.path()));
        QVERIFY(readAll(usr + UnitFile).contains("exec \"/usr/bin/tevo-cli\""));
        QVERIFY(ReleaseMaker::run(usr + "bin/tevo-cli", {"--version"}, {}, &version));
        QCOMPARE(version.trimmed(), QStringLiteral("tevo-cli v1.06"));
    }
};

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
