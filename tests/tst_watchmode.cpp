// Watch mode on the real window: the Watch command's checks, the timer's interval rules, ticks.

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "jobs/WatchMode.h"
#include "support/Fakes.h"
#include "support/ManualWatchTimer.h"
#include "ui/MainWindow.h"

namespace {
constexpr int TextIntervalNotANumber = 153;
constexpr int TextWatchingCaption = 154;
constexpr int TextWatchCaption = 155;
constexpr int TextWatchNeedsDeleteFiles = 181;
} // namespace

class TestWatchMode : public QObject
{
    Q_OBJECT

    QTemporaryDir m_data;
    ScriptedDialogs *m_dialogs = nullptr;
    FakePlatform *m_platform = nullptr;
    TForm1 *m_form = nullptr;
    ManualWatchTimer *m_timer = nullptr;
    int m_unpacks = 0;

    WatchMode &watch() { return *m_form->findChild<WatchMode *>(); }
    QString text(int n) const { return m_form->context().LangText(n); }

private slots:
    void initTestCase() { qputenv("XDG_DATA_HOME", QFile::encodeName(m_data.path())); }

    void init()
    {
        m_dialogs = new ScriptedDialogs;
        m_platform = new FakePlatform;
        m_form = new TForm1(*m_dialogs, *m_platform);
        m_form->language().loadFile(EnglishLanguageFile());
        m_form->InitGUILanguage();
        auto timer = std::make_unique<ManualWatchTimer>();
        m_timer = timer.get();
        watch().setTimer(std::move(timer));
        m_unpacks = 0;
        watch().setUnpackCommand([this] { ++m_unpacks; });
    }

    void cleanup()
    {
        delete m_form;
        delete m_platform;
        delete m_dialogs;
    }

    void startsWatchingAfterTheChecks()
    {
        QCOMPARE(m_form->Button17->text(), text(TextWatchCaption));
        m_form->CheckBox3->setChecked(true);
        m_form->CheckBox4->setChecked(false);
        m_form->Button17->click();
        QVERIFY(m_dialogs->shownMessages.isEmpty());
        QCOMPARE(m_form->Button17->text(), text(TextWatchingCaption));
        QVERIFY(m_form->CheckBox4->isChecked());
        QVERIFY(watch().watching());
        QCOMPARE(m_timer->interval(), 15000);
        QVERIFY(m_form->jobControl().WatchTimerEnabled); // what the SFV check reads
        QCOMPARE(m_unpacks, 0);                          // the first job waits for the first tick
        QVERIFY(!m_form->Button1->isEnabled());
        QVERIFY(!m_form->Button15->isEnabled());
        QVERIFY(!m_form->Button14->isEnabled());

        m_form->Button17->click();
        QVERIFY(!watch().watching());
        QVERIFY(!m_form->jobControl().WatchTimerEnabled);
        QCOMPARE(m_form->Button17->text(), text(TextWatchCaption));
        QVERIFY(m_form->Button1->isEnabled());
        // No job runs, so there is nothing to stop or pause.
        QVERIFY(!m_form->Button15->isEnabled());
        QVERIFY(!m_form->Button14->isEnabled());
    }

    void intervalRules_data()
    {
        QTest::addColumn<QString>("seconds");
        QTest::addColumn<int>("interval"); // 0: refused with text 153
        QTest::newRow("zero is one millisecond") << QStringLiteral("0") << 1;
        QTest::newRow("one second") << QStringLiteral("1") << 1000;
        QTest::newRow("leading zeros") << QStringLiteral("007") << 7000;
        QTest::newRow("largest the timer takes") << QStringLiteral("2147483") << 2147483000;
        QTest::newRow("too large for the timer") << QStringLiteral("2147484") << 0;
        QTest::newRow("far too large") << QStringLiteral("99999999999999999999999") << 0;
        QTest::newRow("letters") << QStringLiteral("1a") << 0;
        QTest::newRow("empty") << QString() << 0;
        QTest::newRow("blank") << QStringLiteral(" 5") << 0;
        QTest::newRow("negative") << QStringLiteral("-5") << 0;
    }
    void intervalRules()
    {
        QFETCH(QString, seconds);
        QFETCH(int, interval);
        m_form->CheckBox3->setChecked(true);
        m_form->CheckBox4->setChecked(false);
        m_form->Edit6->setText(seconds);
        watch().toggle();
        if (interval > 0) {
            QVERIFY(m_dialogs->shownMessages.isEmpty());
            QVERIFY(watch().watching());
            QCOMPARE(m_timer->interval(), interval);
            return;
        }
        QCOMPARE(m_dialogs->shownMessages.size(), 1);
        QCOMPARE(m_dialogs->shownMessages.at(0).text, text(TextIntervalNotANumber));
        QCOMPARE(m_dialogs->shownMessages.at(0).caption, QStringLiteral("Error"));
        QCOMPARE(m_dialogs->shownMessages.at(0).icon, MessageIcon::Error);
        // Nothing changed.
        QVERIFY(!watch().watching());
        QCOMPARE(m_timer->starts, 0);
        QVERIFY(!m_form->CheckBox4->isChecked());
        QCOMPARE(m_form->Button17->text(), text(TextWatchCaption));
        QVERIFY(m_form->Button1->isEnabled());
    }

    void refusedWithoutDeleteFiles()
    {
        m_form->CheckBox3->setChecked(false);
        m_form->CheckBox4->setChecked(false);
        watch().toggle();
        QCOMPARE(m_dialogs->shownMessages.size(), 1);
        QCOMPARE(m_dialogs->shownMessages.at(0).text, text(TextWatchNeedsDeleteFiles));
        QVERIFY(m_dialogs->shownMessages.at(0).text.contains(QStringLiteral("\"Delete Files\"")));
        QCOMPARE(m_dialogs->shownMessages.at(0).icon, MessageIcon::Error);
        QVERIFY(!m_form->CheckBox4->isChecked());
        QVERIFY(!watch().watching());
        QCOMPARE(m_form->Button17->text(), text(TextWatchCaption));
    }

    void anUnknownCaptionDoesNothing()
    {
        m_form->CheckBox3->setChecked(true);
        m_form->Button17->setText(QStringLiteral("watch")); // letter case counts
        watch().toggle();
        QVERIFY(!watch().watching());
        QVERIFY(m_dialogs->shownMessages.isEmpty());
    }

    void aLanguageChangeWhileWatchingKeepsItStoppable()
    {
        m_form->CheckBox3->setChecked(true);
        watch().toggle();
        QVERIFY(watch().watching());
        // Another language whose Watch caption differs from its start-up caption.
        QStringList lines;
        for (int n = 0; n < m_form->language().count(); ++n)
            lines << m_form->context().LangText(n);
        lines[1] = QStringLiteral("Beobachten");
        lines[154] = QStringLiteral("Nicht mehr beobachten");
        lines[155] = QStringLiteral("Beobachten!");
        m_form->language().setText(lines.join(QLatin1Char('\n')));
        m_form->InitGUILanguage();
        QCOMPARE(m_form->Button17->text(), QStringLiteral("Beobachten"));
        watch().toggle();
        QVERIFY(!watch().watching());
        QCOMPARE(m_form->Button17->text(), QStringLiteral("Beobachten!"));
        watch().toggle();
        QVERIFY(watch().watching());
        QCOMPARE(m_form->Button17->text(), QStringLiteral("Nicht mehr beobachten"));
        // Right after start-up the button shows text 1, which starts watching as well.
        watch().toggle();
        m_form->InitGUILanguage();
        watch().toggle();
        QVERIFY(watch().watching());
    }

    void ticksStartAJobOnlyWhenNoneRuns()
    {
        m_form->CheckBox3->setChecked(true);
        watch().toggle();
        watch().runRound();
        QCOMPARE(m_unpacks, 1);
        m_form->jobControl().JobStartTick = 12345; // a job runs
        watch().runRound();
        watch().runRound();
        QCOMPARE(m_unpacks, 1);
        m_form->jobControl().JobStartTick = 0;
        watch().runRound();
        QCOMPARE(m_unpacks, 2);
    }

    void theRealTimerIsTimer1()
    {
        // Without the test's timer, watching runs the window's Timer1.
        TForm1 form(*m_dialogs, *m_platform);
        form.language().loadFile(EnglishLanguageFile());
        form.InitGUILanguage();
        form.CheckBox3->setChecked(true);
        form.Edit6->setText(QStringLiteral("20"));
        form.Button17->click();
        QVERIFY(form.Timer1->isActive());
        QCOMPARE(form.Timer1->interval(), 20000);
        form.Button17->click();
        QVERIFY(!form.Timer1->isActive());
    }
};

QTEST_MAIN(TestWatchMode)
#include "tst_watchmode.moc"
