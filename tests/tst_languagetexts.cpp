// Language files: line numbering, line ends, placeholders and where files are found.

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

#include "engine/Errors.h"
#include "engine/LanguageTexts.h"
#include "engine/TextNumbers.h"
#include "support/Fakes.h"
#include "support/ReleaseMaker.h"

class TestLanguageTexts : public QObject
{
    Q_OBJECT

private slots:
    void lineEndsOfEveryKind()
    {
        LanguageTexts texts;
        texts.setText(QStringLiteral("zero\r\none\ntwo\rthree"));
        QCOMPARE(texts.count(), 4);
        QCOMPARE(texts.LangText(0), QStringLiteral("zero"));
        QCOMPARE(texts.LangText(1), QStringLiteral("one"));
        QCOMPARE(texts.LangText(2), QStringLiteral("two"));
        QCOMPARE(texts.LangText(3), QStringLiteral("three"));
        QCOMPARE(texts.LangText(4), QString());
        QCOMPARE(texts.LangText(-1), QString());
    }

    void emptyLinesKeepTheNumbering()
    {
        LanguageTexts texts;
        texts.setText(QStringLiteral("a\r\n\r\nc\n\nd\r\rf\r\n"));
        QCOMPARE(texts.count(), 7);
        QCOMPARE(texts.LangText(1), QString());
        QCOMPARE(texts.LangText(2), QStringLiteral("c"));
        QCOMPARE(texts.LangText(4), QStringLiteral("d"));
        QCOMPARE(texts.LangText(6), QStringLiteral("f"));
    }

    void blanksBelongToTheText()
    {
        LanguageTexts texts;
        texts.setText(QStringLiteral(" Options \n"));
        QCOMPARE(texts.LangText(0), QStringLiteral(" Options "));
    }

    void placeholders()
    {
        LanguageTexts texts;
        texts.setText(QStringLiteral("%s of %s\nno placeholder\n%s%s%s\n100%S done %s"));
        QCOMPARE(texts.LangText(0, {QStringLiteral("3"), QStringLiteral("7")}),
                 QStringLiteral("3 of 7"));
        QCOMPARE(texts.LangText(0, {QStringLiteral("3")}), QStringLiteral("3 of %s"));
        QCOMPARE(texts.LangText(0), QStringLiteral("%s of %s"));
        QCOMPARE(texts.LangText(1, {QStringLiteral("x")}), QStringLiteral("no placeholder"));
        // A value holding "%s" receives the next value in its place.
        QCOMPARE(
            texts.LangText(0, {QStringLiteral("a%s"), QStringLiteral("b"), QStringLiteral("c")}),
            QStringLiteral("ab of c"));
        QCOMPARE(texts.LangText(3, {QStringLiteral("x")}), QStringLiteral("100%S done x"));
    }

    void loadFileReplacesAndMissingFileKeeps()
    {
        QTemporaryDir dir;
        const QString first = dir.filePath(QStringLiteral("first.lng"));
        ReleaseMaker::writeText(first, "one\r\ntwo\r\n");
        LanguageTexts texts;
        QVERIFY(texts.loadFile(first));
        QCOMPARE(texts.count(), 2);
        QVERIFY(!texts.loadFile(dir.filePath(QStringLiteral("missing.lng"))));
        QCOMPARE(texts.LangText(1), QStringLiteral("two"));

        const QString second = dir.filePath(QStringLiteral("second.lng"));
        ReleaseMaker::writeText(second, "uno");
        QVERIFY(texts.loadFile(second));
        QCOMPARE(texts.count(), 1);
        QCOMPARE(texts.LangText(1), QString()); // never merged with the earlier file
    }

    // A file that is valid UTF-8 is read as UTF-8; any other is read as Windows-1252, the code
    // page language files written on Windows come in.
    void encodings_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("utf-8") << QByteArray("Schlie\xC3\x9F"
                                             "en")
                               << QStringLiteral("Schließen");
        QTest::newRow("utf-8 with byte-order mark")
            << QByteArray("\xEF\xBB\xBFUnpack") << QStringLiteral("Unpack");
        QTest::newRow("windows-1252 letters") << QByteArray("Schlie\xDF"
                                                            "en \xDC"
                                                            "ber")
                                              << QStringLiteral("Schließen Über");
        QTest::newRow("windows-1252 signs")
            << QByteArray("\x80 5 \x85 \x93x\x94 \x8A") << QStringLiteral("€ 5 … “x” Š");
        QTest::newRow("unassigned byte") << QByteArray("a\x81z") << QStringLiteral("a\u0081z");
    }
    void encodings()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("x.lng"));
        ReleaseMaker::writeText(file, bytes + "\r\nsecond");
        LanguageTexts texts;
        QVERIFY(texts.loadFile(file));
        QCOMPARE(texts.LangText(0), text);
        QCOMPARE(texts.LangText(1), QStringLiteral("second"));
    }

    void windows1252FileShowsNoReplacementCharacters()
    {
        LanguageTexts texts;
        QVERIFY(texts.loadFile(QStringLiteral(TEVO_SOURCE_DIR "/tests/data/deutsch-1252.lng")));
        QCOMPARE(texts.count(), 226);
        QCOMPARE(texts.LangText(7), QStringLiteral("Schließen"));
        QCOMPARE(texts.LangText(141), QStringLiteral("Wird abgebrochen …"));
        for (int n = 0; n < texts.count(); ++n)
            QVERIFY2(!texts.LangText(n).contains(QChar::ReplacementCharacter),
                     qPrintable(texts.LangText(n)));
    }

    void unreadableFileEmptiesTheTexts()
    {
        if (geteuid() == 0)
            QSKIP("root reads every file");
        QTemporaryDir dir;
        const QString locked = dir.filePath(QStringLiteral("locked.lng"));
        ReleaseMaker::writeText(locked, "x\n");
        QFile::setPermissions(locked, QFileDevice::WriteOwner);
        LanguageTexts texts;
        texts.setText(QStringLiteral("before"));
        QVERIFY_THROWS_EXCEPTION(TevoError, texts.loadFile(locked));
        QCOMPARE(texts.count(), 0);
    }

    void resolveLooksBesideTheNameThenInTheFolders()
    {
        QTemporaryDir program;
        QTemporaryDir data;
        ReleaseMaker::writeText(data.filePath(QStringLiteral("german.lng")), "x");
        ReleaseMaker::writeText(program.filePath(QStringLiteral("english.lng")), "x");
        const QStringList folders{program.path(), data.path()};
        QCOMPARE(LanguageTexts::resolve(QStringLiteral("german.lng"), folders),
                 QDir(data.path()).filePath(QStringLiteral("german.lng")));
        QCOMPARE(LanguageTexts::resolve(QStringLiteral("english.lng"), folders),
                 QDir(program.path()).filePath(QStringLiteral("english.lng")));
        QCOMPARE(LanguageTexts::resolve(QStringLiteral("none.lng"), folders), QString());
        QCOMPARE(LanguageTexts::resolve(QString(), folders), QString());
        const QString absolute = data.filePath(QStringLiteral("german.lng"));
        QCOMPARE(LanguageTexts::resolve(absolute, {}), absolute);
    }

    void shippedEnglishFileIsComplete()
    {
        LanguageTexts texts;
        QVERIFY(texts.loadFile(EnglishLanguageFile()));
        QCOMPARE(texts.LangText(0), QStringLiteral("Unpack"));
        QCOMPARE(texts.LangText(26), QStringLiteral(" Options "));
        QCOMPARE(texts.LangText(39), QStringLiteral("Close Tevo after extraction"));
        QVERIFY(texts.LangText(48).contains(QStringLiteral("Unpack with Tevo")));
        QCOMPARE(texts.LangText(152), QString());
        QCOMPARE(texts.LangText(155), texts.LangText(1));
        QCOMPARE(texts.LangText(161),
                 QStringLiteral("Clear queue and jump back to welcome screen"));
        // Texts that take values have as many placeholders as their users fill.
        QCOMPARE(texts.LangText(103).count(QStringLiteral("%s")), 3);
        QCOMPARE(texts.LangText(105).count(QStringLiteral("%s")), 4);
        QCOMPARE(texts.LangText(110).count(QStringLiteral("%s")), 2);
        QCOMPARE(texts.LangText(137, {QStringLiteral("v1.06")}),
                 QStringLiteral("Tevo v1.06 started"));
    }

    // Every number the program uses has its line, and none of them is empty.
    void shippedEnglishFileHasEveryNumberUsed()
    {
        LanguageTexts texts;
        QVERIFY(texts.loadFile(EnglishLanguageFile()));
        QList<int> used(std::begin(Text::All), std::end(Text::All));
        for (int n = 0; n <= Text::LastCaption; ++n)
            used << n;
        used << QList<int>(std::begin(Text::LaterCaptions), std::end(Text::LaterCaptions));
        for (const int n : std::as_const(used)) {
            QVERIFY2(n < texts.count(), qPrintable(QString::number(n)));
            QVERIFY2(!texts.LangText(n).trimmed().isEmpty(), qPrintable(QString::number(n)));
        }
    }
};

QTEST_GUILESS_MAIN(TestLanguageTexts)
#include "tst_languagetexts.moc"
