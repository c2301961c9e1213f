// The shared helpers: size and duration texts, fields, digits and paths.

#include <QDir>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

#include "engine/Errors.h"
#include "engine/GeneralFuncs.h"

class TestGeneralFuncs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void formatSize_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << qint64(0) << QString();
        QTest::newRow("negative") << qint64(-5000) << QString();
        QTest::newRow("1024 is not above the threshold") << qint64(1024) << QString();
        QTest::newRow("1025") << qint64(1025) << QStringLiteral("1.00 KiB");
        QTest::newRow("1536") << qint64(1536) << QStringLiteral("1.50 KiB");
        QTest::newRow("exactly 1 MiB stays in KiB")
            << qint64(1048576) << QStringLiteral("1024.00 KiB");
        QTest::newRow("1048577") << qint64(1048577) << QStringLiteral("1.00 MiB");
        QTest::newRow("exactly 1 GiB") << qint64(1073741824) << QStringLiteral("1024.00 MiB");
        QTest::newRow("5 significant digits")
            << qint64(12345678LL * 1024) << QStringLiteral("11.77 GiB");
        QTest::newRow("large TiB")
            << qint64(5000LL * 1099511627776LL) << QStringLiteral("5000.00 TiB");
        QTest::newRow("exponent above 99999")
            << qint64(100000LL * 1099511627776LL + 1) << QStringLiteral("1.0000E+05 TiB");
    }
    void formatSize()
    {
        QFETCH(qint64, bytes);
        QFETCH(QString, text);
        QCOMPARE(FormatSize(bytes), text);
    }

    void formatSizeUsesLocaleSeparator()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(FormatSize(1536), QStringLiteral("1,50 KiB"));
        QCOMPARE(FormatSize(5000LL * 1048576LL), QStringLiteral("4,88 GiB"));
        QLocale::setDefault(QLocale::c());
    }

    void formatDuration_data()
    {
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << 0 << QString();
        QTest::newRow("59") << 59 << QStringLiteral("59 s");
        QTest::newRow("60 keeps its blank") << 60 << QStringLiteral("1 m ");
        QTest::newRow("3600") << 3600 << QStringLiteral("1 h ");
        QTest::newRow("3725") << 3725 << QStringLiteral("1 h 2 m 5 s");
        QTest::newRow("90061") << 90061 << QStringLiteral("1 d 1 h 1 m 1 s");
        QTest::newRow("one week") << 7 * 86400 << QStringLiteral("1 w ");
        QTest::newRow("52 weeks wrap") << 52 * 7 * 86400 + 1 << QStringLiteral("1 s");
        QTest::newRow("negative") << -5 << QString();
    }
    void formatDuration()
    {
        QFETCH(int, seconds);
        QFETCH(QString, text);
        QCOMPARE(FormatDuration(seconds), text);
    }

    void getToken()
    {
        const QChar semi(';');
        QCOMPARE(GetToken(QStringLiteral("a;b;c"), semi, 1), QStringLiteral("a"));
        QCOMPARE(GetToken(QStringLiteral("a;b;c"), semi, 2), QStringLiteral("b"));
        QCOMPARE(GetToken(QStringLiteral("a;b;c"), semi, -2), QStringLiteral("b;c"));
        QCOMPARE(GetToken(QStringLiteral("a;b;c"), semi, 3), QStringLiteral("c"));
        QCOMPARE(GetToken(QStringLiteral("a;b;c"), semi, 4), QString());
        QCOMPARE(GetToken(QStringLiteral("abc"), semi, 1), QStringLiteral("abc"));
        QCOMPARE(GetToken(QStringLiteral("abc"), semi, -1), QStringLiteral("abc"));
        QCOMPARE(GetToken(QStringLiteral("abc"), semi, 2), QString());
        QCOMPARE(GetToken(QStringLiteral("a;;c"), semi, 2), QString());
        QCOMPARE(GetToken(QStringLiteral("a;;c"), semi, 3), QStringLiteral("c"));
        QCOMPARE(GetToken(QStringLiteral("key=a=b"), QChar('='), -2), QStringLiteral("a=b"));
    }

    void tokenCount()
    {
        QCOMPARE(TokenCount(QStringLiteral("a;b;"), QChar(';')), 3);
        QCOMPARE(TokenCount(QString(), QChar(';')), 1);
    }

    void isNumeric()
    {
        QVERIFY(!IsNumeric(QString()));
        QVERIFY(IsNumeric(QStringLiteral("007")));
        QVERIFY(!IsNumeric(QStringLiteral("-7")));
        QVERIFY(!IsNumeric(QStringLiteral("1.5")));
        QVERIFY(!IsNumeric(QStringLiteral(" 5")));
        QVERIFY(!IsNumeric(QStringLiteral("\u0665"))); // an Arabic-Indic digit is not 0-9
    }

    void smallConversions()
    {
        QCOMPARE(IfThenStr(true, QStringLiteral("a"), QStringLiteral("b")), QStringLiteral("a"));
        QCOMPARE(IfThenStr(false, QStringLiteral("a"), QStringLiteral("b")), QStringLiteral("b"));
        QCOMPARE(BoolToDigit(true), QStringLiteral("1"));
        QCOMPARE(BoolToDigit(false), QStringLiteral("0"));
        QCOMPARE(ToOem(QStringLiteral("Ünïcode")), QStringLiteral("Ünïcode"));
    }

    void nameWithoutExtension()
    {
        QCOMPARE(NameWithoutExtension(QStringLiteral("/x/movie.part1.rar")),
                 QStringLiteral("movie.part1"));
        QCOMPARE(NameWithoutExtension(QStringLiteral("/x.d/README")), QStringLiteral("README"));
        QCOMPARE(NameWithoutExtension(QStringLiteral("/x/.hidden")), QString());
        QCOMPARE(NameWithoutExtension(QStringLiteral("a\\b.rar")), QStringLiteral("a\\b"));
    }

    // One rule for both halves: the folder never ends in "/", the name is what follows it.
    void folderAndFileName_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");
        QTest::newRow("file") << "/rel/cd1/x.part1.rar" << QString("/rel/cd1") << "x.part1.rar";
        QTest::newRow("folder with slash") << "/rel/cd1/" << QString("/rel/cd1") << "";
        QTest::newRow("in the root") << "/x.rar" << QString() << "x.rar";
        QTest::newRow("bare name") << "x.rar" << QString() << "x.rar";
        QTest::newRow("backslash is a name") << "/rel/a\\b" << QString("/rel") << "a\\b";
    }
    void folderAndFileName()
    {
        QFETCH(QString, path);
        QFETCH(QString, folder);
        QFETCH(QString, name);
        QCOMPARE(FolderOf(path), folder);
        QCOMPARE(FileNameOf(path), name);
    }

    void normalizePaths()
    {
        QCOMPARE(NormalizeSlashes(QString()), QString());
        QCOMPARE(NormalizeSlashes(QStringLiteral("/Rel///Sub//x")), QStringLiteral("/Rel/Sub/x"));
        QCOMPARE(NormalizeSlashes(QStringLiteral("a\\\\b")), QStringLiteral("a\\\\b"));
        QCOMPARE(NormalizeFolder(QStringLiteral("/Rel//Sub")), QStringLiteral("/Rel/Sub/"));
        QCOMPARE(NormalizeFolder(QStringLiteral("/Rel/Sub/")), QStringLiteral("/Rel/Sub/"));
        QVERIFY(NormalizeFolder(QStringLiteral("/rel")) != NormalizeFolder(QStringLiteral("/REL")));
    }

    void fileSize64()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("f.bin"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(5000, 'x'));
        file.close();
        QCOMPARE(FileSize64(path), qint64(5000));
        QVERIFY_THROWS_EXCEPTION(TevoError, FileSize64(dir.filePath(QStringLiteral("none"))));
    }

    void forceDirectory()
    {
        QTemporaryDir dir;
        const QString deep = dir.path() + QStringLiteral("//a/b//c");
        ForceDirectory(deep);
        QVERIFY(QFileInfo(dir.filePath(QStringLiteral("a/b/c"))).isDir());
        ForceDirectory(deep); // existing folders are fine

        // A file in the way cannot become a folder.
        QFile blocker(dir.filePath(QStringLiteral("file")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QVERIFY_THROWS_EXCEPTION(TevoError,
                                 ForceDirectory(dir.filePath(QStringLiteral("file/sub"))));
    }
};

QTEST_GUILESS_MAIN(TestGeneralFuncs)
#include "tst_generalfuncs.moc"
