// The option-set writer: the exact file format, line ends in values, replacing files safely.

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "engine/Errors.h"
#include "settings/IniReader.h"
#include "settings/OptionSetWriter.h"

namespace {

// Every stored setting at its default.
OptionSetSnapshot defaultSnapshot()
{
    const QStringList checkedByDefault = {
        QStringLiteral("RadioButton3"),  QStringLiteral("RadioButton12"),
        QStringLiteral("CheckBox1"),     QStringLiteral("CheckBox4"),
        QStringLiteral("CheckBox5"),     QStringLiteral("RadioButton4"),
        QStringLiteral("CheckBox17"),    QStringLiteral("CheckBox7"),
        QStringLiteral("CheckBox18"),    QStringLiteral("RadioButton8"),
        QStringLiteral("RadioButton13"), QStringLiteral("CheckBox23"),
        QStringLiteral("CheckBox25"),    QStringLiteral("CheckBox27")};
    OptionSetSnapshot snapshot;
    for (const QString &key : OptionSetKeys::Options)
        snapshot.options.append({key, checkedByDefault.contains(key)});
    snapshot.edits = {{QStringLiteral("Edit1"), QString()},
                      {QStringLiteral("Edit2"), QString()},
                      {QStringLiteral("Edit4"), QStringLiteral("cdemu load 0 \"%1\"")},
                      {QStringLiteral("Edit6"), QStringLiteral("15")},
                      {QStringLiteral("ComboBox2"), QStringLiteral("Normal")}};
    snapshot.language = QStringLiteral("english.lng");
    snapshot.lists = {{}, {}, {}};
    return snapshot;
}

} // namespace

class TestOptionSetWriter : public QObject
{
    Q_OBJECT

private slots:
    void defaultsGiveTheKnownListing()
    {
        const QByteArray expected = "[Options]\r\nRadioButton1=0\r\nRadioButton2=0\r\n"
                                    "CheckBox2=0\r\nRadioButton3=1\r\nRadioButton12=1\r\n"
                                    "RadioButton14=0\r\nCheckBox9=0\r\nCheckBox1=1\r\n"
                                    "CheckBox4=1\r\nCheckBox6=0\r\nCheckBox5=1\r\nCheckBox8=0\r\n"
                                    "CheckBox3=0\r\nRadioButton4=1\r\nRadioButton5=0\r\n"
                                    "CheckBox10=0\r\nCheckBox11=0\r\nCheckBox15=0\r\n"
                                    "CheckBox16=0\r\nCheckBox17=1\r\nCheckBox7=1\r\n"
                                    "CheckBox18=1\r\nCheckBox22=0\r\nCheckBox19=0\r\n"
                                    "CheckBox20=0\r\nRadioButton8=1\r\nRadioButton9=0\r\n"
                                    "RadioButton10=0\r\nCheckBox13=0\r\nRadioButton11=0\r\n"
                                    "RadioButton13=1\r\nCheckBox14=0\r\nRJumpBackToWelcome=0\r\n"
                                    "CheckBox21=0\r\nCheckBox23=1\r\nCheckBox24=0\r\nCheckBox25="
                                    "1\r\nCheckBox26=0\r\nCheckBox27=1\r\n"
                                    "[Edits]\r\n"
                                    "Edit1=\r\nEdit2=\r\n"
                                    "Edit4=cdemu load 0 \"%1\"\r\nEdit6=15\r\nComboBox2=Normal\r\n"
                                    "[other]\r\nlanguage=english.lng\r\nLastOpenPath=\r\n"
                                    "[ListBox1]\r\nins=0\r\n[ListBox2]\r\nins=0\r\n"
                                    "[ListBox3]\r\nins=0\r\n";
        QCOMPARE(OptionSetKeys::Options.size(), 39);
        QCOMPARE(OptionSetBytes(defaultSnapshot()), expected);
    }

    void listsAreNumberedWithTheCountAfterThem()
    {
        OptionSetSnapshot snapshot = defaultSnapshot();
        snapshot.lists[0] = {QStringLiteral("/data/A"), QStringLiteral("/data/B")};
        snapshot.lists[2] = {QStringLiteral("*/Sample")};
        const QByteArray bytes = OptionSetBytes(snapshot);
        QVERIFY(bytes.contains("[ListBox1]\r\n0=/data/A\r\n1=/data/B\r\nins=2\r\n[ListBox2]\r\n"
                               "ins=0\r\n[ListBox3]\r\n0=*/Sample\r\nins=1\r\n"));
        QVERIFY(bytes.endsWith("ins=1\r\n"));
    }

    void lineEndsInValuesCannotForgeEntries()
    {
        OptionSetSnapshot snapshot = defaultSnapshot();
        snapshot.lists[0] = {QStringLiteral("/dl/x\r\n[Options]\nCheckBox3=1")};
        const IniReader reader = IniReader::fromBytes(OptionSetBytes(snapshot));
        QCOMPARE(reader.readString(QStringLiteral("Options"), QStringLiteral("CheckBox3")),
                 QStringLiteral("0"));
        QCOMPARE(reader.readString(QStringLiteral("ListBox1"), QStringLiteral("0")),
                 QStringLiteral("/dl/x  [Options] CheckBox3=1"));
    }

    void writingReplacesTheWholeFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("set.os"));
        {
            QFile old(path);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write(QByteArray(100000, 'o'));
        }
        WriteOptionSetFile(path, defaultSnapshot());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), OptionSetBytes(defaultSnapshot()));
    }

    void unwritableFileThrows()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("missing/folder/set.os"));
        QVERIFY_THROWS_EXCEPTION(TevoError, WriteOptionSetFile(path, defaultSnapshot()));
    }
};

QTEST_GUILESS_MAIN(TestOptionSetWriter)
#include "tst_optionsetwriter.moc"
