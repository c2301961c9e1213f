// The captions of the settings keys that tevo-cli --list-options prints and docs/options.md
// holds, and tevo-cli --set's reading of KEY=VALUE.

#include <algorithm>

#include <QTest>

#include "engine/TextNumbers.h"
#include "settings/OptionsReference.h"
#include "settings/SettingsModel.h"
#include "settings/SettingsTable.h"

class TestOptionsReference : public QObject
{
    Q_OBJECT

private slots:
    // Each key's caption in the list is one of the texts the window puts on its controls (which
    // tst_languagetexts finds in the English file), or an English text of its own.
    void everyKeyHasAWindowCaption()
    {
        for (const SettingRow &row : SettingsTable) {
            const int n = row.caption;
            const bool caption =
                n == NoCaption ? qstrlen(row.englishCaption) > 0
                               : n <= Text::LastCaption ||
                                     std::count(std::begin(Text::LaterCaptions),
                                                std::end(Text::LaterCaptions), n) ||
                                     std::count(std::begin(Text::All), std::end(Text::All), n);
            QVERIFY2(caption, row.name);
        }
    }

    void assignments_data()
    {
        QTest::addColumn<QString>("assignment");
        QTest::addColumn<bool>("taken");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("after");
        QTest::newRow("radio on") << "RadioButton2=1" << true << "RadioButton3" << QVariant(false);
        QTest::newRow("radio off") << "RadioButton3=0" << false << "RadioButton3" << QVariant(true);
        QTest::newRow("text") << "Edit2=/srv/out=x" << true << "Edit2" << QVariant("/srv/out=x");
        QTest::newRow("interval") << "Edit6=60" << true << "Edit6" << QVariant("60");
        QTest::newRow("interval zero") << "Edit6=0" << false << "Edit6" << QVariant("15");
        QTest::newRow("priority") << "ComboBox2=low" << true << "ComboBox2" << QVariant("Low");
        QTest::newRow("priority unknown")
            << "ComboBox2=Idle" << false << "ComboBox2" << QVariant("Normal");
        QTest::newRow("list") << "ListBox3=*/Sample|*.nzb||" << true << "ListBox3"
                              << QVariant(QStringList{"*/Sample", "*.nzb"});
        QTest::newRow("empty list") << "ListBox3=" << true << "ListBox3" << QVariant(QStringList());
        QTest::newRow("language loads too")
            << "ComboBox1=deutsch.lng" << true << "ActiveLanguageFile" << QVariant("deutsch.lng");
        QTest::newRow("no value") << "CheckBox3" << false << "CheckBox3" << QVariant(false);
    }
    void assignments()
    {
        QFETCH(QString, assignment);
        QFETCH(bool, taken);
        QFETCH(QString, key);
        QFETCH(QVariant, after);
        SettingsModel settings;
        const QString error = ApplySettingAssignment(settings, assignment);
        QVERIFY2(error.isEmpty() == taken, qPrintable(error));
        QCOMPARE(settings.value(key), after);
    }
};

QTEST_GUILESS_MAIN(TestOptionsReference)
#include "tst_optionsreference.moc"
