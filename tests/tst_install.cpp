// An installed copy: the language folders follow the program's place, and a real
// "cmake --install --prefix" into a temporary folder gives a Tevo that starts and runs a job.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "settings/LanguageFolders.h"

class TestInstall : public QObject
{
    Q_OBJECT

private slots:
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

    void installedCopyStartsAndUnpacks()
    {
        QTemporaryDir prefix;
        QProcess install;
        install.start(QStringLiteral(TEVO_CMAKE_COMMAND),
                      {QStringLiteral("--install"), QStringLiteral(TEVO_BINARY_DIR),
                       QStringLiteral("--prefix"), prefix.path()});
        QVERIFY(install.waitForFinished(120000));
        QVERIFY2(install.exitCode() == 0, install.readAllStandardError().constData());
        const QString program = prefix.filePath(QStringLiteral("bin/tevo"));
        QVERIFY(QFileInfo(program).isExecutable());
        QVERIFY(QFileInfo::exists(prefix.filePath(QStringLiteral("share/tevo/english.lng"))));
        QVERIFY(!QFileInfo::exists(prefix.filePath(QStringLiteral("bin/english.lng"))));
        checkDesktopFiles(prefix.path());

        // "Close Tevo after extraction" ends the command-line job and the program with it. An
        // installed copy keeps last.os in the user's configuration folder, never in bin.
        QTemporaryDir release, home;
        const QString lastOs = home.filePath(QStringLiteral("config/tevo/last.os"));
        QVERIFY(QDir().mkpath(QFileInfo(lastOs).path()));
        QVERIFY(writeFile(lastOs, "[Options]\r\nCheckBox10=1\r\nCheckBox17=1\r\n"));
        QProcess tevo;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
        tevo.setProcessEnvironment(env);
        tevo.start(program, {release.path(), QStringLiteral("-unpack")});
        // Without its language file the copy would stop at the "No Language file found!" box.
        QVERIFY(tevo.waitForFinished(120000));
        QCOMPARE(tevo.exitStatus(), QProcess::NormalExit);
        QCOMPARE(tevo.exitCode(), 0);
        QFile saved(lastOs);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const QByteArray savedBytes = saved.readAll();
        QVERIFY(savedBytes.contains("language=english.lng"));
        QVERIFY(!QFileInfo::exists(prefix.filePath(QStringLiteral("bin/last.os"))));

        // tevo-cli beside it finds the same language files and settings without a display, and
        // leaves last.os as it was.
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.remove(QStringLiteral("DISPLAY"));
        QProcess cli;
        cli.setProcessEnvironment(env);
        cli.start(prefix.filePath(QStringLiteral("bin/tevo-cli")), {release.path()});
        QVERIFY(cli.waitForFinished(120000));
        QCOMPARE(cli.exitCode(), 0);
        QVERIFY(cli.readAllStandardOutput().contains("Tevo v1.06 started"));
        saved.close();
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), savedBytes);
    }

private:
    // The application-menu entry validates, and its icon is there in the hicolor theme.
    static void checkDesktopFiles(const QString &prefix)
    {
        const QString entry = prefix + QStringLiteral("/share/applications/tevo.desktop");
        QVERIFY(QFileInfo::exists(entry));
        QProcess validate;
        validate.start(QStringLiteral("desktop-file-validate"), {entry});
        QVERIFY2(validate.waitForFinished(30000), "desktop-file-validate (desktop-file-utils)");
        const QByteArray complaints = validate.readAll().trimmed();
        QVERIFY2(validate.exitCode() == 0 && complaints.isEmpty(), complaints.constData());
        const QString icons = prefix + QStringLiteral("/share/icons/hicolor/");
        QVERIFY(QFileInfo::exists(icons + QStringLiteral("scalable/apps/tevo.svg")));
        for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
            const QImage png(icons + QStringLiteral("%1x%1/apps/tevo.png").arg(size));
            QCOMPARE(png.size(), QSize(size, size));
        }
    }

    static bool writeFile(const QString &path, const QByteArray &content)
    {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
    }
};

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
