// The log beyond the window: "Save log…" in its context menu writes it to a chosen file, and
// with "Also write the log to tevo.log" every line goes to the settings folder as it comes.

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>

#include "support/ReleaseMaker.h"
#include "support/WindowFixture.h"

namespace {

using ReleaseMaker::readAll;

} // namespace

class TestLogFile : public QObject
{
    Q_OBJECT

    QTemporaryDir m_config;

private slots:
    void initTestCase()
    {
        // last.os, and so tevo.log, in a settings folder of the test's own.
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
    }

    void saveLogFromTheContextMenu()
    {
        WindowFixture w;
        std::unique_ptr<QMenu> empty(w.form.createLogContextMenu());
        QAction *save = empty->findChild<QAction *>(QStringLiteral("SaveLog1"));
        QVERIFY(save);
        QVERIFY(!save->isEnabled()); // nothing to save yet

        w.form.AddLogLine(QStringLiteral("[UNPACK ] first"));
        w.form.AddLogLine(QStringLiteral("[END    ] Folder done"));
        const QString target = m_config.filePath(QStringLiteral("saved.log"));
        w.dialogs.fileAnswers.push_back(target);
        std::unique_ptr<QMenu> menu(w.form.createLogContextMenu());
        menu->findChild<QAction *>(QStringLiteral("SaveLog1"))->trigger();
        QCOMPARE(readAll(target), "[09:03] [UNPACK ] first\n[09:03] [END    ] Folder done\n");
        QVERIFY(w.dialogs.shownMessages.isEmpty());

        // Cancelling the dialog writes nothing.
        QFile::remove(target);
        w.form.SaveLog();
        QVERIFY(!QFile::exists(target));
    }

    void logFile_data()
    {
        QTest::addColumn<bool>("on");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("off by default") << false << QByteArray();
        QTest::newRow("on") << true << QByteArray("[09:03] one\n[09:03] two\n");
    }

    void logFile()
    {
        QFETCH(bool, on);
        QFETCH(QByteArray, expected);
        WindowFixture w;
        QFile::remove(w.form.logFilePath());
        QVERIFY(!w.form.CheckBox24->isChecked());
        w.form.CheckBox24->setChecked(on);
        w.form.AddLogLine(QStringLiteral("one"));
        w.form.AddLogLine(QStringLiteral("two"));
        QCOMPARE(readAll(w.form.logFilePath()), expected);
    }
};

QTEST_MAIN(TestLogFile)
#include "tst_logfile.moc"
