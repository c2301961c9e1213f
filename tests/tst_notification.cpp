// The notification at the end of a job: one per job, with the counts and whether anything
// failed, only while "Show a notification when a job ends" is on; the tray's message stands in
// where the desktop has no notification service.

#include <QCheckBox>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include "jobs/JobNotification.h"
#include "jobs/WatchMode.h"
#include "support/ReleaseMaker.h"
#include "support/WindowFixture.h"

namespace {

struct Shown
{
    QString title;
    QString text;
    bool failed;
};

struct RecordingNotifier : Notifier
{
    QList<Shown> *shown;
    explicit RecordingNotifier(QList<Shown> *into) : shown(into) {}
    void notify(const QString &title, const QString &text, bool failed) override
    {
        shown->append({title, text, failed});
    }
};

} // namespace

class TestNotification : public QObject
{
    Q_OBJECT

    QTemporaryDir m_temp;

private slots:
    void jobEnd_data()
    {
        QTest::addColumn<bool>("releaseThere");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QString>("text"); // empty: no notification
        QTest::addColumn<bool>("failed");
        QTest::addColumn<bool>("watching");
        QTest::newRow("a release unpacked")
            << true << true << "1 archive(s) unpacked, nothing failed" << false << false;
        QTest::newRow("a folder that is not there")
            << false << true << "0 archive(s) unpacked, 1 failed" << true << false;
        QTest::newRow("switched off") << true << false << QString() << false << false;
        QTest::newRow("watching: a round that unpacked")
            << true << true << "1 archive(s) unpacked, nothing failed" << false << true;
        QTest::newRow("watching: a round that unpacked nothing")
            << false << true << QString() << false << true;
    }

    void jobEnd()
    {
        QFETCH(bool, releaseThere);
        QFETCH(bool, enabled);
        QFETCH(QString, text);
        QFETCH(bool, failed);
        QFETCH(bool, watching);
        const QString release = m_temp.filePath(QString::fromLatin1(QTest::currentDataTag()));
        if (releaseThere) {
            ReleaseMaker::writeFile(release + "/movie.mkv", 200 * 1024, 5);
            ReleaseMaker::makeRarSet(release, QStringLiteral("m"), {"movie.mkv"}, 64);
            QFile::remove(release + "/movie.mkv");
        }
        WindowFixture w;
        w.form.language().loadFile(EnglishLanguageFile());
        QList<Shown> shown;
        w.form.setNotifier(std::make_unique<RecordingNotifier>(&shown));
        w.form.CheckBox23->setChecked(enabled);
        w.form.Edit1->setText(release);
        if (watching) {
            w.form.CheckBox3->setChecked(true); // watching needs "Delete Files"
            w.form.watchMode().toggle();
        }
        w.form.Button1Click();
        if (text.isEmpty()) {
            QVERIFY(shown.isEmpty());
            return;
        }
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].title, QStringLiteral("Unpack job finished"));
        QCOMPARE(shown[0].text, text);
        QCOMPARE(shown[0].failed, failed);
    }

    void trayStandsInForAMissingService_data()
    {
        QTest::addColumn<bool>("serviceAnswers");
        QTest::addColumn<int>("trayMessages");
        QTest::newRow("service answers") << true << 0;
        QTest::newRow("no service") << false << 1;
    }

    void trayStandsInForAMissingService()
    {
        QFETCH(bool, serviceAnswers);
        QFETCH(int, trayMessages);
        int serviceCalls = 0;
        QStringList tray;
        DesktopNotifier notifier(
            [&](const QString &title, const QString &text, bool) {
                tray << title + ": " + text;
                return true;
            },
            [&](const QString &, const QString &, bool) {
                ++serviceCalls;
                return serviceAnswers;
            });
        notifier.notify(QStringLiteral("Unpack job finished"), QStringLiteral("2 unpacked"), false);
        QCOMPARE(serviceCalls, 1);
        QCOMPARE(tray.size(), trayMessages);
        if (trayMessages)
            QCOMPARE(tray.first(), QStringLiteral("Unpack job finished: 2 unpacked"));
    }
};

QTEST_MAIN(TestNotification)
#include "tst_notification.moc"
