// Where last.os lives: a program folder of its own when writable, else the user's configuration
// folder.

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include "settings/ConfigLocation.h"

class TestConfigLocation : public QObject
{
    Q_OBJECT

private slots:
    // Only a copy in a folder of its own (its language files beside it: the build folder or an
    // unpacked copy) keeps last.os there; an installed copy, whose bin folder holds no language
    // file, keeps it in the user's configuration folder, also when it may write to bin (root).
    void lastOsBesideOnlyAnOwnProgramFolder_data()
    {
        QTest::addColumn<QString>("besideProgram"); // a file put beside the program, if any
        QTest::addColumn<bool>("beside");
        QTest::newRow("build or unpacked copy") << "english.lng" << true;
        QTest::newRow("own copy with another language") << "deutsch.lng" << true;
        QTest::newRow("installed copy") << "" << false;
        QTest::newRow("installed copy beside other programs") << "ls" << false;
    }
    void lastOsBesideOnlyAnOwnProgramFolder()
    {
        QFETCH(QString, besideProgram);
        QFETCH(bool, beside);
        QTemporaryDir config;
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
        QTemporaryDir program;
        if (!besideProgram.isEmpty()) {
            QFile file(program.filePath(besideProgram));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        const QString expected = beside ? program.path() + QStringLiteral("/")
                                        : config.path() + QStringLiteral("/tevo/");
        QCOMPARE(IsOwnProgramFolder(program.path()), beside);
        QCOMPARE(ConfigFolder(program.path()), expected);
        QCOMPARE(ConfigFolder(program.path() + QStringLiteral("/")), expected);
        QCOMPARE(LastOptionSetPath(program.path()), expected + QStringLiteral("last.os"));
    }

    void unusableProgramFolderFallsBackToXdgConfigHome()
    {
        QTemporaryDir config;
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
        const QString missingProgramFolder = config.path() + QStringLiteral("/no/such/folder");
        const QString expected = config.path() + QStringLiteral("/tevo/");
        QCOMPARE(ConfigFolder(missingProgramFolder), expected);
        QVERIFY2(QDir(expected).exists(), "the configuration folder is created");
        QCOMPARE(LastOptionSetPath(QString()), expected + QStringLiteral("last.os"));
    }

    void relativeXdgConfigHomeIsIgnored()
    {
        QTemporaryDir home;
        qputenv("HOME", QFile::encodeName(home.path()));
        qputenv("XDG_CONFIG_HOME", "relative/config");
        QCOMPARE(ConfigFolder(QString()), home.path() + QStringLiteral("/.config/tevo/"));
    }
};

QTEST_GUILESS_MAIN(TestConfigLocation)
#include "tst_configlocation.moc"
