// tevo-cli --set's reading of KEY=VALUE: each kind of value taken, and what is refused.

#include <QTest>

#include "settings/OptionsReference.h"
#include "settings/SettingsModel.h"

class TestOptionsReference : public QObject
{
    Q_OBJECT

private slots:
    void assignments_data()
    {
        QTest::addColumn<QString>("assignment");
        QTest::addColumn<bool>("taken");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("after");
        QTest::newRow("radio on") << "RadioButton2=1" << true << "RadioButton3" << QVariant(false);
        QTest::newRow("text") << "Edit2=/srv/out=x" << true << "Edit2" << QVariant("/srv/out=x");
        QTest::newRow("interval zero") << "Edit6=0" << false << "Edit6" << QVariant("15");
        QTest::newRow("priority") << "ComboBox2=low" << true << "ComboBox2" << QVariant("Low");
        QTest::newRow("list") << "ListBox3=*/Sample|*.nzb||" << true << "ListBox3"
                              << QVariant(QStringList{"*/Sample", "*.nzb"});
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
