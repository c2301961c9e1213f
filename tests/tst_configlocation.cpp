// Where last.os lives: the program folder when writable, else the user's configuration folder.

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include "settings/ConfigLocation.h"

class TestConfigLocation : public QObject
{
    Q_OBJECT

private slots:
    void writableProgramFolderHoldsLastOs()
    {
        QTemporaryDir program;
        QCOMPARE(ConfigFolder(program.path()), program.path() + QStringLiteral("/"));
        QCOMPARE(ConfigFolder(program.path() + QStringLiteral("/")),
                 program.path() + QStringLiteral("/"));
        QCOMPARE(LastOptionSetPath(program.path()), program.path() + QStringLiteral("/last.os"));
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
