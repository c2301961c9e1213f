// The list of settings keys that tevo-cli --list-options prints and docs/options.md holds, and
// tevo-cli --set's reading of KEY=VALUE.

#include <algorithm>

#include <QFile>
#include <QTest>

#include "engine/LanguageTexts.h"
#include "engine/TextNumbers.h"
#include "settings/OptionsReference.h"
#include "settings/SettingsModel.h"
#include "settings/SettingsTable.h"

class TestOptionsReference : public QObject
{
    Q_OBJECT

    LanguageTexts m_english;

private slots:
    void initTestCase() { QVERIFY(m_english.loadFile(TEVO_SOURCE_DIR "/lang/english.lng")); }

    // The documentation is the program's own list, so it cannot drift from the table.
    void documentationIsTheList()
    {
        QFile doc(QStringLiteral(TEVO_SOURCE_DIR "/docs/options.md"));
        QVERIFY(doc.open(QIODevice::ReadOnly));
        QVERIFY2(QString::fromUtf8(doc.readAll()) == OptionsReference(m_english),
                 "docs/options.md is out of date: build/tevo-cli --list-options > docs/options.md");
    }

    // Each key once, with a caption, in the table's order.
    void everyKeyListedWithItsCaption()
    {
        const QString list = OptionsReference(m_english);
        int from = 0;
        for (const SettingRow &row : SettingsTable) {
            const QString entry = QStringLiteral("- `%1`: \"").arg(QString::fromUtf8(row.name));
            const int at = list.indexOf(entry, from);
            QVERIFY2(at > from, row.name);
            QVERIFY2(list.indexOf(entry, at + 1) < 0, row.name);
            QVERIFY2(list.at(at + entry.size()) != QLatin1Char('"'), row.name);
            from = at;
        }
    }

    // A setting's caption is one of the texts the window puts on its controls.
    void captionsAreWindowCaptions()
    {
        for (const SettingRow &row : SettingsTable) {
            const int n = row.caption;
            const bool caption = n == NoCaption || n <= Text::LastCaption ||
                                 std::count(std::begin(Text::LaterCaptions),
                                            std::end(Text::LaterCaptions), n) == 1 ||
                                 std::count(std::begin(Text::All), std::end(Text::All), n) == 1;
            QVERIFY2(caption, row.name);
            QVERIFY2(n != NoCaption || qstrlen(row.englishCaption) > 0, row.name);
        }
    }

    void assignments_data()
    {
        QTest::addColumn<QString>("assignment");
        QTest::addColumn<bool>("taken");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("after");
        QTest::newRow("check on") << "CheckBox3=1" << true << "CheckBox3" << QVariant(true);
        QTest::newRow("any letter case") << "checkbox1=0" << true << "CheckBox1" << QVariant(false);
        QTest::newRow("check yes") << "CheckBox3=yes" << false << "CheckBox3" << QVariant(false);
        QTest::newRow("radio on") << "RadioButton2=1" << true << "RadioButton3" << QVariant(false);
        QTest::newRow("radio off") << "RadioButton3=0" << false << "RadioButton3" << QVariant(true);
        QTest::newRow("text") << "Edit2=/srv/out=x" << true << "Edit2" << QVariant("/srv/out=x");
        QTest::newRow("interval") << "Edit6=60" << true << "Edit6" << QVariant("60");
        QTest::newRow("interval zero") << "Edit6=0" << false << "Edit6" << QVariant("15");
        QTest::newRow("interval word") << "Edit6=soon" << false << "Edit6" << QVariant("15");
        QTest::newRow("priority") << "ComboBox2=low" << true << "ComboBox2" << QVariant("Low");
        QTest::newRow("priority unknown")
            << "ComboBox2=Idle" << false << "ComboBox2" << QVariant("Normal");
        QTest::newRow("list") << "ListBox3=*/Sample|*.nzb||" << true << "ListBox3"
                              << QVariant(QStringList{"*/Sample", "*.nzb"});
        QTest::newRow("empty list") << "ListBox3=" << true << "ListBox3" << QVariant(QStringList());
        QTest::newRow("language loads too")
            << "ComboBox1=deutsch.lng" << true << "ActiveLanguageFile" << QVariant("deutsch.lng");
        QTest::newRow("unknown key") << "CheckBox99=1" << false << "CheckBox3" << QVariant(false);
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
