// Option sets on the real window: exact default file, round trip, the reading rules, the buttons.

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include "settings/ConfigLocation.h"
#include "settings/OptionSetFile.h"
#include "settings/ShellIntegration.h"
#include "support/Fakes.h"
#include "support/ReleaseMaker.h"
#include "ui/MainWindow.h"

namespace {

constexpr int TextOptionsSaved = 139;
constexpr int TextOptionsLoaded = 140;

using ReleaseMaker::readAll;

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QStringList items(const QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

// Remembers where the file choosers started.
struct RecordingDialogs : ScriptedDialogs
{
    QStringList startFolders;
    QString chooseOpenFile(const QString &title, const QString &startFolder, const QString &filter,
                           const QString &defaultSuffix) override
    {
        startFolders << startFolder;
        return ScriptedDialogs::chooseOpenFile(title, startFolder, filter, defaultSuffix);
    }
    QString chooseSaveFile(const QString &title, const QString &startFolder, const QString &filter,
                           const QString &defaultSuffix) override
    {
        startFolders << startFolder;
        return ScriptedDialogs::chooseOpenFile(title, startFolder, filter, defaultSuffix);
    }
};

// A file written before the notification key: it ends its [Options] at CheckBox21.
const QByteArray OlderDefaultFile =
    "[Options]\r\nRadioButton1=0\r\nRadioButton2=0\r\nCheckBox2=0\r\nRadioButton3=1\r\n"
    "RadioButton12=1\r\nRadioButton14=0\r\nCheckBox9=0\r\nCheckBox1=1\r\nCheckBox4=1\r\n"
    "CheckBox6=0\r\nCheckBox5=1\r\nCheckBox8=0\r\nCheckBox3=0\r\nRadioButton4=1\r\n"
    "RadioButton5=0\r\nCheckBox10=0\r\nCheckBox11=0\r\nCheckBox15=0\r\nCheckBox16=0\r\n"
    "CheckBox17=1\r\nCheckBox7=1\r\nCheckBox18=1\r\nCheckBox22=0\r\nCheckBox19=0\r\n"
    "CheckBox20=0\r\nRadioButton8=1\r\nRadioButton9=0\r\nRadioButton10=0\r\nCheckBox13=0\r\n"
    "RadioButton11=0\r\nRadioButton13=1\r\nCheckBox14=0\r\nRJumpBackToWelcome=0\r\n"
    "CheckBox21=0\r\n[Edits]\r\nEdit1=\r\nEdit2=\r\nEdit4=cdemu load 0 \"%1\"\r\nEdit6=15\r\n"
    "ComboBox2=Normal\r\n[other]\r\nlanguage=english.lng\r\nLastOpenPath=\r\n[ListBox1]\r\n"
    "ins=0\r\n[ListBox2]\r\nins=0\r\n[ListBox3]\r\nins=0\r\n";
// Today's file: the same, with the keys added since after the others.
const QByteArray DefaultFile =
    QByteArray(OlderDefaultFile)
        .replace("CheckBox21=0\r\n",
                 "CheckBox21=0\r\nCheckBox23=1\r\nCheckBox24=0\r\nCheckBox25=1\r\nCheckBox26=0\r\n"
                 "CheckBox27=1\r\n")
        .replace("ComboBox2=Normal\r\n", "ComboBox2=Normal\r\nEdit7=\r\n");

} // namespace

class TestOptionSets : public QObject
{
    Q_OBJECT

    QTemporaryDir m_data;
    QTemporaryDir *m_dir = nullptr;
    RecordingDialogs *m_dialogs = nullptr;
    FakePlatform *m_platform = nullptr;
    TForm1 *m_form = nullptr;

    TForm1 *newForm()
    {
        auto *form = new TForm1(*m_dialogs, *m_platform);
        form->language().loadFile(EnglishLanguageFile());
        // What start-up does before the first save: english.lng is the active language.
        form->setActiveLanguageFile(QStringLiteral("english.lng"));
        form->ComboBox1->setEditText(QStringLiteral("english.lng"));
        return form;
    }
    QString path(const QString &name) const { return m_dir->filePath(name); }
    // Loads the text as a file, with confirmation.
    void load(const QByteArray &content)
    {
        writeAll(path(QStringLiteral("in.os")), content);
        m_form->LoadOptionSet(path(QStringLiteral("in.os")), true);
    }
    bool confirmedLoad() const
    {
        return !m_dialogs->shownMessages.isEmpty() &&
               m_dialogs->shownMessages.constLast().text ==
                   m_form->context().LangText(TextOptionsLoaded) &&
               m_dialogs->shownMessages.constLast().caption == QStringLiteral("Successful") &&
               m_dialogs->shownMessages.constLast().icon == MessageIcon::Information;
    }

private slots:
    void initTestCase() { qputenv("XDG_DATA_HOME", QFile::encodeName(m_data.path())); }

    void init()
    {
        QDir(m_data.path()).removeRecursively();
        QDir().mkpath(m_data.path());
        m_dir = new QTemporaryDir;
        m_dialogs = new RecordingDialogs;
        m_platform = new FakePlatform;
        m_form = newForm();
    }

    void cleanup()
    {
        delete m_form;
        delete m_platform;
        delete m_dialogs;
        delete m_dir;
    }

    void theStoredKeysAreTheWindowsStoredChoices()
    {
        QStringList names;
        for (const QAbstractButton *button : m_form->OptionSetButtons())
            names << button->objectName();
        names.sort();
        QStringList keys = OptionSetKeys::Options;
        keys.sort();
        QCOMPARE(names, keys);
    }

    void defaultsSaveToTheKnownFile()
    {
        m_form->SaveOptionSet(path(QStringLiteral("default.os")), false);
        QCOMPARE(readAll(path(QStringLiteral("default.os"))), DefaultFile);
        QVERIFY(m_dialogs->shownMessages.isEmpty());
    }

    // An older file loads as it always did: the new key keeps its value, and a save adds it
    // after the others.
    // The same choices made in the window give the bytes that version 1.06 wrote for them,
    // before the window kept its settings in a model; and that file loads back to them.
    void windowSavesTheBytesOfVersion106()
    {
        TForm1 &f = *m_form;
        f.Edit1->setText(QStringLiteral("/in put/ä"));
        f.ListBox1->addItems({QStringLiteral("/q/a"), QStringLiteral("/q/b c")});
        f.RadioButton2->setChecked(true);
        f.Edit2->setText(QStringLiteral("/out"));
        f.CheckBox2->setChecked(true);
        f.RadioButton14->setChecked(true);
        f.CheckBox9->setChecked(true);
        f.CheckBox1->setChecked(false);
        f.CheckBox3->setChecked(true);
        f.RadioButton5->setChecked(true);
        f.CheckBox7->setChecked(false);
        f.CheckBox19->setChecked(true);
        f.CheckBox23->setChecked(false);
        f.CheckBox24->setChecked(true);
        f.CheckBox25->setChecked(false);
        f.CheckBox26->setChecked(true);
        f.CheckBox27->setChecked(false);
        f.Edit7->setText(QStringLiteral("/home/u/passwords.txt"));
        f.RadioButton10->setChecked(true);
        f.Edit4->setText(QStringLiteral("mount \"%1\" --now"));
        f.RadioButton11->setChecked(true);
        f.CheckBox14->setChecked(true);
        f.CheckBox21->setChecked(true);
        f.Edit6->setText(QStringLiteral("45"));
        f.ComboBox2->setCurrentIndex(2);
        f.ComboBox1->setEditText(QStringLiteral("deutsch.lng"));
        f.setLastOpenPath(QStringLiteral("/last/open"));
        f.ListBox2->addItems({QStringLiteral("*/Subs")});
        f.ListBox3->addItems(
            {QStringLiteral("*/Sample"), QStringLiteral("*.nzb"), QStringLiteral("*/Proof")});
        const QByteArray golden = ReleaseMaker::readAll(
            QStringLiteral(TEVO_SOURCE_DIR "/tests/data/settings-of-1.06.os"));
        QVERIFY(!golden.isEmpty());
        f.SaveOptionSet(path(QStringLiteral("now.os")), false);
        QCOMPARE(ReleaseMaker::readAll(path(QStringLiteral("now.os"))), golden);

        std::unique_ptr<TForm1> fresh(newForm());
        fresh->LoadOptionSet(QStringLiteral(TEVO_SOURCE_DIR "/tests/data/settings-of-1.06.os"),
                             false);
        QVERIFY(fresh->RadioButton10->isChecked());
        QCOMPARE(fresh->ComboBox2->currentText(), QStringLiteral("Low"));
        QCOMPARE(fresh->ListBox3->count(), 3);
        QVERIFY(fresh->RadioButton12->isEnabled() && fresh->Edit2->isEnabled());
        fresh->SaveOptionSet(path(QStringLiteral("again.os")), false);
        QCOMPARE(ReleaseMaker::readAll(path(QStringLiteral("again.os"))), golden);
    }

    void olderFileLoadsUnchanged_data()
    {
        QTest::addColumn<bool>("notifyBefore");
        QTest::newRow("notification on") << true;
        QTest::newRow("notification off") << false;
    }

    void olderFileLoadsUnchanged()
    {
        QFETCH(bool, notifyBefore);
        m_form->CheckBox23->setChecked(notifyBefore);
        QFile older(path(QStringLiteral("older.os")));
        QVERIFY(older.open(QIODevice::WriteOnly));
        older.write(OlderDefaultFile);
        older.close();
        m_form->LoadOptionSet(older.fileName(), false);
        QCOMPARE(m_form->CheckBox23->isChecked(), notifyBefore);
        m_form->SaveOptionSet(path(QStringLiteral("again.os")), false);
        QByteArray expected = DefaultFile;
        if (!notifyBefore)
            expected.replace("CheckBox23=1", "CheckBox23=0");
        QCOMPARE(readAll(path(QStringLiteral("again.os"))), expected);
    }

    void saveAndLoadRestoreEverythingStored()
    {
        // Every stored check box the other way round, every radio group off its default.
        for (QAbstractButton *button : m_form->OptionSetButtons()) {
            if (qobject_cast<QCheckBox *>(button))
                button->setChecked(!button->isChecked());
        }
        m_form->RadioButton2->setChecked(true);
        m_form->RadioButton14->setChecked(true);
        m_form->RadioButton5->setChecked(true);
        m_form->RadioButton10->setChecked(true);
        m_form->RadioButton11->setChecked(true);
        m_form->Edit1->setText(QStringLiteral("/data/in put"));
        m_form->Edit2->setText(QStringLiteral("/data/out"));
        m_form->Edit4->setText(QStringLiteral("\"/opt/my tools/mount\" --image \"%1\""));
        m_form->Edit6->setText(QStringLiteral("30"));
        m_form->ComboBox2->setCurrentIndex(2);
        m_form->ComboBox1->setEditText(QStringLiteral("deutsch.lng"));
        m_form->setLastOpenPath(QStringLiteral("/data/last"));
        m_form->ListBox1->addItems(
            {QStringLiteral("/q/B"), QStringLiteral("/q/A"), QStringLiteral("/q/with = sign")});
        m_form->ListBox2->addItems({QStringLiteral("*Subs*")});
        m_form->ListBox3->addItems({QStringLiteral("*/Sample"), QStringLiteral("*.url")});
        const OptionSetSnapshot saved = OptionSetSnapshotOf(m_form->settings());
        // "Always stay in TNA" turning on has said that this machine has no notification area.
        m_dialogs->shownMessages.clear();
        m_form->SaveOptionSet(path(QStringLiteral("all.os")), true);
        QCOMPARE(m_dialogs->shownMessages.size(), 1);
        QCOMPARE(m_dialogs->shownMessages.at(0).text, m_form->context().LangText(TextOptionsSaved));
        QCOMPARE(m_dialogs->shownMessages.at(0).caption, QStringLiteral("Successful"));

        TForm1 *fresh = newForm();
        fresh->Edit3->setText(QStringLiteral("/sound.mp3"));
        fresh->Edit5->setText(QStringLiteral("iso"));
        fresh->LoadOptionSet(path(QStringLiteral("all.os")), false);
        const OptionSetSnapshot loaded = OptionSetSnapshotOf(fresh->settings());
        QCOMPARE(loaded.options, saved.options);
        QCOMPARE(loaded.edits, saved.edits);
        QCOMPARE(loaded.language, QStringLiteral("deutsch.lng"));
        QCOMPARE(fresh->ActiveLanguageFile(), QStringLiteral("deutsch.lng"));
        QCOMPARE(loaded.lastOpenPath, QStringLiteral("/data/last"));
        QCOMPARE(loaded.lists, saved.lists);
        QCOMPARE(fresh->settings().RunCommand(),
                 QStringLiteral("\"/opt/my tools/mount\" --image \"%1\""));
        // What a load does not touch.
        QVERIFY(fresh->RadioButton6->isChecked());
        QCOMPARE(fresh->Edit3->text(), QStringLiteral("/sound.mp3"));
        QCOMPARE(fresh->Edit5->text(), QStringLiteral("iso"));
        QVERIFY(!fresh->CheckBox12->isChecked());
        // The rules ran: custom output with subfolders enables the naming radios.
        QVERIFY(fresh->Edit2->isEnabled());
        QVERIFY(fresh->RadioButton14->isEnabled());
        QVERIFY(fresh->RadioButton5->isEnabled() == fresh->CheckBox3->isChecked());
        // The priority was applied during the load.
        QCOMPARE(m_platform->priorities.constLast(), PriorityChoice::Low);
        // The language texts in use stay.
        QCOMPARE(fresh->context().LangText(0), QStringLiteral("Unpack"));
        delete fresh;
    }

    void onlyTheValueOneChecks()
    {
        load("[Options]\r\nCheckBox1=yes\r\nCheckBox5=true\r\nCheckBox6=1\r\nCheckBox3= 1 \r\n");
        QVERIFY(!m_form->CheckBox1->isChecked());
        QVERIFY(!m_form->CheckBox5->isChecked());
        QVERIFY(m_form->CheckBox6->isChecked());
        QVERIFY(m_form->CheckBox3->isChecked());    // blanks around values are dropped
        QVERIFY(m_form->RadioButton4->isEnabled()); // CheckBox3's click rule ran
        QVERIFY(confirmedLoad());
    }

    void namesCompareWithoutLetterCase()
    {
        load("[OPTIONS]\r\ncheckbox9=1\r\nRADIOBUTTON2=1\r\n[edits]\r\nedit6=45\r\n");
        QVERIFY(m_form->CheckBox9->isChecked());
        QVERIFY(m_form->RadioButton2->isChecked());
        QVERIFY(m_form->Edit2->isEnabled()); // the output-mode rule ran
        QCOMPARE(m_form->Edit6->text(), QStringLiteral("45"));
    }

    void priorityFollowsTheLoad()
    {
        m_platform->priorities.clear();
        load("[Edits]\r\nComboBox2=low\r\n");
        QCOMPARE(m_form->ComboBox2->currentText(), QStringLiteral("Low"));
        QCOMPARE(m_platform->priorities, QList<PriorityChoice>({PriorityChoice::Low}));
        load("[Edits]\r\nComboBox2=fast\r\n");
        QCOMPARE(m_form->ComboBox2->currentText(), QStringLiteral("Low"));
        QCOMPARE(m_platform->priorities,
                 QList<PriorityChoice>({PriorityChoice::Low, PriorityChoice::Low}));
        load("[Edits]\r\nComboBox2=High\r\n");
        QCOMPARE(m_platform->priorities.constLast(), PriorityChoice::High);
    }

    void listSectionRules_data()
    {
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QStringList>("queue");
        const QStringList none;
        QTest::newRow("missing entry")
            << QByteArray("0=/a\r\n2=/c\r\nins=3\r\n") << QStringList({"/a", "/c"});
        QTest::newRow("empty entry")
            << QByteArray("0=/a\r\n1=\r\n2=/c\r\nins=3\r\n") << QStringList({"/a", "/c"});
        QTest::newRow("no count") << QByteArray("0=/a\r\n1=/b\r\n") << none;
        QTest::newRow("negative count") << QByteArray("0=/a\r\nins=-5\r\n") << none;
        QTest::newRow("huge count")
            << QByteArray("1=/b\r\n0=/a\r\nins=99999999\r\n") << QStringList({"/a", "/b"});
        QTest::newRow("count beyond int") << QByteArray("0=/a\r\nins=99999999999\r\n") << none;
        QTest::newRow("count is no number") << QByteArray("0=/a\r\nins=two\r\n") << none;
        QTest::newRow("count limits")
            << QByteArray("0=/a\r\n1=/b\r\n2=/c\r\nins=2\r\n") << QStringList({"/a", "/b"});
        QTest::newRow("duplicate keys")
            << QByteArray("0=/first\r\n0=/second\r\nins=1\r\nins=0\r\n") << QStringList({"/first"});
        QTest::newRow("other key spellings")
            << QByteArray("00=/x\r\n+1=/y\r\n 1 = /b \r\nins=2\r\n") << QStringList({"/b"});
    }
    void listSectionRules()
    {
        QFETCH(QByteArray, section);
        QFETCH(QStringList, queue);
        m_form->ListBox1->addItem(QStringLiteral("/old"));
        load("[ListBox1]\r\n" + section);
        QCOMPARE(items(m_form->ListBox1), queue);
        QVERIFY(confirmedLoad());
    }

    void fileWithoutSectionsEmptiesListsOnly()
    {
        m_form->ListBox1->addItem(QStringLiteral("/q"));
        m_form->ListBox2->addItem(QStringLiteral("skip"));
        m_form->ListBox3->addItem(QStringLiteral("del"));
        m_form->setLastOpenPath(QStringLiteral("/last"));
        m_form->setActiveLanguageFile(QStringLiteral("deutsch.lng"));
        m_form->CheckBox1->setChecked(false);
        m_form->Edit4->setText(QStringLiteral("keep me"));
        load("just some text\nnothing = here\n");
        QCOMPARE(m_form->ListBox1->count() + m_form->ListBox2->count() + m_form->ListBox3->count(),
                 0);
        QCOMPARE(m_form->ActiveLanguageFile(), QStringLiteral("english.lng"));
        QCOMPARE(m_form->ComboBox1->currentText(), QStringLiteral("english.lng"));
        QCOMPARE(m_form->LastOpenPath(), QString());
        QVERIFY(!m_form->CheckBox1->isChecked());
        QCOMPARE(m_form->Edit4->text(), QStringLiteral("keep me"));
        QVERIFY(confirmedLoad());
    }

    void malformedFilesLoadAndReportSuccess()
    {
        QByteArray garbage;
        quint32 seed = 99;
        for (int i = 0; i < 300000; ++i) {
            seed = seed * 1664525u + 1013904223u;
            garbage += static_cast<char>(seed >> 24);
        }
        load(garbage);
        QVERIFY(confirmedLoad());

        load("[Edits]\r\nEdit1=" + QByteArray(10 * 1024 * 1024, 'a') + "\r\nEdit6=20\r\n");
        QCOMPARE(m_form->Edit1->text(), QString(2047, QLatin1Char('a')));
        QCOMPARE(m_form->Edit6->text(), QStringLiteral("20"));
        QVERIFY(confirmedLoad());

        load("[Options]\r\nCheckBox7=0\r\nCheckBox7=1\r\n[Edits]\r\nEdit6=1\r\nEDIT6=2\r\n"
             "Button1=x\r\nCheckBox1=x\r\nNoSuchControl=1\r\n[Options]\r\nCheckBox7=1\r\n");
        QVERIFY(!m_form->CheckBox7->isChecked());
        QCOMPARE(m_form->Edit6->text(), QStringLiteral("1"));
        QCOMPARE(m_form->Button1->text().isEmpty(), false);
        QVERIFY(confirmedLoad());
    }

    void quotedValuesAreKeptAsWritten()
    {
        load("[Edits]\r\nEdit4=\"mount\" \"%1\"\r\nEdit2='/x'\r\n");
        QCOMPARE(m_form->Edit4->text(), QStringLiteral("\"mount\" \"%1\""));
        QCOMPARE(m_form->Edit2->text(), QStringLiteral("'/x'"));
    }

    void handWrittenSwitchesRunTheirRules()
    {
        load("[Options]\r\nRadioButton7=1\r\nCheckBox12=1\r\n");
        QVERIFY(m_form->RadioButton7->isChecked());
        QVERIFY(m_form->Button6->isEnabled());
        QVERIFY(!m_form->Edit1->isEnabled());
        QVERIFY(m_form->CheckBox12->isChecked());
        QVERIFY(ShellIntegration::ReadState());
        load("[Options]\r\nCheckBox12=0\r\n");
        QVERIFY(!ShellIntegration::ReadState());
    }

    void buttonsUseTheDialogsStartingWhereLastOsLives()
    {
        m_dialogs->fileAnswers = {path(QStringLiteral("mine.os"))};
        m_form->Edit6->setText(QStringLiteral("99"));
        m_form->Button8->click();
        QVERIFY(readAll(path(QStringLiteral("mine.os"))).contains("\r\nEdit6=99\r\n"));
        QCOMPARE(m_dialogs->shownMessages.constLast().text,
                 m_form->context().LangText(TextOptionsSaved));

        m_form->Edit6->setText(QStringLiteral("5"));
        m_dialogs->fileAnswers = {path(QStringLiteral("mine.os"))};
        m_form->Button9->click();
        QCOMPARE(m_form->Edit6->text(), QStringLiteral("99"));
        QVERIFY(confirmedLoad());

        const int shown = m_dialogs->shownMessages.size();
        m_form->Button8->click(); // cancelled
        m_form->Button9->click();
        QCOMPARE(m_dialogs->shownMessages.size(), shown);
        for (const QString &start : std::as_const(m_dialogs->startFolders))
            QCOMPARE(start, ConfigFolder(m_form->context().programFolder));
    }

    void aFailedSaveIsReported()
    {
        m_dialogs->fileAnswers = {path(QStringLiteral("no/such/folder/x.os"))};
        m_form->Button8->click();
        QCOMPARE(m_dialogs->shownMessages.size(), 1);
        QCOMPARE(m_dialogs->shownMessages.at(0).caption, QStringLiteral("Error"));
        QVERIFY(m_dialogs->shownMessages.at(0).text.contains(QStringLiteral("x.os")));
    }
};

QTEST_MAIN(TestOptionSets)
#include "tst_optionsets.moc"
