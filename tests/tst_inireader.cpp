// The option-set reader: INI rules, line ends, odd and hostile input.

#include <QTemporaryDir>
#include <QTest>

#include "settings/IniReader.h"

class TestIniReader : public QObject
{
    Q_OBJECT

private slots:
    void sectionsAndKeysIgnoreLetterCase()
    {
        const IniReader ini = IniReader::fromBytes("[Options]\r\nCheckBox1=1\r\n[EDITS]\r\n"
                                                   "Edit1=/home/a\r\n");
        QVERIFY(ini.hasSection(QStringLiteral("options")));
        QCOMPARE(ini.readString(QStringLiteral("OPTIONS"), QStringLiteral("checkbox1")),
                 QStringLiteral("1"));
        QCOMPARE(ini.readString(QStringLiteral("Edits"), QStringLiteral("EDIT1")),
                 QStringLiteral("/home/a"));
        QVERIFY(!ini.hasSection(QStringLiteral("other")));
        QCOMPARE(ini.readString(QStringLiteral("other"), QStringLiteral("language"),
                                QStringLiteral("english.lng")),
                 QStringLiteral("english.lng"));
    }

    void firstOccurrenceWinsAndEntriesKeepFileOrder()
    {
        const IniReader ini = IniReader::fromBytes("[Options]\nb=1\nA=2\nB=3\na=4\nc=5\n"
                                                   "[other]\nx=1\n[OPTIONS]\nb=6\nd=7\n");
        const QList<IniEntry> entries = ini.entries(QStringLiteral("options"));
        QStringList seen;
        for (const IniEntry &entry : entries)
            seen << entry.key + QLatin1Char('=') + entry.value;
        QCOMPARE(seen, QStringList({QStringLiteral("b=1"), QStringLiteral("A=2"),
                                    QStringLiteral("c=5"), QStringLiteral("d=7")}));
    }

    void blanksAroundKeysAndValuesAreDropped()
    {
        const IniReader ini =
            IniReader::fromBytes("  [ Edits ]  \r\n\t Edit1 \t=  /a b/c  \r\nEdit2=\r\n");
        QCOMPARE(ini.readString(QStringLiteral("Edits"), QStringLiteral("Edit1")),
                 QStringLiteral("/a b/c"));
        QCOMPARE(ini.readString(QStringLiteral("Edits"), QStringLiteral("Edit2"),
                                QStringLiteral("default")),
                 QString());
    }

    void valuesKeepQuotesAndFurtherEqualSigns()
    {
        const IniReader ini =
            IniReader::fromBytes("[Edits]\nEdit4=\"/opt/my tools/mount\" -x=1 \"%1\"\nEdit2='x'\n");
        QCOMPARE(ini.readString(QStringLiteral("Edits"), QStringLiteral("Edit4")),
                 QStringLiteral("\"/opt/my tools/mount\" -x=1 \"%1\""));
        QCOMPARE(ini.readString(QStringLiteral("Edits"), QStringLiteral("Edit2")),
                 QStringLiteral("'x'"));
    }

    void allThreeLineEndsSplitLines()
    {
        const IniReader ini = IniReader::fromBytes("[a]\rk1=1\r\nk2=2\nk3=3\n\rk4=4\r\r\n");
        for (int i = 1; i <= 4; ++i)
            QCOMPARE(ini.readString(QStringLiteral("a"), QStringLiteral("k%1").arg(i)),
                     QString::number(i));
    }

    void longValuesAreCutAt2047Characters()
    {
        const QByteArray longValue(5000, 'v');
        const IniReader ini = IniReader::fromBytes("[a]\nk=" + longValue + "\nnext=ok\n");
        QCOMPARE(ini.readString(QStringLiteral("a"), QStringLiteral("k")).size(), 2047);
        QCOMPARE(ini.readString(QStringLiteral("a"), QStringLiteral("next")), QStringLiteral("ok"));
    }

    void integersAreWholeNumbersOnly_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("number");
        QTest::newRow("plain") << QByteArray("3") << 3;
        QTest::newRow("negative") << QByteArray("-5") << -5;
        QTest::newRow("plus") << QByteArray("+7") << 7;
        QTest::newRow("large") << QByteArray("99999999") << 99999999;
        QTest::newRow("beyond int") << QByteArray("99999999999") << 0;
        QTest::newRow("letters") << QByteArray("3a") << 0;
        QTest::newRow("empty") << QByteArray("") << 0;
        QTest::newRow("sign only") << QByteArray("-") << 0;
        QTest::newRow("decimal point") << QByteArray("2.0") << 0;
    }
    void integersAreWholeNumbersOnly()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, number);
        const IniReader ini = IniReader::fromBytes("[ListBox1]\nins=" + text + "\n");
        QCOMPARE(ini.readInteger(QStringLiteral("ListBox1"), QStringLiteral("ins"), 0), number);
    }

    void oddLinesAreIgnored()
    {
        const IniReader ini = IniReader::fromBytes(
            "before=section\n[open\n; comment=1\nno equal sign\n=no key\n[a]\nk=1\n[]\ne=2\n");
        QCOMPARE(ini.entries(QStringLiteral("a")).size(), 1);
        QCOMPARE(ini.readString(QString(), QStringLiteral("e")), QStringLiteral("2"));
        QVERIFY(!ini.hasSection(QStringLiteral("open")));
    }

    void byteOrderMarkIsSkipped()
    {
        const IniReader ini = IniReader::fromBytes("\xEF\xBB\xBF[other]\r\nlanguage=x.lng\r\n");
        QCOMPARE(ini.readString(QStringLiteral("other"), QStringLiteral("language")),
                 QStringLiteral("x.lng"));
    }

    void garbageAndHugeLinesReadWithoutTrouble()
    {
        QByteArray garbage;
        quint32 seed = 12345;
        for (int i = 0; i < 200000; ++i) {
            seed = seed * 1103515245u + 12345u;
            garbage += static_cast<char>(seed >> 24);
        }
        const IniReader noise = IniReader::fromBytes(garbage);
        Q_UNUSED(noise.entries(QStringLiteral("Options")));

        const QByteArray hugeLine = "[a]\nk=" + QByteArray(10 * 1024 * 1024, 'x') + "\nz=1\n";
        const IniReader huge = IniReader::fromBytes(hugeLine);
        QCOMPARE(huge.readString(QStringLiteral("a"), QStringLiteral("k")).size(), 2047);
        QCOMPARE(huge.readString(QStringLiteral("a"), QStringLiteral("z")), QStringLiteral("1"));
    }

    void missingFileReadsAsEmpty()
    {
        QTemporaryDir dir;
        const IniReader ini = IniReader::fromFile(dir.filePath(QStringLiteral("none.os")));
        QVERIFY(!ini.hasSection(QStringLiteral("Options")));
        QCOMPARE(ini.readInteger(QStringLiteral("ListBox1"), QStringLiteral("ins"), 0), 0);
    }
};

QTEST_GUILESS_MAIN(TestIniReader)
#include "tst_inireader.moc"
