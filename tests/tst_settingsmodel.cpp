// The settings model on its own, without a window: radio groups, the priority's choices, change
// notification, and option-set files read and written through it.

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "settings/IniReader.h"
#include "settings/OptionSetFile.h"
#include "settings/SettingsModel.h"
#include "support/ReleaseMaker.h"

class TestSettingsModel : public QObject
{
    Q_OBJECT

private slots:
    void radioGroupsKeepOneButtonOn_data()
    {
        QTest::addColumn<QString>("turnOn");
        QTest::addColumn<QString>("turnOff");
        QTest::addColumn<QStringList>("onAfterwards");
        QTest::newRow("queue mode") << "RadioButton7" << QString()
                                    << QStringList{"RadioButton7", "RadioButton3", "RadioButton12",
                                                   "RadioButton4", "RadioButton8", "RadioButton13"};
        QTest::newRow("the one on cannot go off by itself")
            << QString() << "RadioButton3"
            << QStringList{"RadioButton6", "RadioButton3", "RadioButton12",
                           "RadioButton4", "RadioButton8", "RadioButton13"};
        QTest::newRow("one that is off stays off")
            << QString() << "RadioButton9"
            << QStringList{"RadioButton6", "RadioButton3", "RadioButton12",
                           "RadioButton4", "RadioButton8", "RadioButton13"};
        QTest::newRow("another group is not touched")
            << "RJumpBackToWelcome" << QString()
            << QStringList{"RadioButton6", "RadioButton3",       "RadioButton12",
                           "RadioButton4", "RJumpBackToWelcome", "RadioButton13"};
    }
    void radioGroupsKeepOneButtonOn()
    {
        QFETCH(QString, turnOn);
        QFETCH(QString, turnOff);
        QFETCH(QStringList, onAfterwards);
        SettingsModel settings;
        if (!turnOn.isEmpty())
            QVERIFY(settings.setChecked(turnOn, true));
        if (!turnOff.isEmpty())
            QVERIFY(!settings.setChecked(turnOff, false));
        QStringList on;
        for (const SettingsModel::Key &key : SettingsModel::keys()) {
            if (key.kind == SettingsModel::Kind::Radio && settings.isChecked(key.name))
                on << key.name;
        }
        QCOMPARE(on, onAfterwards);
    }

    // A listener hears each change once, with the whole new state already in place.
    void changesAreAnnouncedOnceWithTheStateComplete()
    {
        SettingsModel settings;
        QStringList heard;
        QList<AfterActionChoice> seen;
        connect(&settings, &SettingsModel::changed, this, [&](const QString &name) {
            heard << name;
            seen << settings.AfterAction();
        });
        settings.setAfterAction(AfterActionChoice::RunApplication);
        QCOMPARE(heard, (QStringList{"RadioButton8", "RadioButton10"}));
        QCOMPARE(seen, (QList<AfterActionChoice>{AfterActionChoice::RunApplication,
                                                 AfterActionChoice::RunApplication}));
        heard.clear();
        settings.setAfterAction(AfterActionChoice::RunApplication); // no change, no word
        settings.setText(QStringLiteral("edit1"), QStringLiteral("/in"));
        settings.setText(QStringLiteral("Edit1"), QStringLiteral("/in"));
        QCOMPARE(heard, QStringList{"Edit1"});
    }

    void priorityTakesOnlyItsChoices_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("taken");
        QTest::addColumn<PriorityChoice>("priority");
        QTest::newRow("high") << "High" << true << PriorityChoice::High;
        QTest::newRow("letter case") << "low" << true << PriorityChoice::Low;
        QTest::newRow("unknown") << "Realtime" << false << PriorityChoice::Normal;
        QTest::newRow("nothing selected") << "" << true << PriorityChoice::NoSelection;
    }
    void priorityTakesOnlyItsChoices()
    {
        QFETCH(QString, text);
        QFETCH(bool, taken);
        QFETCH(PriorityChoice, priority);
        SettingsModel settings;
        QCOMPARE(settings.setText(QStringLiteral("ComboBox2"), text), taken);
        QCOMPARE(settings.Priority(), priority);
        // The file stores the choice as the drop-down spells it.
        QVERIFY(SettingsModel::priorityTexts().contains(settings.text("ComboBox2")) ||
                settings.text("ComboBox2").isEmpty());
    }

    // Every stored setting survives a save and a load into a fresh model, byte for byte.
    void optionSetRoundTripWithoutWindow()
    {
        QTemporaryDir dir;
        SettingsModel settings;
        settings.setQueue({"/q/a", "/q/b"});
        settings.setInputFolder(QStringLiteral("/in put"));
        settings.setOutputMode(OutputModeChoice::CustomDir);
        settings.setCustomOutputDir(QStringLiteral("/out"));
        settings.setSubdirPerEntry(true);
        settings.setSubdirNaming(SubdirNamingChoice::FolderName);
        settings.setDeleteSources(true);
        settings.setDeleteTiming(DeleteTimingChoice::AfterExtractingAll);
        settings.setUnpackZipFirst(false);
        settings.setRepairWithPar2(false);
        settings.setWriteLogFile(true);
        settings.setAfterAction(AfterActionChoice::ClearQueue);
        settings.setRunCommand(QStringLiteral("mount \"%1\""));
        settings.setWatchInterval(QStringLiteral("30"));
        settings.setPriority(PriorityChoice::Low);
        settings.setLanguageFile(QStringLiteral("deutsch.lng"));
        settings.setLastOpenPath(QStringLiteral("/last"));
        settings.setSkipList({"*/Subs"});
        settings.setDeleteList({"*/Sample", "*.nzb"});
        const QString first = dir.filePath("a.os");
        SaveOptionSet(settings, first);

        SettingsModel loaded;
        QSignalSpy applied(&loaded, &SettingsModel::optionSetApplied);
        LoadOptionSet(loaded, first);
        QCOMPARE(applied.count(), 1);
        QCOMPARE(loaded.ActiveLanguageFile(), QStringLiteral("deutsch.lng"));
        const QString second = dir.filePath("b.os");
        SaveOptionSet(loaded, second);
        QCOMPARE(ReleaseMaker::readAll(second), ReleaseMaker::readAll(first));
        for (const SettingsModel::Key &key : SettingsModel::keys()) {
            if (key.name != QLatin1String("ActiveLanguageFile"))
                QVERIFY2(loaded.value(key.name) == settings.value(key.name) ||
                             key.name == QLatin1String("Edit1") ||
                             key.name == QLatin1String("RadioButton6") ||
                             key.name == QLatin1String("RadioButton7"),
                         qPrintable(key.name));
        }
        // The input mode is never stored; the input folder is.
        QCOMPARE(loaded.InputMode(), InputModeChoice::SingleFolder);
        QCOMPARE(loaded.InputFolder(), QStringLiteral("/in put"));
    }

    // Without a window, the model writes the bytes the window of version 1.06 wrote for the same
    // choices.
    void modelSavesTheBytesOfVersion106()
    {
        QTemporaryDir dir;
        SettingsModel s;
        s.setInputFolder(QStringLiteral("/in put/ä"));
        s.setQueue({"/q/a", "/q/b c"});
        s.setOutputMode(OutputModeChoice::CustomDir);
        s.setCustomOutputDir(QStringLiteral("/out"));
        s.setSubdirPerEntry(true);
        s.setSubdirNaming(SubdirNamingChoice::FolderName);
        s.setCheckOnly(true);
        s.setScanSubdirs(false);
        s.setDeleteSources(true);
        s.setDeleteTiming(DeleteTimingChoice::AfterExtractingAll);
        s.setUnpackZipFirst(false);
        s.setNoReturnFromTray(true);
        s.setNotifyAtJobEnd(false);
        s.setWriteLogFile(true);
        s.setRepairWithPar2(false);
        s.setUnpackOtherFormats(true);
        s.setUnpackNested(false);
        s.setPasswordList(QStringLiteral("/home/u/passwords.txt"));
        s.setAfterAction(AfterActionChoice::RunApplication);
        s.setRunCommand(QStringLiteral("mount \"%1\" --now"));
        s.setRunFileFilter(RunFileFilterChoice::EveryFile);
        s.setRunOnce(true);
        s.setListsApplyToFiles(true);
        s.setWatchInterval(QStringLiteral("45"));
        s.setPriority(PriorityChoice::Low);
        s.setLanguageFile(QStringLiteral("deutsch.lng"));
        s.setLastOpenPath(QStringLiteral("/last/open"));
        s.setSkipList({"*/Subs"});
        s.setDeleteList({"*/Sample", "*.nzb", "*/Proof"});
        SaveOptionSet(s, dir.filePath("now.os"));
        QCOMPARE(ReleaseMaker::readAll(dir.filePath("now.os")),
                 ReleaseMaker::readAll(TEVO_SOURCE_DIR "/tests/data/settings-of-1.06.os"));
    }

    // A priority entry is applied once: by the change it makes, or else by the caller.
    void priorityEntryAppliedOnce_data()
    {
        QTest::addColumn<QByteArray>("edits");
        QTest::addColumn<int>("callerApplies");
        QTest::addColumn<int>("changes");
        QTest::newRow("changes the choice") << QByteArray("ComboBox2=High\r\n") << 0 << 1;
        QTest::newRow("same choice") << QByteArray("ComboBox2=Normal\r\n") << 1 << 0;
        QTest::newRow("no such choice") << QByteArray("ComboBox2=Idle\r\n") << 1 << 0;
        QTest::newRow("empty selects nothing") << QByteArray("ComboBox2=\r\n") << 1 << 0;
        QTest::newRow("none") << QByteArray("Edit6=20\r\n") << 0 << 0;
    }
    void priorityEntryAppliedOnce()
    {
        QFETCH(QByteArray, edits);
        QFETCH(int, callerApplies);
        QFETCH(int, changes);
        SettingsModel settings;
        int priorityChanges = 0;
        connect(&settings, &SettingsModel::changed, this, [&](const QString &name) {
            priorityChanges += name == QLatin1String("ComboBox2");
        });
        int applied = 0;
        ApplyOptionSet(settings, IniReader::fromBytes("[Edits]\r\n" + edits), [&] { ++applied; });
        QCOMPARE(applied, callerApplies);
        QCOMPARE(priorityChanges, changes);
    }

    // Hand-written files: names in any letter case, only the kinds each section holds, and the
    // values that no control shows are never read from the control sections.
    void handWrittenFilesTakeOnlyWhatEachSectionHolds()
    {
        SettingsModel settings;
        ApplyOptionSet(settings, IniReader::fromBytes(
                                     "[Options]\r\ncheckbox3=1\r\nEdit1=1\r\nradiobutton5=1\r\n"
                                     "[Edits]\r\nEDIT6=45\r\nCheckBox1=0\r\n"
                                     "LastOpenPath=/evil\r\nActiveLanguageFile=x.lng\r\n"
                                     "Edit3=/sound.wav\r\n"
                                     "[other]\r\nLastOpenPath=/good\r\n"));
        QVERIFY(settings.DeleteSources());
        QCOMPARE(settings.DeleteTiming(), DeleteTimingChoice::AfterExtractingAll);
        QCOMPARE(settings.InputFolder(), QString());
        QCOMPARE(settings.WatchInterval(), QStringLiteral("45"));
        QVERIFY(settings.ScanSubdirs());
        QCOMPARE(settings.LastOpenPath(), QStringLiteral("/good"));
        QCOMPARE(settings.ActiveLanguageFile(), QStringLiteral("english.lng"));
        QCOMPARE(settings.SoundFile(), QStringLiteral("/sound.wav"));
    }

    // The server example of the README: only what it names changes.
    void documentedServerOptionSet()
    {
        SettingsModel settings;
        LoadOptionSet(settings, QStringLiteral(TEVO_SOURCE_DIR "/docs/server.os"));
        QVERIFY(settings.DeleteSources());
        QVERIFY(!settings.OpenNfo());
        QCOMPARE(settings.WatchInterval(), QStringLiteral("60"));
        QVERIFY(settings.CheckSfv());
        QCOMPARE(settings.DeleteTiming(), DeleteTimingChoice::AfterExtraction);
        QCOMPARE(settings.RunCommand(), QStringLiteral("cdemu load 0 \"%1\""));
    }
};

QTEST_GUILESS_MAIN(TestSettingsModel)
#include "tst_settingsmodel.moc"
