// The click and change rules of the main window, and the control locks of a folder run.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "support/WindowFixture.h"

namespace {

QColor baseColour(const QWidget *widget)
{
    return widget->palette().color(QPalette::Active, QPalette::Base);
}

QColor standard(QPalette::ColorRole role)
{
    return QApplication::palette().color(QPalette::Active, role);
}

} // namespace

class TestMainWindowRules : public QObject
{
    Q_OBJECT

private slots:
    void inputModeRule()
    {
        WindowFixture w;
        TForm1 &f = w.form;
        QCOMPARE(baseColour(f.Edit1), standard(QPalette::Base));
        QCOMPARE(baseColour(f.ListBox1), standard(QPalette::Button));

        f.RadioButton7->setChecked(true);
        for (QWidget *on : std::initializer_list<QWidget *>{f.Button6, f.Button16, f.Button7,
                                                            f.Button10, f.ListBox1})
            QVERIFY2(on->isEnabled(), qPrintable(on->objectName()));
        for (QWidget *off : std::initializer_list<QWidget *>{f.Label1, f.Edit1, f.Button4})
            QVERIFY2(!off->isEnabled(), qPrintable(off->objectName()));
        QCOMPARE(baseColour(f.Edit1), standard(QPalette::Button));
        QCOMPARE(baseColour(f.ListBox1), standard(QPalette::Base));

        f.RadioButton6->setChecked(true);
        for (QWidget *off :
             std::initializer_list<QWidget *>{f.Button6, f.Button16, f.Button7, f.Button10})
            QVERIFY2(!off->isEnabled(), qPrintable(off->objectName()));
        for (QWidget *on :
             std::initializer_list<QWidget *>{f.Label1, f.Edit1, f.Button4, f.ListBox1})
            QVERIFY2(on->isEnabled(), qPrintable(on->objectName()));
        QCOMPARE(baseColour(f.Edit1), standard(QPalette::Base));
    }

    void inputModeRuleFollowsAClick()
    {
        WindowFixture w;
        w.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.form));
        QTest::mouseClick(w.form.RadioButton7, Qt::LeftButton, {},
                          QPoint(6, w.form.RadioButton7->height() / 2));
        QCOMPARE(w.form.settings().InputMode(), InputModeChoice::Queue);
        QVERIFY(w.form.Button6->isEnabled());
        QVERIFY(!w.form.Edit1->isEnabled());
    }

    void outputModeRule()
    {
        WindowFixture w;
        TForm1 &f = w.form;
        const std::initializer_list<QWidget *> custom{f.Edit2, f.Button5, f.CheckBox2};
        const std::initializer_list<QWidget *> naming{f.RadioButton12, f.RadioButton14};

        f.RadioButton2->setChecked(true);
        for (QWidget *on : custom)
            QVERIFY2(on->isEnabled(), qPrintable(on->objectName()));
        for (QWidget *off : naming)
            QVERIFY2(!off->isEnabled(), qPrintable(off->objectName()));

        f.CheckBox2->setChecked(true);
        for (QWidget *on : naming)
            QVERIFY2(on->isEnabled(), qPrintable(on->objectName()));
        f.RadioButton14->setChecked(true);
        f.Edit2->setText(QStringLiteral("/out"));

        // Back to the input folder: all five disabled, their values kept.
        f.RadioButton3->setChecked(true);
        for (QWidget *off : custom)
            QVERIFY2(!off->isEnabled(), qPrintable(off->objectName()));
        for (QWidget *off : naming)
            QVERIFY2(!off->isEnabled(), qPrintable(off->objectName()));
        QVERIFY(f.settings().SubdirPerEntry());
        QCOMPARE(f.settings().SubdirNaming(), SubdirNamingChoice::FolderName);
        QCOMPARE(f.settings().CustomOutputDir(), QStringLiteral("/out"));

        // The subdirectory check box alone does not enable the naming radios.
        f.CheckBox2->setChecked(false);
        f.CheckBox2->setChecked(true);
        for (QWidget *off : naming)
            QVERIFY2(!off->isEnabled(), qPrintable(off->objectName()));

        f.RadioButton1->setChecked(true);
        for (QWidget *off : custom)
            QVERIFY2(!off->isEnabled(), qPrintable(off->objectName()));
        f.RadioButton2->setChecked(true);
        for (QWidget *on : naming)
            QVERIFY2(on->isEnabled(), qPrintable(on->objectName()));
        f.CheckBox2->setChecked(false);
        for (QWidget *off : naming)
            QVERIFY2(!off->isEnabled(), qPrintable(off->objectName()));
    }

    void deleteFilesRule()
    {
        WindowFixture w;
        TForm1 &f = w.form;
        f.CheckBox3->setChecked(true);
        QVERIFY(f.RadioButton4->isEnabled());
        QVERIFY(f.RadioButton5->isEnabled());
        f.RadioButton5->setChecked(true);
        f.CheckBox3->setChecked(false);
        QVERIFY(!f.RadioButton4->isEnabled());
        QVERIFY(!f.RadioButton5->isEnabled());
        QCOMPARE(f.settings().DeleteTiming(), DeleteTimingChoice::AfterExtractingAll);
    }

    // Setting a control to the value it holds runs no rule: an enabled state changed behind the
    // rule's back stays as it is.
    void rulesDoNotRunForTheValueAlreadyHeld()
    {
        WindowFixture w;
        TForm1 &f = w.form;
        f.Button6->setEnabled(true);
        f.RadioButton6->setChecked(true);
        QVERIFY(f.Button6->isEnabled());

        f.Edit2->setEnabled(true);
        f.RadioButton3->setChecked(true);
        QVERIFY(f.Edit2->isEnabled());

        f.RadioButton12->setEnabled(true);
        f.CheckBox2->setChecked(false);
        QVERIFY(f.RadioButton12->isEnabled());

        f.RadioButton4->setEnabled(true);
        f.CheckBox3->setChecked(false);
        QVERIFY(f.RadioButton4->isEnabled());

        f.ComboBox2->setCurrentIndex(1);
        QVERIFY(w.platform.priorities.isEmpty());
        f.CheckBox20->setChecked(false);
        f.CheckBox12->setChecked(false);
        QCOMPARE(w.form.trayRuleRuns, 0);
        QCOMPARE(w.form.shellRuleRuns, 0);
    }

    // A radio button that becomes unchecked runs nothing; only the one that becomes checked does.
    void onlyTheNewlyCheckedRadioRunsItsRule()
    {
        WindowFixture w;
        TForm1 &f = w.form;
        f.RadioButton2->setChecked(true);
        QVERIFY(f.Edit2->isEnabled());
        // Unchecking the custom radio directly (as an exclusive group never does on its own)
        // leaves the enabled states to the next checked radio.
        f.RadioButton2->setAutoExclusive(false);
        f.RadioButton2->setChecked(false);
        QVERIFY(f.Edit2->isEnabled());
        f.RadioButton2->setAutoExclusive(true);
        f.RadioButton1->setChecked(true);
        QVERIFY(!f.Edit2->isEnabled());
    }

    void trayAndRegistryRulesRunOnEveryChange()
    {
        WindowFixture w;
        TForm1 &f = w.form;
        f.CheckBox20->setChecked(true);
        f.CheckBox20->setChecked(false);
        f.CheckBox20->setChecked(false);
        QCOMPARE(w.form.trayRuleRuns, 2);
        f.CheckBox12->setChecked(true);
        f.CheckBox12->setChecked(true);
        QCOMPARE(w.form.shellRuleRuns, 1);
        QCOMPARE(w.form.trayRuleRuns, 2);
    }

    void priorityRuleSetsTheProcessPriority()
    {
        WindowFixture w;
        w.form.ComboBox2->setCurrentIndex(2);
        w.form.ComboBox2->setCurrentIndex(0);
        w.form.ComboBox2->setCurrentIndex(0);
        w.form.ComboBox2->setCurrentIndex(1);
        QCOMPARE(w.platform.priorities,
                 (QList<PriorityChoice>{PriorityChoice::Low, PriorityChoice::High,
                                        PriorityChoice::Normal}));
        // No selection changes nothing.
        w.form.ComboBox2->setCurrentIndex(-1);
        QCOMPARE(w.platform.priorities.size(), 3);
    }

    // A priority the system refuses (an ordinary user cannot raise it back after Low) is
    // logged, and the list goes back to the priority in force.
    void refusedPriorityShowsThePriorityInForce_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<int>("shown");
        QTest::addColumn<QString>("notice");
        QTest::newRow("Low to Normal refused") << 2 << 1 << 2 << R"("Normal" cannot be set)";
        QTest::newRow("Low to High refused") << 2 << 0 << 2 << R"("High" cannot be set)";
        QTest::newRow("Normal to Low allowed") << 1 << 2 << 2 << "";
    }
    void refusedPriorityShowsThePriorityInForce()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(int, shown);
        QFETCH(QString, notice);
        WindowFixture w;
        w.form.LoadLanguage(EnglishLanguageFile());
        w.form.ComboBox2->setCurrentIndex(from);
        w.platform.refusedPriorities = {PriorityChoice::High, PriorityChoice::Normal};
        w.form.Memo1->clear();
        w.form.ComboBox2->setCurrentIndex(to);
        QCOMPARE(w.form.ComboBox2->currentIndex(), shown);
        QCOMPARE(w.form.settings().Priority(), w.platform.priorityInForce);
        const QString log = w.form.Memo1->toPlainText();
        if (notice.isEmpty()) {
            QVERIFY(log.isEmpty());
        } else {
            QVERIFY2(log.contains(QStringLiteral("[NOTICE ] ")) && log.contains(notice) &&
                         log.contains(QStringLiteral("\"Low\" stays in force")),
                     qPrintable(log));
            QCOMPARE(w.platform.priorities.size(), 2); // putting the list back runs no rule
        }
    }

    void runLockDisablesTheOutputAndDeletionControls()
    {
        WindowFixture w;
        TForm1 &f = w.form;
        f.RadioButton2->setChecked(true);
        f.CheckBox3->setChecked(true);
        const std::initializer_list<QWidget *> locked{
            f.RadioButton1, f.RadioButton2, f.RadioButton3,  f.RadioButton4,  f.RadioButton5,
            f.Edit2,        f.CheckBox2,    f.RadioButton12, f.RadioButton14, f.Button5,
            f.CheckBox3,    f.CheckBox8,    f.CheckBox10};
        f.setRunControlsLocked(true);
        for (QWidget *off : locked)
            QVERIFY2(!off->isEnabled(), qPrintable(off->objectName()));
        // Other settings stay open during a run.
        QVERIFY(f.CheckBox1->isEnabled());
        QVERIFY(f.RadioButton7->isEnabled());
        QVERIFY(f.Edit4->isEnabled());

        f.setRunControlsLocked(false);
        for (QWidget *on : std::initializer_list<QWidget *>{
                 f.RadioButton1, f.RadioButton2, f.RadioButton3, f.Edit2, f.Button5, f.CheckBox2,
                 f.CheckBox3, f.RadioButton4, f.RadioButton5, f.CheckBox8, f.CheckBox10})
            QVERIFY2(on->isEnabled(), qPrintable(on->objectName()));
        // The naming radios follow the subdirectory check box, which is off.
        QVERIFY(!f.RadioButton12->isEnabled());
        QVERIFY(!f.RadioButton14->isEnabled());

        f.CheckBox2->setChecked(true);
        f.setRunControlsLocked(true);
        f.setRunControlsLocked(false);
        QVERIFY(f.RadioButton12->isEnabled());
        QVERIFY(f.RadioButton14->isEnabled());
    }

    void runLockWithTheInputFolderAsOutput()
    {
        WindowFixture w;
        TForm1 &f = w.form;
        f.setRunControlsLocked(true);
        f.setRunControlsLocked(false);
        for (QWidget *on :
             std::initializer_list<QWidget *>{f.RadioButton1, f.RadioButton2, f.RadioButton3,
                                              f.CheckBox3, f.CheckBox8, f.CheckBox10})
            QVERIFY2(on->isEnabled(), qPrintable(on->objectName()));
        for (QWidget *off :
             std::initializer_list<QWidget *>{f.Edit2, f.Button5, f.CheckBox2, f.RadioButton12,
                                              f.RadioButton14, f.RadioButton4, f.RadioButton5})
            QVERIFY2(!off->isEnabled(), qPrintable(off->objectName()));
    }

    // A rule that fires while a run holds the controls (an option set opened mid-run) takes
    // effect when the run lets go, not before.
    void rulesWaitForTheEndOfARun()
    {
        WindowFixture w;
        TForm1 &f = w.form;
        f.setRunControlsLocked(true);
        f.RadioButton2->setChecked(true);
        f.CheckBox2->setChecked(true);
        f.CheckBox3->setChecked(true);
        for (QWidget *off : std::initializer_list<QWidget *>{f.Edit2, f.Button5, f.CheckBox2,
                                                             f.RadioButton12, f.RadioButton4})
            QVERIFY2(!off->isEnabled(), qPrintable(off->objectName()));
        QCOMPARE(f.settings().OutputMode(), OutputModeChoice::CustomDir);
        f.setRunControlsLocked(false);
        for (QWidget *on : std::initializer_list<QWidget *>{f.Edit2, f.Button5, f.CheckBox2,
                                                            f.RadioButton12, f.RadioButton4})
            QVERIFY2(on->isEnabled(), qPrintable(on->objectName()));
    }
};

QTEST_MAIN(TestMainWindowRules)
#include "tst_mainwindow_rules.moc"
