// Names written by older tools in a code page: what RAR sets of RAR 2 to 4 and ZIP files without
// the UTF-8 flag write.

#include <cstdio>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "engine/Pipeline.h"
#include "support/Fakes.h"
#include "support/Rar4Writer.h"
#include "support/ReleaseMaker.h"

using namespace ReleaseMaker;

class TestLegacyNames : public QObject
{
    Q_OBJECT

private slots:
    // RAR 2 to 4 entries without a Unicode name are read by the system that wrote them, ZIP
    // entries without the UTF-8 flag as ZIP tools read them: both are written under the name meant.
    // Shift-JIS is taken only where it explains a 0x5C second byte; invalid Shift-JIS, or valid
    // Shift-JIS without such a byte, is read in the code page of the system.
    void archiveNamesAreWrittenAsMeant_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<int>("hostOs"); // of a RAR archive; -1: a ZIP file
        QTest::addColumn<QStringList>("written");
        QTest::newRow("RAR of Unix, Windows-1252")
            << QByteArray("caf\xe9.txt") << 3 << QStringList{"café.txt"};
        QTest::newRow("RAR of Unix, UTF-8")
            << QByteArray("caf\xc3\xa9.txt") << 3 << QStringList{"café.txt"};
        QTest::newRow("ZIP in CP437 that is also Shift-JIS without 0x5C")
            << QByteArray("caf\x82\x83\x41.txt") << -1 << QStringList{"caféâA.txt"};
        QTest::newRow("RAR of Windows, in a folder of a code-page name, invalid Shift-JIS")
            << QByteArray("d\xe9j\xe0\\caf\xe9.txt") << 2 << QStringList{"déjà/café.txt"};
        // A Japanese Windows: 表 ends in the byte of "\".
        QTest::newRow("ZIP in Shift-JIS")
            << QByteArray("\x95\x5c\x83\x5c.txt") << -1 << QStringList{"表ソ.txt"};
    }
    void archiveNamesAreWrittenAsMeant()
    {
        QFETCH(QByteArray, stored);
        QFETCH(int, hostOs);
        QFETCH(QStringList, written);
        QTemporaryDir dir;
        if (hostOs < 0) {
            const QString work = dir.filePath("work");
            QDir().mkpath(work);
            // A file name of these bytes has no QString form: written with the C library.
            FILE *source = std::fopen((QFile::encodeName(work) + '/' + stored).constData(), "wb");
            QVERIFY(source);
            std::fputs("coffee", source);
            std::fclose(source);
            QVERIFY(run("sh", {"-c", "LC_ALL=C zip -q ../x.zip *"}, work));
            QDir(work).removeRecursively();
        } else {
            const Rar4Writer::Entry entry{stored, "coffee", unsigned(hostOs)};
            writeText(dir.filePath("x.rar"),
                      Rar4Writer::Volume({entry}, false, false, true, false));
        }
        TestContext t;
        t.settings.setDeleteSources(true);
        t.settings.setUnpackZipFirst(true);
        t.settings.setChecked(SettingKey::CheckBox18, true); // delete the ZIP after
        UnPack(t.context, dir.path());
        QCOMPARE(listTree(dir.path()), written);
        QCOMPARE(readAll(dir.filePath(written.last())), QByteArray("coffee"));
    }
};

QTEST_GUILESS_MAIN(TestLegacyNames)
#include "tst_legacynames.moc"
