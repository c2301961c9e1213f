// The folder context-menu entry against a temporary data folder: on, off, refresh, start-up read.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "settings/FileManagerActions.h"
#include "settings/IniReader.h"
#include "settings/ShellIntegration.h"
#include "support/ReleaseMaker.h"

namespace {

using ReleaseMaker::readAll;

} // namespace

class TestShellIntegration : public QObject
{
    Q_OBJECT

    QTemporaryDir m_data;

private slots:
    void init()
    {
        QVERIFY(m_data.isValid());
        QDir(m_data.path()).removeRecursively();
        QDir().mkpath(m_data.path());
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_data.path()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_data.path() + QStringLiteral("/config")));
    }

    void onWritesTheEntriesWithTheProgramPath()
    {
        QVERIFY(!ShellIntegration::ReadState());
        ShellIntegration::Apply(true, QStringLiteral("/opt/tevo/tevo"));
        QCOMPARE(ShellIntegration::DesktopEntryPath(),
                 m_data.path() + QStringLiteral("/applications/tevo-unpack-folder.desktop"));
        const IniReader entry = IniReader::fromFile(ShellIntegration::DesktopEntryPath());
        const QString section = QStringLiteral("Desktop Entry");
        QCOMPARE(entry.readString(section, QStringLiteral("Name")),
                 QStringLiteral("Unpack with Tevo"));
        QCOMPARE(entry.readString(section, QStringLiteral("Exec")),
                 QStringLiteral("\"/opt/tevo/tevo\" %f"));
        // Hidden, and no handler for folders: it must never become the default for them.
        QCOMPARE(entry.readString(section, QStringLiteral("NoDisplay")), QStringLiteral("true"));
        QVERIFY(!entry.readString(section, QStringLiteral("MimeType")).contains("inode/directory"));
        QVERIFY(ShellIntegration::ReadState());
        QProcess validate;
        validate.start(QStringLiteral("desktop-file-validate"),
                       {ShellIntegration::DesktopEntryPath()});
        QVERIFY2(validate.waitForFinished(30000), "desktop-file-validate (desktop-file-utils)");
        const QByteArray complaints = validate.readAll().trimmed();
        QVERIFY2(validate.exitCode() == 0 && complaints.isEmpty(), complaints.constData());

        const QFileInfo menu(ShellIntegration::ServiceMenuPath());
        QCOMPARE(menu.absolutePath(), m_data.path() + QStringLiteral("/kio/servicemenus"));
        QVERIFY(menu.isExecutable());
        const IniReader service = IniReader::fromFile(menu.filePath());
        QCOMPARE(service.readString(QStringLiteral("Desktop Action unpackWithTevo"),
                                    QStringLiteral("Exec")),
                 QStringLiteral("\"/opt/tevo/tevo\" %f"));
        QVERIFY(!QFileInfo::exists(ShellIntegration::NautilusScriptPath()));
    }

    void nautilusGetsAScriptWhereItKeepsThem()
    {
        QDir().mkpath(m_data.path() + QStringLiteral("/nautilus"));
        ShellIntegration::Apply(true, QStringLiteral("/home/u/it's/tevo"));
        const QFileInfo script(ShellIntegration::NautilusScriptPath());
        QVERIFY(script.isExecutable());
        QVERIFY(readAll(script.filePath()).contains("exec '/home/u/it'\\''s/tevo' \"$folder\""));
        ShellIntegration::Apply(false, QString());
        QVERIFY(!QFileInfo::exists(script.filePath()));
    }

    // Thunar and Nemo get their actions where they keep them; the user's own Thunar actions
    // stay, before and after.
    void thunarAndNemoActions()
    {
        const QByteArray own = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<actions>\n<action>\n"
                               "\t<name>Open Terminal Here</name>\n\t<unique-id>1-1</unique-id>\n"
                               "\t<command>exo-open --launch TerminalEmulator</command>\n"
                               "</action>\n</actions>\n";
        QDir().mkpath(m_data.path() + QStringLiteral("/config/Thunar"));
        QDir().mkpath(m_data.path() + QStringLiteral("/nemo"));
        {
            QFile uca(FileManagerActions::ThunarActionsPath());
            QVERIFY(uca.open(QIODevice::WriteOnly));
            uca.write(own);
        }
        ShellIntegration::Apply(true, QStringLiteral("/opt/t&vo/tevo"));
        ShellIntegration::Apply(true, QStringLiteral("/opt/tevo/tevo")); // a later start
        const QByteArray thunar = readAll(FileManagerActions::ThunarActionsPath());
        QVERIFY(thunar.contains("<command>exo-open --launch TerminalEmulator</command>"));
        QCOMPARE(thunar.count("<unique-id>tevo-unpack-folder</unique-id>"), 1);
        QVERIFY(thunar.contains("<command>'/opt/tevo/tevo' %f</command>"));
        QVERIFY(thunar.contains("<directories/>"));
        QVERIFY(thunar.indexOf("tevo-unpack-folder") < thunar.indexOf("</actions>"));
        const IniReader nemo = IniReader::fromFile(FileManagerActions::NemoActionPath());
        QCOMPARE(nemo.readString(QStringLiteral("Nemo Action"), QStringLiteral("Exec")),
                 QStringLiteral("'/opt/tevo/tevo' %F"));
        QCOMPARE(nemo.readString(QStringLiteral("Nemo Action"), QStringLiteral("Extensions")),
                 QStringLiteral("dir;"));

        ShellIntegration::Apply(false, QString());
        QCOMPARE(readAll(FileManagerActions::ThunarActionsPath()), own);
        QVERIFY(!QFileInfo::exists(FileManagerActions::NemoActionPath()));
    }

    void specialCharactersAreEscapedForThunar()
    {
        const QByteArray xml =
            FileManagerActions::ThunarActions({}, QStringLiteral("/a<b>&'c/tevo"));
        QVERIFY(xml.contains("<command>'/a&lt;b&gt;&amp;'\\''c/tevo' %f</command>"));
        QCOMPARE(FileManagerActions::ThunarActions(xml, QString()).count("<action>"), 0);
    }

    void offRemovesTheEntries()
    {
        ShellIntegration::Apply(true, QStringLiteral("/opt/tevo/tevo"));
        ShellIntegration::Apply(false, QStringLiteral("/opt/tevo/tevo"));
        QVERIFY(!QFileInfo::exists(ShellIntegration::DesktopEntryPath()));
        QVERIFY(!QFileInfo::exists(ShellIntegration::ServiceMenuPath()));
        QVERIFY(!ShellIntegration::ReadState());
        ShellIntegration::Apply(false, QString()); // nothing there: still silent
    }

    void aNewStartRefreshesTheProgramPath()
    {
        ShellIntegration::Apply(true, QStringLiteral("/old/place/tevo"));
        // A start from the new place: read the state, then apply it with the current path.
        const bool on = ShellIntegration::ReadState();
        QVERIFY(on);
        ShellIntegration::Apply(on, QStringLiteral("/new/place/tevo"));
        QVERIFY(readAll(ShellIntegration::DesktopEntryPath()).contains("/new/place/tevo"));
        QVERIFY(!readAll(ShellIntegration::DesktopEntryPath()).contains("/old/place"));
        QVERIFY(readAll(ShellIntegration::ServiceMenuPath()).contains("/new/place/tevo"));
    }

    void anEntryWithoutCommandReadsAsOff()
    {
        QDir().mkpath(m_data.path() + QStringLiteral("/applications"));
        QFile file(ShellIntegration::DesktopEntryPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Desktop Entry]\nName=Unpack with Tevo\nExec=\n");
        file.close();
        QVERIFY(!ShellIntegration::ReadState());
    }

    void unwritableDataFolderFailsSilently()
    {
        // A plain file where the applications folder should be: nothing can be created.
        QFile blocker(m_data.path() + QStringLiteral("/applications"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        ShellIntegration::Apply(true, QStringLiteral("/opt/tevo/tevo"));
        QVERIFY(!ShellIntegration::ReadState());
    }

    void unsetDataHomeMeansLocalShare()
    {
        QTemporaryDir home;
        qputenv("HOME", QFile::encodeName(home.path()));
        qunsetenv("XDG_DATA_HOME");
        QCOMPARE(ShellIntegration::DataHome(), home.path() + QStringLiteral("/.local/share"));
        qputenv("XDG_DATA_HOME", "not/absolute");
        QCOMPARE(ShellIntegration::DataHome(), home.path() + QStringLiteral("/.local/share"));
    }

    void execQuotingFollowsTheDesktopEntryRules_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("exec");
        QTest::newRow("plain") << QStringLiteral("/usr/bin/tevo")
                               << QStringLiteral("\"/usr/bin/tevo\"");
        QTest::newRow("blank") << QStringLiteral("/opt/my apps/tevo")
                               << QStringLiteral("\"/opt/my apps/tevo\"");
        QTest::newRow("dollar and quote") << QStringLiteral("/a$b/\"c\"/tevo")
                                          << QStringLiteral("\"/a\\\\$b/\\\\\"c\\\\\"/tevo\"");
        QTest::newRow("backslash")
            << QStringLiteral("/a\\b/tevo") << QStringLiteral("\"/a\\\\\\\\b/tevo\"");
        QTest::newRow("percent") << QStringLiteral("/100%/tevo")
                                 << QStringLiteral("\"/100%%/tevo\"");
        QTest::newRow("line end") << QStringLiteral("/a\nb/tevo")
                                  << QStringLiteral("\"/a\\nb/tevo\"");
    }
    void execQuotingFollowsTheDesktopEntryRules()
    {
        QFETCH(QString, path);
        QFETCH(QString, exec);
        QCOMPARE(ShellIntegration::DesktopExecProgram(path), exec);
    }
};

QTEST_GUILESS_MAIN(TestShellIntegration)
#include "tst_shellintegration.moc"
