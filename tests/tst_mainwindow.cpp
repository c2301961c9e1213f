// The main window as created: its controls, defaults, option-set order, captions, language list,
// start-up language choice, log and progress display.

#include <cstring>
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSet>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "support/WindowFixture.h"

namespace {

void writeText(const QString &path, const QString &text)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text.toUtf8());
}

// A language file whose line n reads "t<n>", with the given number of lines.
QString numberedLanguage(int lines)
{
    QString text;
    for (int n = 0; n < lines; ++n)
        text += QStringLiteral("t%1\r\n").arg(n);
    return text;
}

QStringList names(const QList<QAbstractButton *> &buttons)
{
    QStringList result;
    for (const QAbstractButton *button : buttons)
        result << button->objectName();
    return result;
}

QStringList comboItems(const QComboBox *box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void freshWindowShowsTheDefaultSettings()
    {
        WindowFixture w;
        // Tevo's defaults, as a fresh window's settings hold them.
        const Settings &s = w.form.settings();
        QCOMPARE(s.InputMode(), InputModeChoice::SingleFolder);
        QCOMPARE(s.InputFolder(), QString());
        QCOMPARE(s.Queue(), QStringList());
        QCOMPARE(s.OutputMode(), OutputModeChoice::InputFolder);
        QCOMPARE(s.CustomOutputDir(), QString());
        QCOMPARE(s.SubdirPerEntry(), false);
        QCOMPARE(s.SubdirNaming(), SubdirNamingChoice::ArchiveName);
        QCOMPARE(s.ScanSubdirs(), true);
        QCOMPARE(s.CheckSfv(), true);
        QCOMPARE(s.FullOutput(), false);
        QCOMPARE(s.CheckOnly(), false);
        QCOMPARE(s.CheckWithoutArchive(), false);
        QCOMPARE(s.OpenNfo(), true);
        QCOMPARE(s.CopyNfo(), false);
        QCOMPARE(s.DeleteSources(), false);
        QCOMPARE(s.DeleteTiming(), DeleteTimingChoice::AfterExtraction);
        QCOMPARE(s.DeleteEmptySourceFolder(), false);
        QCOMPARE(s.OpenDestination(), false);
        QCOMPARE(s.ShutdownAfter(), false);
        QCOMPARE(s.CloseAfter(), false);
        QCOMPARE(s.SuppressErrors(), true);
        QCOMPARE(s.UnpackZipFirst(), true);
        QCOMPARE(s.DeleteZipAfter(), true);
        QCOMPARE(s.NoReturnFromTray(), false);
        QCOMPARE(s.AlwaysInTray(), false);
        QCOMPARE(s.ShellIntegration(), false);
        QCOMPARE(s.WatchInterval(), QStringLiteral("15"));
        QCOMPARE(s.Priority(), PriorityChoice::Normal);
        QCOMPARE(s.AfterAction(), AfterActionChoice::DoNothing);
        QCOMPARE(s.SoundFile(), QString());
        QCOMPARE(s.RunCommand(), QStringLiteral("cdemu load 0 \"%1\""));
        QCOMPARE(s.RunPerQueueEntry(), false);
        QCOMPARE(s.RunFileFilter(), RunFileFilterChoice::OfType);
        QCOMPARE(s.RunExtension(), QStringLiteral("cue"));
        QCOMPARE(s.RunOnce(), false);
        QCOMPARE(s.ListsApplyToFiles(), false);
        QCOMPARE(s.SkipList(), QStringList());
        QCOMPARE(s.DeleteList(), QStringList());
        QCOMPARE(s.LastOpenPath(), QString());
        // The language list is filled only when the Options tab is first shown.
        QCOMPARE(s.LanguageFile(), QString());
        QCOMPARE(w.form.ComboBox2->currentText(), QStringLiteral("Normal"));
        QCOMPARE(w.form.ComboBox2->count(), 3);
        // Creating the window changes no process priority and runs no tray or registry rule.
        QVERIFY(w.platform.priorities.isEmpty());
        QCOMPARE(w.form.trayRuleRuns, 0);
        QCOMPARE(w.form.shellRuleRuns, 0);
    }

    void settingsAreReadFromTheControlsAtTheMomentOfUse()
    {
        WindowFixture w;
        const Settings &s = w.form.settings();
        w.form.Edit1->setText(QStringLiteral("/data/in"));
        w.form.ListBox1->addItems({QStringLiteral("/a"), QStringLiteral("/b")});
        w.form.RadioButton7->setChecked(true);
        w.form.RadioButton1->setChecked(true);
        w.form.RadioButton14->setChecked(true);
        w.form.RadioButton5->setChecked(true);
        w.form.RJumpBackToWelcome->setChecked(true);
        w.form.RadioButton11->setChecked(true);
        w.form.ComboBox2->setCurrentIndex(2);
        w.form.Edit6->setText(QStringLiteral("30"));
        w.form.ListBox3->addItem(QStringLiteral("*/Sample"));
        QCOMPARE(s.InputFolder(), QStringLiteral("/data/in"));
        QCOMPARE(s.Queue(), (QStringList{QStringLiteral("/a"), QStringLiteral("/b")}));
        QCOMPARE(s.InputMode(), InputModeChoice::Queue);
        QCOMPARE(s.OutputMode(), OutputModeChoice::NewDirInInput);
        QCOMPARE(s.SubdirNaming(), SubdirNamingChoice::FolderName);
        QCOMPARE(s.DeleteTiming(), DeleteTimingChoice::AfterExtractingAll);
        QCOMPARE(s.AfterAction(), AfterActionChoice::ClearQueue);
        QCOMPARE(s.RunFileFilter(), RunFileFilterChoice::EveryFile);
        QCOMPARE(s.Priority(), PriorityChoice::Low);
        QCOMPARE(s.WatchInterval(), QStringLiteral("30"));
        QCOMPARE(s.DeleteList(), QStringList{QStringLiteral("*/Sample")});
        w.form.RadioButton2->setChecked(true);
        QCOMPARE(s.OutputMode(), OutputModeChoice::CustomDir);
        w.form.RadioButton9->setChecked(true);
        QCOMPARE(s.AfterAction(), AfterActionChoice::PlaySound);
        w.form.RadioButton10->setChecked(true);
        QCOMPARE(s.AfterAction(), AfterActionChoice::RunApplication);
        w.form.ComboBox2->setCurrentIndex(-1);
        QCOMPARE(s.Priority(), PriorityChoice::NoSelection);
    }

    void freshWindowEnablesAsTheRulesSay()
    {
        WindowFixture w;
        TForm1 &f = w.form;
        for (QWidget *off : std::initializer_list<QWidget *>{
                 f.Button6, f.Button16, f.Button7, f.Button10, f.Edit2, f.Button5, f.CheckBox2,
                 f.RadioButton12, f.RadioButton14, f.RadioButton4, f.RadioButton5, f.Button15,
                 f.Button14, f.pbCurrentFile, f.Label2, f.Label3, f.Label4, f.Label5})
            QVERIFY2(!off->isEnabled(), qPrintable(off->objectName()));
        for (QWidget *on : std::initializer_list<QWidget *>{
                 f.Label1, f.Edit1, f.Button4, f.ListBox1, f.Button1, f.Button17, f.Button13,
                 f.Button24, f.Button2, f.Button3, f.RadioButton1, f.RadioButton2, f.RadioButton3,
                 f.CheckBox3, f.CheckBox8, f.CheckBox10, f.ComboBox1, f.ComboBox2})
            QVERIFY2(on->isEnabled(), qPrintable(on->objectName()));
        QCOMPARE(f.Label5->text(), QStringLiteral("??"));
        QCOMPARE(f.Label4->text(), QStringLiteral("?? MB/ ?? MB"));
        QVERIFY(!f.Timer1->isActive());
    }

    void windowFrameTabsAndButtons()
    {
        WindowFixture w;
        TForm1 &f = w.form;
        QCOMPARE(f.size(), QSize(520, 548));
        QCOMPARE(f.minimumSize(), f.maximumSize());
        QVERIFY(!(f.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(f.windowFlags() & Qt::WindowMinimizeButtonHint);
        QCOMPARE(f.windowTitle(), QStringLiteral("Tevo"));
        QCOMPARE(f.applicationTitle(), QStringLiteral("[Tevo]"));
        QCOMPARE(f.font().family(), QStringLiteral("Tahoma"));
        QCOMPARE(f.font().pointSize(), 8);
        QCOMPARE(f.Memo1->font().family(), QStringLiteral("Courier New"));
        QCOMPARE(f.Memo1->font().pointSize(), 8);
        QCOMPARE(f.Pages->size(), QSize(513, 513));

        const QList<QWidget *> tabs{f.TabSheet1, f.TabSheet2, f.TabSheet5, f.TabSheet4,
                                    f.TabSheet3};
        const QStringList tabTexts{QStringLiteral("Input/Output"), QStringLiteral("Options"),
                                   QStringLiteral("After Extraction"),
                                   QStringLiteral("Skip/Delete-List"),
                                   QStringLiteral("Progress/Log")};
        QCOMPARE(f.Pages->count(), 5);
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(f.Pages->widget(i), tabs[i]);
            QCOMPARE(f.Pages->tabText(i), tabTexts[i]);
        }

        // The bottom row, left to right, inside the window and below the pages.
        const QList<QPushButton *> row{f.Button1,  f.Button17, f.Button15, f.Button14,
                                       f.Button13, f.Button24, f.Button2,  f.Button3};
        const QStringList captions{QStringLiteral("Unpack"),     QStringLiteral("Watch"),
                                   QStringLiteral("Pause"),      QStringLiteral("Stop"),
                                   QStringLiteral("Disk space"), QStringLiteral("Tray"),
                                   QStringLiteral("About"),      QStringLiteral("Close")};
        for (int i = 0; i < row.size(); ++i) {
            QCOMPARE(row[i]->text(), captions[i]);
            QVERIFY(row[i]->geometry().top() > f.Pages->geometry().bottom());
            QVERIFY(f.rect().contains(row[i]->geometry()));
            if (i > 0)
                QVERIFY(row[i]->x() > row[i - 1]->geometry().right());
        }
        QVERIFY(f.Button1->isDefault());

        QVERIFY(f.Memo1->isReadOnly());
        QCOMPARE(f.Memo1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(f.Button16->toolTip(), QStringLiteral("Add Folder with all subfolders"));
        QVERIFY(f.CheckBox3->toolTip().startsWith(QStringLiteral("Deletes the sourcefiles")));

        const QList<QAction *> menu = f.TrayMenu->actions();
        QCOMPARE(menu.size(), 5);
        QCOMPARE(menu[0], f.Open1);
        QCOMPARE(f.TrayMenu->defaultAction(), f.Open1);
        QVERIFY(menu[1]->isSeparator());
        QCOMPARE(menu[2]->text(), QStringLiteral("Pause"));
        QCOMPARE(menu[3]->text(), QStringLiteral("Stop"));
        QCOMPARE(menu[4]->text(), QStringLiteral("Disk Space"));
        QCOMPARE(TForm1::od.filter,
                 QStringLiteral("MP3-Files|*.mp3|WAV-Files|*.wav|All Files|*.*"));
        QCOMPARE(TForm1::os_save.title, QStringLiteral("Save Optionset"));
        QCOMPARE(TForm1::os_load.filter, QStringLiteral("Tevo-Optionsets|*.os|All Files|*.*"));
    }

    // Every caption fits its control on every tab: nothing is cut off by the fixed window size.
    void everyCaptionFits()
    {
        WindowFixture w;
        w.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.form));
        for (int tab = 0; tab < w.form.Pages->count(); ++tab) {
            w.form.Pages->setCurrentIndex(tab);
            QApplication::processEvents();
            for (QWidget *control : w.form.findChildren<QWidget *>()) {
                if (!control->isVisible())
                    continue;
                const auto *label = qobject_cast<QLabel *>(control);
                const bool caption = qobject_cast<QAbstractButton *>(control) ||
                                     (label && !label->wordWrap() && label->pixmap().isNull());
                if (!caption)
                    continue;
                // Push buttons ask for a style minimum beyond their text; the text and a small
                // margin on either side must fit.
                const auto *push = qobject_cast<QPushButton *>(control);
                const int needed = push ? push->fontMetrics().horizontalAdvance(push->text()) + 8
                                        : control->sizeHint().width();
                QVERIFY2(control->width() >= needed, qPrintable(QStringLiteral("%1: %2 < %3")
                                                                    .arg(control->objectName())
                                                                    .arg(control->width())
                                                                    .arg(needed)));
                QVERIFY2(w.form.rect().contains(
                             QRect(control->mapTo(&w.form, QPoint(0, 0)), control->size())),
                         qPrintable(control->objectName()));
            }
        }
    }

    // The commands relabel their buttons while a job runs or watching is on; the row makes
    // room for the longer captions.
    void bottomRowMakesRoomForChangedCaptions()
    {
        WindowFixture w;
        w.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.form));
        w.form.Button17->setText(QStringLiteral("Stop watching"));
        w.form.Button14->setText(QStringLiteral("Don't stop"));
        w.form.Button15->setText(QStringLiteral("Resume"));
        QApplication::processEvents();
        const QList<QPushButton *> row{w.form.Button1,  w.form.Button17, w.form.Button15,
                                       w.form.Button14, w.form.Button13, w.form.Button24,
                                       w.form.Button2,  w.form.Button3};
        for (int i = 0; i < row.size(); ++i) {
            const int needed = row[i]->fontMetrics().horizontalAdvance(row[i]->text()) + 8;
            QVERIFY2(row[i]->width() >= needed, qPrintable(row[i]->objectName()));
            QVERIFY(w.form.rect().contains(row[i]->geometry()));
            if (i > 0)
                QVERIFY(row[i]->x() > row[i - 1]->geometry().right());
        }
    }

    void enterPressesUnpackAndEscapePressesClose()
    {
        WindowFixture w;
        QSignalSpy unpack(w.form.Button1, &QPushButton::clicked);
        QSignalSpy close(w.form.Button3, &QPushButton::clicked);
        w.form.show();
        w.form.Edit1->setFocus();
        QTest::keyClick(w.form.Edit1, Qt::Key_Return);
        QCOMPARE(unpack.count(), 1);
        QTest::keyClick(w.form.ListBox1, Qt::Key_Escape);
        QCOMPARE(close.count(), 1);
        // On a focused button, Enter presses that button.
        QSignalSpy browse(w.form.Button4, &QPushButton::clicked);
        w.form.Button4->setFocus();
        QTest::keyClick(w.form.Button4, Qt::Key_Return);
        QCOMPARE(browse.count(), 1);
        QCOMPARE(unpack.count(), 1);
        // A disabled Unpack button is not pressed by Enter.
        w.form.Edit1->setFocus();
        w.form.Button1->setEnabled(false);
        QTest::keyClick(w.form.Edit1, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(unpack.count(), 1);
    }

    void controlsAreFoundByTheirNamesInAnyCase()
    {
        WindowFixture w;
        const QStringList all{"Button1",
                              "Button2",
                              "Button3",
                              "Button4",
                              "Button5",
                              "Button6",
                              "Button7",
                              "Button8",
                              "Button9",
                              "Button10",
                              "Button11",
                              "Button12",
                              "Button13",
                              "Button14",
                              "Button15",
                              "Button16",
                              "Button17",
                              "Button18",
                              "Button19",
                              "Button20",
                              "Button21",
                              "Button22",
                              "Button23",
                              "Button24",
                              "CheckBox1",
                              "CheckBox2",
                              "CheckBox3",
                              "CheckBox4",
                              "CheckBox5",
                              "CheckBox6",
                              "CheckBox7",
                              "CheckBox8",
                              "CheckBox9",
                              "CheckBox10",
                              "CheckBox11",
                              "CheckBox12",
                              "CheckBox13",
                              "CheckBox14",
                              "CheckBox15",
                              "CheckBox16",
                              "CheckBox17",
                              "CheckBox18",
                              "CheckBox19",
                              "CheckBox20",
                              "CheckBox21",
                              "CheckBox22",
                              "RadioButton1",
                              "RadioButton2",
                              "RadioButton3",
                              "RadioButton4",
                              "RadioButton5",
                              "RadioButton6",
                              "RadioButton7",
                              "RadioButton8",
                              "RadioButton9",
                              "RadioButton10",
                              "RadioButton11",
                              "RadioButton12",
                              "RadioButton13",
                              "RadioButton14",
                              "RJumpBackToWelcome",
                              "Edit1",
                              "Edit2",
                              "Edit3",
                              "Edit4",
                              "Edit5",
                              "Edit6",
                              "ListBox1",
                              "ListBox2",
                              "ListBox3",
                              "ComboBox1",
                              "ComboBox2",
                              "GroupBox1",
                              "GroupBox2",
                              "GroupBox3",
                              "GroupBox4",
                              "GroupBox5",
                              "GroupBox6",
                              "GroupBox7",
                              "GroupBox8",
                              "GroupBox9",
                              "GroupBox10",
                              "GroupBox11",
                              "GroupBox12",
                              "GroupBox13",
                              "GroupBox14",
                              "GroupBox15",
                              "Panel1",
                              "Panel2",
                              "Panel3",
                              "Image1",
                              "Label1",
                              "Label2",
                              "Label3",
                              "Label4",
                              "Label5",
                              "Label6",
                              "Label7",
                              "Label8",
                              "Label9",
                              "Label10",
                              "Label11",
                              "Label12",
                              "Label13",
                              "Label14",
                              "Label15",
                              "Label16",
                              "Label17",
                              "Memo1",
                              "pbCurrentFile",
                              "Pages",
                              "TabSheet1",
                              "TabSheet2",
                              "TabSheet3",
                              "TabSheet4",
                              "TabSheet5"};
        QSet<QWidget *> distinct;
        for (const QString &name : all) {
            QWidget *control = w.form.findChild<QWidget *>(name);
            QVERIFY2(control, qPrintable(name));
            QCOMPARE(w.form.findControl(name.toLower()), control);
            QCOMPARE(w.form.findControl(name.toUpper()), control);
            distinct << control;
        }
        QCOMPARE(distinct.size(), all.size());
        QCOMPARE(w.form.findControl(QStringLiteral("ListBox4")), nullptr);
        QVERIFY(w.form.findChild<QTimer *>(QStringLiteral("Timer1")));
    }

    void optionSetButtonsComeInTheStoredOrder()
    {
        WindowFixture w;
        const QStringList expected{
            "RadioButton1",  "RadioButton2", "CheckBox2",          "RadioButton3", "RadioButton12",
            "RadioButton14", "CheckBox9",    "CheckBox1",          "CheckBox4",    "CheckBox6",
            "CheckBox5",     "CheckBox8",    "CheckBox3",          "RadioButton4", "RadioButton5",
            "CheckBox10",    "CheckBox11",   "CheckBox15",         "CheckBox16",   "CheckBox17",
            "CheckBox7",     "CheckBox18",   "CheckBox22",         "CheckBox19",   "CheckBox20",
            "RadioButton8",  "RadioButton9", "RadioButton10",      "CheckBox13",   "RadioButton11",
            "RadioButton13", "CheckBox14",   "RJumpBackToWelcome", "CheckBox21",   "CheckBox23",
            "CheckBox24",    "CheckBox25",   "CheckBox26",         "CheckBox27"};
        QCOMPARE(names(w.form.OptionSetButtons()), expected);
        // Showing another tab reorders the page stack; the order stays.
        w.form.Pages->setCurrentWidget(w.form.TabSheet4);
        w.form.Pages->setCurrentWidget(w.form.TabSheet2);
        QCOMPARE(names(w.form.OptionSetButtons()), expected);
        QCOMPARE(w.form.RadioButton12->parentWidget(), w.form.Panel3);
        QCOMPARE(w.form.RadioButton11->parentWidget(), w.form.Panel1);
        QCOMPARE(w.form.CheckBox14->parentWidget(), w.form.Panel1);
        QCOMPARE(w.form.Panel1->parentWidget(), w.form.GroupBox8);
        QCOMPARE(w.form.Panel3->parentWidget(), w.form.GroupBox2);
        QCOMPARE(w.form.RadioButton6->parentWidget(), w.form.GroupBox1);
        QCOMPARE(w.form.CheckBox12->parentWidget(), w.form.GroupBox6);
    }

    void radioGroupsAreExclusiveAsTheSettingsSay()
    {
        WindowFixture w;
        TForm1 &f = w.form;
        // The four after-extraction radios are one group although the file-filter radios sit
        // in a panel inside it.
        f.RadioButton11->setChecked(true);
        QVERIFY(f.RadioButton8->isChecked());
        f.RJumpBackToWelcome->setChecked(true);
        QVERIFY(!f.RadioButton8->isChecked());
        QVERIFY(f.RadioButton11->isChecked());
        f.RadioButton13->setChecked(true);
        QVERIFY(!f.RadioButton11->isChecked());
        QVERIFY(f.RJumpBackToWelcome->isChecked());
        // Naming radios are apart from the output radios.
        f.RadioButton14->setChecked(true);
        QVERIFY(f.RadioButton3->isChecked());
        f.RadioButton1->setChecked(true);
        QVERIFY(!f.RadioButton3->isChecked());
        QVERIFY(f.RadioButton14->isChecked());
        // Deletion timing is its own pair.
        f.RadioButton5->setChecked(true);
        QVERIFY(!f.RadioButton4->isChecked());
        QVERIFY(f.RadioButton1->isChecked());
    }

    void englishCaptionsMatchTheBuiltInOnes()
    {
        WindowFixture w;
        const QList<QPair<int, QWidget *>> captions = w.form.CaptionControls();
        QCOMPARE(captions.size(), 95);
        QSet<int> numbers;
        QSet<QWidget *> controls;
        QHash<QWidget *, QString> builtIn;
        for (const auto &[number, control] : captions) {
            numbers << number;
            controls << control;
            builtIn.insert(control, w.form.captionOf(control));
        }
        QCOMPARE(numbers.size(), 94);
        QCOMPARE(controls.size(), 95);
        w.form.setLanguageFolders({QStringLiteral(TEVO_SOURCE_DIR "/lang/")});
        w.form.LoadLanguage(QStringLiteral("english.lng"));
        // english.lng holds the window's own captions, so loading it changes none of them.
        for (const auto &[number, control] : captions)
            QCOMPARE(w.form.captionOf(control), builtIn.value(control));
    }

    void shortLanguageFileLeavesLaterCaptionsEmpty()
    {
        QTemporaryDir dir;
        writeText(dir.filePath(QStringLiteral("short.lng")), numberedLanguage(100));
        WindowFixture w;
        w.form.setLanguageFolders({dir.path()});
        w.form.LoadLanguage(QStringLiteral("short.lng"));
        for (const auto &[number, control] : w.form.CaptionControls()) {
            const QString expected = number < 100 ? QStringLiteral("t%1").arg(number) : QString();
            QCOMPARE(w.form.captionOf(control), expected);
        }
        QCOMPARE(w.form.Button5->text(), QStringLiteral("t12"));
        QCOMPARE(w.form.Pages->tabText(2), QStringLiteral("t60"));
        QCOMPARE(w.form.GroupBox15->title(), QString());
        QCOMPARE(w.form.context().LangText(137, {QStringLiteral("v1.06")}), QString());
        // The explanation paragraphs follow their line labels.
        auto *shellText = w.form.findChild<QLabel *>(QStringLiteral("ShellIntegrationText"));
        QVERIFY(shellText);
        QCOMPARE(shellText->text(), QStringLiteral("t47 t48 t49"));
        // Captions without a number stay English.
        QCOMPARE(w.form.GroupBox14->title(), QStringLiteral(" Language file "));
        QCOMPARE(w.form.ComboBox2->itemText(0), QStringLiteral("High"));
    }

    void missingLanguageFileChangesNothing()
    {
        QTemporaryDir dir;
        WindowFixture w;
        w.form.setLanguageFolders({dir.path()});
        w.form.language().setText(QStringLiteral("kept"));
        w.form.LoadLanguage(QStringLiteral("nowhere.lng"));
        QCOMPARE(w.form.language().LangText(0), QStringLiteral("kept"));
        QCOMPARE(w.form.Button1->text(), QStringLiteral("Unpack"));
        QVERIFY(w.dialogs.shownMessages.isEmpty());
    }

    void languageListIsRebuiltWhenTheOptionsTabShows()
    {
        QTemporaryDir first;
        QTemporaryDir second;
        writeText(first.filePath(QStringLiteral("English.lng")), numberedLanguage(162));
        writeText(first.filePath(QStringLiteral("notes.txt")), QStringLiteral("x"));
        writeText(second.filePath(QStringLiteral("deutsch.lng")), numberedLanguage(162));
        writeText(second.filePath(QStringLiteral("English.lng")), numberedLanguage(162));
        WindowFixture w;
        w.form.setLanguageFolders({first.path(), second.path()});
        w.form.setActiveLanguageFile(QStringLiteral("english.lng"));
        w.form.show();
        w.form.Pages->setCurrentWidget(w.form.TabSheet2);
        QStringList items = comboItems(w.form.ComboBox1);
        QCOMPARE(items.size(), 2);
        QVERIFY(items.contains(QStringLiteral("English.lng")));
        QVERIFY(items.contains(QStringLiteral("deutsch.lng")));
        // The name is shown as stored, matched without regard to case.
        QCOMPARE(w.form.settings().LanguageFile(), QStringLiteral("english.lng"));

        // A name that no file has leaves the text empty.
        w.form.Pages->setCurrentWidget(w.form.TabSheet1);
        w.form.setActiveLanguageFile(QStringLiteral("klingon.lng"));
        w.form.Pages->setCurrentWidget(w.form.TabSheet2);
        QCOMPARE(w.form.settings().LanguageFile(), QString());
        QCOMPARE(w.form.ComboBox1->count(), 2);
    }

    void pickingALanguageLoadsItAndTypingDoesNot()
    {
        QTemporaryDir dir;
        writeText(dir.filePath(QStringLiteral("english.lng")), numberedLanguage(162));
        QString german = numberedLanguage(162);
        german.replace(QStringLiteral("t0\r\n"), QStringLiteral("Entpacken\r\n"));
        writeText(dir.filePath(QStringLiteral("deutsch.lng")), german);
        WindowFixture w;
        w.form.setLanguageFolders({dir.path()});
        w.form.setActiveLanguageFile(QStringLiteral("english.lng"));
        w.form.TabSheet2Show();

        // Typing a name into the edit field loads nothing.
        w.form.ComboBox1->setEditText(QStringLiteral("deutsch.lng"));
        QCOMPARE(w.form.Button1->text(), QStringLiteral("Unpack"));
        QCOMPARE(w.form.ActiveLanguageFile(), QStringLiteral("english.lng"));

        const int index = w.form.ComboBox1->findText(QStringLiteral("deutsch.lng"));
        QVERIFY(index >= 0);
        w.form.ComboBox1->setCurrentIndex(index);
        emit w.form.ComboBox1->activated(index);
        QCOMPARE(w.form.ActiveLanguageFile(), QStringLiteral("deutsch.lng"));
        QCOMPARE(w.form.Button1->text(), QStringLiteral("Entpacken"));
        QCOMPARE(w.form.Button17->text(), QStringLiteral("t1"));

        // Leaving the tab and coming back shows the chosen name.
        w.form.TabSheet2Show();
        QCOMPARE(w.form.settings().LanguageFile(), QStringLiteral("deutsch.lng"));
    }

    void startUpLoadsTheActiveLanguage()
    {
        QTemporaryDir dir;
        writeText(dir.filePath(QStringLiteral("english.lng")), numberedLanguage(162));
        writeText(dir.filePath(QStringLiteral("mine.lng")), QStringLiteral("Go\r\n"));
        WindowFixture w;
        w.form.setLanguageFolders({dir.path()});
        w.form.setActiveLanguageFile(QStringLiteral("mine.lng"));
        QVERIFY(w.form.StartupLanguageLoad());
        QCOMPARE(w.form.Button1->text(), QStringLiteral("Go"));
        QCOMPARE(w.form.Button17->text(), QString());
        QCOMPARE(w.form.ActiveLanguageFile(), QStringLiteral("mine.lng"));
        QVERIFY(w.dialogs.shownMessages.isEmpty());
    }

    void startUpFallsBackToEnglish()
    {
        QTemporaryDir dir;
        writeText(dir.filePath(QStringLiteral("english.lng")), numberedLanguage(162));
        for (const QString &stored : {QStringLiteral("gone.lng"), QString()}) {
            WindowFixture w;
            w.form.setLanguageFolders({dir.path()});
            w.form.setActiveLanguageFile(stored);
            QVERIFY(w.form.StartupLanguageLoad());
            QCOMPARE(w.form.ActiveLanguageFile(), QStringLiteral("english.lng"));
            QCOMPARE(w.form.Button1->text(), QStringLiteral("t0"));
            QVERIFY(w.dialogs.shownMessages.isEmpty());
        }
    }

    void startUpWithoutAnyLanguageFileGivesUp()
    {
        QTemporaryDir dir;
        WindowFixture w;
        w.form.setLanguageFolders({dir.path()});
        w.form.setActiveLanguageFile(QStringLiteral("gone.lng"));
        QVERIFY(!w.form.StartupLanguageLoad());
        QCOMPARE(w.dialogs.shownMessages.size(), 1);
        QCOMPARE(w.dialogs.shownMessages[0].text,
                 QStringLiteral("No Language file found! Tevo will terminate now"));
        QCOMPARE(w.dialogs.shownMessages[0].caption, QStringLiteral("Error"));
        QCOMPARE(w.dialogs.shownMessages[0].icon, MessageIcon::Error);
        QCOMPARE(w.form.language().count(), 0);
    }

    void startUpWithAnUnreadableLanguageFileReportsAndGoesOn()
    {
        // A socket in the folder exists under the name but cannot be opened, even by root.
        QTemporaryDir dir;
        const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("english.lng")));
        const int socketHandle = ::socket(AF_UNIX, SOCK_STREAM, 0);
        QVERIFY(socketHandle >= 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        QVERIFY(size_t(path.size()) < sizeof(address.sun_path));
        std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
        QCOMPARE(::bind(socketHandle, reinterpret_cast<sockaddr *>(&address), sizeof(address)), 0);
        WindowFixture w;
        w.form.setLanguageFolders({dir.path()});
        w.form.language().setText(QStringLiteral("before"));
        const bool goesOn = w.form.StartupLanguageLoad();
        ::close(socketHandle);
        QVERIFY(goesOn);
        QCOMPARE(w.dialogs.shownMessages.size(), 1);
        QCOMPARE(w.dialogs.shownMessages[0].caption, QStringLiteral("Error"));
        QCOMPARE(w.dialogs.shownMessages[0].icon, MessageIcon::Error);
        // The texts are gone, the captions stay.
        QCOMPARE(w.form.language().count(), 0);
        QCOMPARE(w.form.Button1->text(), QStringLiteral("Unpack"));
    }

    void logLinesCarryTheTimeStamp()
    {
        WindowFixture w;
        w.platform.now = QDateTime(QDate(2026, 3, 4), QTime(9, 3, 59));
        w.form.AddLogLine(LogTag::Init + QStringLiteral("Tevo v1.06 started"));
        w.platform.now = QDateTime(QDate(2026, 3, 4), QTime(14, 5, 0));
        w.form.context().AddLogLine(LogTag::End + QStringLiteral("done"));
        w.form.context().AddLogLine(QString());
        const QStringList lines = w.form.Memo1->toPlainText().split(QLatin1Char('\n'));
        QCOMPARE(lines, (QStringList{QStringLiteral("[09:03] [iNiT   ] Tevo v1.06 started"),
                                     QStringLiteral("[14:05] [END    ] done"),
                                     QStringLiteral("[14:05] ")}));
    }

    // The progress texts change after every block of a job: that must repaint the labels only,
    // never lay out (and so repaint) the whole window, which took milliseconds each time.
    void progressTextsDoNotLayOutTheWindow()
    {
        WindowFixture w;
        JobView &view = w.form;
        w.form.show();
        view.showTab(WindowTab::ProgressLog);
        view.setProgressEnabled(true);
        QVERIFY(QTest::qWaitForWindowExposed(&w.form));
        QCoreApplication::processEvents();

        struct LayoutRequestCounter : QObject
        {
            int count = 0;
            bool eventFilter(QObject *, QEvent *event) override
            {
                count += event->type() == QEvent::LayoutRequest;
                return false;
            }
        } counter;
        // The first texts settle the labels once; a layout request posted while the window
        // handles its events arrives at the next pass.
        view.setProgressText(QStringLiteral("0 KiB/1.00 GiB"));
        view.setCurrentFileText(QStringLiteral("x.iso"));
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        w.form.installEventFilter(&counter);
        w.form.GroupBox5->installEventFilter(&counter);
        for (int i = 0; i < 30; ++i) {
            view.setProgressText(QString(i, QLatin1Char('8')) + QStringLiteral(" MiB/1.00 GiB"));
            view.setCurrentFileText(QString(30 - i, QLatin1Char('w')) + QStringLiteral(".iso"));
            QCoreApplication::processEvents();
        }
        QCOMPARE(counter.count, 0);
        QCOMPARE(w.form.Label4->text(), QString(29, QLatin1Char('8')) + " MiB/1.00 GiB");

        // Each label still fills the rest of its row, beside its caption.
        for (QLabel *label : {w.form.Label4, w.form.Label5}) {
            QVERIFY(label->isVisible());
            QCOMPARE(label->width(), label->parentWidget()->width());
            QVERIFY2(label->width() > w.form.GroupBox5->width() / 2,
                     qPrintable(label->objectName()));
            QVERIFY(label->height() >= label->fontMetrics().height());
            const QPoint left = label->mapTo(w.form.GroupBox5, QPoint(0, 0));
            QVERIFY(left.x() > w.form.Label2->mapTo(w.form.GroupBox5, QPoint(0, 0)).x());
        }
    }

    void progressDisplayAndTitle()
    {
        WindowFixture w;
        JobView &view = w.form;
        view.setProgressEnabled(true);
        for (QWidget *part : std::initializer_list<QWidget *>{
                 w.form.pbCurrentFile, w.form.Label2, w.form.Label3, w.form.Label4, w.form.Label5})
            QVERIFY(part->isEnabled());
        view.setProgressRange(200);
        view.setProgressPosition(50);
        QCOMPARE(w.form.pbCurrentFile->maximum(), 200);
        QCOMPARE(w.form.pbCurrentFile->value(), 50);
        view.setCurrentFileText(QStringLiteral("x.iso"));
        view.setProgressText(QStringLiteral("1 MB/ 4 MB"));
        QCOMPARE(w.form.Label5->text(), QStringLiteral("x.iso"));
        QCOMPARE(w.form.Label4->text(), QStringLiteral("1 MB/ 4 MB"));
        view.setApplicationTitle(QStringLiteral("[Tevo] 25%"));
        QCOMPARE(w.form.applicationTitle(), QStringLiteral("[Tevo] 25%"));
        QCOMPARE(w.form.windowTitle(), QStringLiteral("[Tevo] 25%"));
        view.setApplicationTitle(QStringLiteral("[Tevo]"));
        QCOMPARE(w.form.windowTitle(), QStringLiteral("Tevo"));
        view.setProgressEnabled(false);
        QVERIFY(!w.form.Label4->isEnabled());

        view.showTab(WindowTab::ProgressLog);
        QCOMPARE(w.form.Pages->currentWidget(), w.form.TabSheet3);
        view.showTab(WindowTab::AfterExtraction);
        QCOMPARE(w.form.Pages->currentWidget(), w.form.TabSheet5);
        view.showTab(WindowTab::InputOutput);
        QCOMPARE(w.form.Pages->currentWidget(), w.form.TabSheet1);

        w.form.ListBox1->addItems({QStringLiteral("/a"), QStringLiteral("/b")});
        w.form.Edit1->setText(QStringLiteral("/c"));
        view.clearQueue();
        view.clearInputFolder();
        QVERIFY(w.form.settings().Queue().isEmpty());
        QVERIFY(w.form.settings().InputFolder().isEmpty());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
