// SFV verification against real files and SFV lists from cksfv and rhash: format, counters,
// progress, watch mode, Pause and Abort, hostile and malformed lists.

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include "engine/Crc32.h"
#include "engine/SfvCheck.h"
#include "support/Fakes.h"
#include "support/ReleaseMaker.h"

using ReleaseMaker::writeFile;
using ReleaseMaker::writeText;

namespace {

QString Crc(const QString &path)
{
    TestContext t;
    return FileCrc32(t.context, path);
}

// Flips one byte in the middle of a file.
void Damage(const QString &path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    const qint64 middle = file.size() / 2;
    file.seek(middle);
    char byte = 0;
    file.getChar(&byte);
    file.seek(middle);
    file.putChar(char(byte ^ 0x40));
}

QStringList SfvMessages(const TestContext &t)
{
    QStringList result;
    for (const QString &message : t.log.messages()) {
        if (message.startsWith(QLatin1String("[SFV    ] ")))
            result << message.mid(10);
    }
    return result;
}

} // namespace

class TestSfvCheck : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_release;
    QStringList m_volumes; // names of a real RAR set in m_release
    QString m_crc00;       // CRC of the first volume

private slots:
    void initTestCase()
    {
        m_release = m_dir.filePath(QStringLiteral("Rel"));
        writeFile(m_release + "/movie.bin", 70 * 1024, 7);
        for (const QString &path :
             ReleaseMaker::makeRarSet(m_release, QStringLiteral("movie.rar"), {"movie.bin"}, 20))
            m_volumes << QFileInfo(path).fileName();
        QFile::remove(m_release + "/movie.bin");
        QCOMPARE(m_volumes.size(), 4);
        m_crc00 = Crc(m_release + "/" + m_volumes.first());
    }

    void parserReadsTheFormat()
    {
        const QList<SfvEntry> entries = ParseSfv(
            "; comment\r\n\r\nmovie.r00 1a2b3c4d\rtwo  1a2b3c4d\nmore 1a2b3c4d and words\r\n"
            ";movie.r01 00000000\n 1a2b3c4d\nnoblank\ntab\t1a2b3c4d\nlast 12345678\n"
            "My Movie.part1.rar 0A1B2C3D\nshort 1a2b3c4");
        QCOMPARE(entries.size(), 9);
        // Names with blanks, as checksum tools write them: the CRC is the last word.
        const QList<QStringList> expected{
            {"movie.r00", "1a2b3c4d", "1"}, {"two", "1a2b3c4d", "1"},
            {"more", "1a2b3c4d", "1"},      {"", "1a2b3c4d", "1"},
            {"noblank", "", "0"},           {"tab\t1a2b3c4d", "", "0"},
            {"last", "12345678", "1"},      {"My Movie.part1.rar", "0A1B2C3D", "1"},
            {"short", "1a2b3c4", "1"}};
        for (int i = 0; i < entries.size(); ++i) {
            QCOMPARE(entries.at(i).name, expected.at(i).at(0));
            QCOMPARE(entries.at(i).expectedCrc, expected.at(i).at(1));
            QCOMPARE(entries.at(i).hasBlank, expected.at(i).at(2) == QLatin1String("1"));
        }
        QVERIFY(ParseSfv(QByteArray()).isEmpty());
        QVERIFY(ParseSfv("\r\n\n\r\r\n;x\n").isEmpty());
        // Latin-1 lists as Windows tools write them, and UTF-8 with a byte-order mark.
        QCOMPARE(ParseSfv("Caf\xe9.r00 12345678\r\n").first().name, QStringLiteral("Café.r00"));
        QCOMPARE(ParseSfv("\xef\xbb\xbf"
                          "Caf\xc3\xa9.r00 12345678")
                     .first()
                     .name,
                 QStringLiteral("Café.r00"));
    }

    void cksfvAndRhashListsPass()
    {
        QVERIFY(ReleaseMaker::makeSfv(m_release, "cksfv.sfv", m_volumes));
        TestContext t;
        t.settings.setFullOutput(true);
        QVERIFY(CheckSFV(t.context, m_release + "/cksfv.sfv"));
        QStringList messages = SfvMessages(t);
        QCOMPARE(messages.size(), 6);
        QCOMPARE(messages.first(),
                 QStringLiteral("%1 OK (CRC %2)").arg(m_volumes.first(), m_crc00));
        QCOMPARE(messages.last(), QStringLiteral("4 OK, 0 failed, 0 missing (0 s)"));
        QCOMPARE(t.view.currentFileText, QStringLiteral("(SFV) cksfv.sfv"));
        QCOMPARE(t.view.progressMaximum, 4);
        QCOMPARE(t.view.progressPosition, 4);

        QVERIFY(ReleaseMaker::run(QStringLiteral("sh"),
                                  {"-c", "rhash --sfv " + m_volumes.join(' ') + " > rhash.sfv"},
                                  m_release));
        TestContext t2;
        QVERIFY(CheckSFV(t2.context, m_release + "/rhash.sfv"));
        QCOMPARE(SfvMessages(t2).last(), QStringLiteral("4 OK, 0 failed, 0 missing (0 s)"));
    }

    void lineEndsAndCase_data()
    {
        QTest::addColumn<QByteArray>("separator");
        QTest::newRow("CR LF") << QByteArray("\r\n");
        QTest::newRow("LF") << QByteArray("\n");
        QTest::newRow("CR") << QByteArray("\r");
    }
    void lineEndsAndCase()
    {
        QFETCH(QByteArray, separator);
        QByteArray content = "; made by hand" + separator + separator;
        bool lower = false;
        for (const QString &volume : std::as_const(m_volumes)) {
            const QString crc = Crc(m_release + "/" + volume);
            content += (volume + ' ' + (lower ? crc.toLower() : crc)).toUtf8() + separator;
            lower = !lower;
        }
        QTemporaryDir dir;
        for (const QString &volume : std::as_const(m_volumes))
            QFile::copy(m_release + "/" + volume, dir.filePath(volume));
        writeText(dir.filePath("x.sfv"), content);
        TestContext t;
        QVERIFY(CheckSFV(t.context, dir.filePath("x.sfv")));
        QCOMPARE(SfvMessages(t).last(), QStringLiteral("4 OK, 0 failed, 0 missing (0 s)"));
    }

    void malformedLines_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("passes");
        QTest::addColumn<QString>("summary");
        const QString v = QStringLiteral("movie.part1.rar");
        QTest::newRow("plain") << v + " %1" << true << "1 OK, 0 failed, 0 missing (0 s)";
        QTest::newRow("trailing words")
            << v + " %1 words and more" << true << "1 OK, 0 failed, 0 missing (0 s)";
        QTest::newRow("two blanks") << v + "  %1" << true << "1 OK, 0 failed, 0 missing (0 s)";
        QTest::newRow("no blank") << v << false << "0 OK, 1 failed, 0 missing (0 s)";
        QTest::newRow("tab") << v + "\t%1" << false << "0 OK, 0 failed, 1 missing (0 s)";
        QTest::newRow("commented")
            << ";" + v + " 00000000" << true << "0 OK, 0 failed, 0 missing (0 s)";
        QTest::newRow("leading blank")
            << " " + v + " %1" << false << "0 OK, 0 failed, 1 missing (0 s)";
        QTest::newRow("prefix 0x") << v + " 0x%1" << false << "0 OK, 1 failed, 0 missing (0 s)";
        QTest::newRow("leading zero left out")
            << v + " %2" << false << "0 OK, 1 failed, 0 missing (0 s)";
    }
    void malformedLines()
    {
        QFETCH(QString, line);
        QFETCH(bool, passes);
        QFETCH(QString, summary);
        QTemporaryDir dir;
        // A file whose CRC starts with a zero, so that the short form differs.
        quint32 seed = 1;
        QString crc;
        do {
            writeFile(dir.filePath("movie.part1.rar"), 1000, seed++);
            crc = Crc(dir.filePath("movie.part1.rar"));
        } while (!crc.startsWith(QLatin1Char('0')));
        QString content = line;
        content.replace(QLatin1String("%1"), crc).replace(QLatin1String("%2"), crc.mid(1));
        writeText(dir.filePath("x.sfv"), content.toUtf8() + "\r\n");
        TestContext t;
        QCOMPARE(CheckSFV(t.context, dir.filePath("x.sfv")), passes);
        QCOMPARE(SfvMessages(t).filter(QStringLiteral(" missing (")).last(), summary);
    }

    // One flipped byte: text 103, and the entries after it are never looked at.
    void damagedVolumeStopsTheCheck()
    {
        QTemporaryDir dir;
        for (const QString &volume : std::as_const(m_volumes))
            QFile::copy(m_release + "/" + volume, dir.filePath(volume));
        QVERIFY(ReleaseMaker::makeSfv(dir.path(), "x.sfv", m_volumes));
        const QString expected = Crc(dir.filePath(m_volumes.at(1)));
        Damage(dir.filePath(m_volumes.at(1)));
        const QString computed = Crc(dir.filePath(m_volumes.at(1)));
        QVERIFY(computed != expected);
        QFile::remove(dir.filePath(m_volumes.at(3))); // would count as Missing if reached

        TestContext t;
        QVERIFY(!CheckSFV(t.context, dir.filePath("x.sfv")));
        QCOMPARE(SfvMessages(t),
                 (QStringList{QStringLiteral("%1 is damaged: CRC %2, expected %3")
                                  .arg(m_volumes.at(1), computed, expected),
                              "Checked in 0 seconds", "1 OK, 1 failed, 0 missing (0 s)"}));
        QCOMPARE(t.view.progressPosition, 1);
    }

    void missingFileIsCountedAndTheCheckGoesOn()
    {
        QTemporaryDir dir;
        QFile::copy(m_release + "/" + m_volumes.first(), dir.filePath("b.r00"));
        writeText(dir.filePath("x.sfv"), "a.r00 12345678\r\nb.r00 " + m_crc00.toUtf8() + "\r\n");
        TestContext t;
        t.job.JobStartTick = t.platform.tick - 4500;
        QVERIFY(!CheckSFV(t.context, dir.filePath("x.sfv")));
        QCOMPARE(
            t.view.progressText,
            QStringLiteral("1 File OK, 0 Files Failed, 1 File Missing (Time elapsed ins: 4 s)"));
        // The summary names what is missing.
        QCOMPARE(SfvMessages(t).mid(SfvMessages(t).size() - 2),
                 (QStringList{"1 OK, 0 failed, 1 missing (0 s)", "Not in the folder: a.r00"}));
        QCOMPARE(t.view.progressMaximum, 2);
        QCOMPARE(t.view.progressPosition, 1);
    }

    void watchModeFailsAtTheFirstMissingVolume()
    {
        QTemporaryDir dir;
        for (const QString &volume : std::as_const(m_volumes))
            QFile::copy(m_release + "/" + volume, dir.filePath(volume));
        QVERIFY(ReleaseMaker::makeSfv(dir.path(), "x.sfv", m_volumes));
        QFile::remove(dir.filePath(m_volumes.at(1)));
        QFile::remove(dir.filePath(m_volumes.at(2)));

        TestContext t;
        t.job.WatchTimerEnabled = true;
        QVERIFY(!CheckSFV(t.context, dir.filePath("x.sfv")));
        QCOMPARE(SfvMessages(t),
                 QStringList{m_volumes.at(1) + " is missing: the release is not complete yet"});
        QCOMPARE(t.platform.processEventsCalls, 0); // nothing was read

        // Complete again: watch mode checks like the normal mode.
        for (int i : {1, 2})
            QFile::copy(m_release + "/" + m_volumes.at(i), dir.filePath(m_volumes.at(i)));
        TestContext t2;
        t2.job.WatchTimerEnabled = true;
        QVERIFY(CheckSFV(t2.context, dir.filePath("x.sfv")));
    }

    void missingSfvFilePassesWithZeroCounts()
    {
        TestContext t;
        QVERIFY(CheckSFV(t.context, m_dir.filePath("none.sfv")));
        QCOMPARE(SfvMessages(t),
                 (QStringList{"Checked in 0 seconds", "0 OK, 0 failed, 0 missing (0 s)"}));
        QCOMPARE(t.view.currentFileText, QStringLiteral("(SFV) none.sfv"));
    }

    void pauseHoldsTheCheck()
    {
        QVERIFY(ReleaseMaker::makeSfv(m_release, "pause.sfv", m_volumes));
        TestContext t;
        int pausedRounds = 0;
        int entriesWhilePaused = 0;
        t.view.onProgress = [&] {
            if (t.job.Paused)
                ++entriesWhilePaused;
        };
        t.platform.onProcessEvents = [&] {
            if (t.view.progressPosition == 1 && pausedRounds == 0 && !t.job.Paused) {
                t.job.Paused = true; // Pause clicked after the first entry
                return;
            }
            if (t.job.Paused && ++pausedRounds == 25)
                t.job.Paused = false;
        };
        const std::uint32_t before = t.platform.tick;
        QVERIFY(CheckSFV(t.context, m_release + "/pause.sfv"));
        QCOMPARE(pausedRounds, 25);
        QCOMPARE(entriesWhilePaused, 0);
        QVERIFY(t.platform.tick - before >= 240); // slept 10 ms a round
        QCOMPARE(SfvMessages(t).last(), QStringLiteral("4 OK, 0 failed, 0 missing (0 s)"));
    }

    void abortEndsTheCheck()
    {
        QVERIFY(ReleaseMaker::makeSfv(m_release, "abort.sfv", m_volumes));
        TestContext t;
        t.platform.onProcessEvents = [&] { t.job.AbortRequested = true; };
        QVERIFY(!CheckSFV(t.context, m_release + "/abort.sfv"));
        QCOMPARE(SfvMessages(t).last(), QStringLiteral("1 OK, 0 failed, 0 missing (0 s)"));

        // Abort while paused.
        TestContext t2;
        t2.job.Paused = true;
        int rounds = 0;
        t2.platform.onProcessEvents = [&] {
            if (++rounds == 3)
                t2.job.AbortRequested = true;
        };
        QVERIFY(!CheckSFV(t2.context, m_release + "/abort.sfv"));
        QCOMPARE(SfvMessages(t2).last(), QStringLiteral("0 OK, 0 failed, 0 missing (0 s)"));

        // An abort after the last entry leaves a finished check.
        writeText(m_release + "/one.sfv", (m_volumes.first() + ' ' + m_crc00).toUtf8());
        TestContext t3;
        t3.platform.onProcessEvents = [&] { t3.job.AbortRequested = true; };
        QVERIFY(CheckSFV(t3.context, m_release + "/one.sfv"));
    }

    // Names are resolved inside the SFV file's folder only; anything else is never read.
    void hostileNamesAreNotRead()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath("Rel");
        writeFile(dir.filePath("outside.bin"), 100);
        writeFile(folder + "/CD1/inside.bin", 100);
        QVERIFY(QFile::link(dir.filePath("outside.bin"), folder + "/link.bin"));
        const QByteArray outsideCrc = Crc(dir.filePath("outside.bin")).toUtf8();
        writeText(folder + "/x.sfv",
                  "../outside.bin " + outsideCrc + "\n" + folder.toUtf8() + "/../outside.bin " +
                      outsideCrc + "\n/etc/passwd 00000000\nlink.bin " + outsideCrc +
                      "\nCD1/inside.bin " + Crc(folder + "/CD1/inside.bin").toUtf8() + "\n");
        TestContext t;
        QVERIFY(!CheckSFV(t.context, folder + "/x.sfv"));
        const QString suffix =
            QStringLiteral(" is not a file inside the SFV file's folder and is not read");
        QCOMPARE(SfvMessages(t),
                 (QStringList{"../outside.bin" + suffix, folder + "/../outside.bin" + suffix,
                              "/etc/passwd" + suffix, "link.bin" + suffix, "Checked in 0 seconds",
                              "1 OK, 0 failed, 4 missing (0 s)",
                              "Not in the folder: ../outside.bin, " + folder +
                                  "/../outside.bin, /etc/passwd, link.bin"}));
        QCOMPARE(t.platform.processEventsCalls, 2); // inside.bin's block, and its entry
    }

    // Lists of older tools: names in a code page, and a list that ends in NUL bytes.
    void namesOfOlderToolsAreFound_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("listed"); // the name's bytes in the list
        QTest::addColumn<QByteArray>("end");    // what follows the CRC
        QTest::newRow("Windows-1252")
            << "Café.r00" << QByteArray("Caf\xe9.r00") << QByteArray("\r\n");
        QTest::newRow("Shift-JIS, 0x5C as a second byte")
            << "表ソフト.r00" << QByteArray("\x95\x5c\x83\x5c\x83\x74\x83\x67.r00")
            << QByteArray("\r\n");
        // Padding the last block, straight after the last CRC; the length is given, as
        // QByteArray's text constructor stops at the first NUL.
        QTest::newRow("NULs and blanks padding the end")
            << "movie.r00" << QByteArray("movie.r00") << QByteArray("\0 \0 ", 4);
        QTest::newRow("a NUL before the line break")
            << "movie.r00" << QByteArray("movie.r00") << QByteArray("\0\r\n", 3);
    }
    void namesOfOlderToolsAreFound()
    {
        QFETCH(QString, fileName);
        QFETCH(QByteArray, listed);
        QFETCH(QByteArray, end);
        QTemporaryDir dir;
        writeFile(dir.filePath(fileName), 500);
        writeText(dir.filePath("x.sfv"),
                  "; old tool\r\n" + listed + " " + Crc(dir.filePath(fileName)).toLatin1() + end);
        TestContext t;
        QVERIFY2(CheckSFV(t.context, dir.filePath("x.sfv")),
                 qPrintable(t.log.messages().join('\n')));
        QCOMPARE(SfvMessages(t).last(), QStringLiteral("1 OK, 0 failed, 0 missing (0 s)"));
    }

    void emptyHugeAndBinaryListsGiveClearResults()
    {
        QTemporaryDir dir;
        writeText(dir.filePath("empty.sfv"), "");
        TestContext t;
        QVERIFY(CheckSFV(t.context, dir.filePath("empty.sfv")));
        QCOMPARE(SfvMessages(t).last(), QStringLiteral("0 OK, 0 failed, 0 missing (0 s)"));

        writeText(dir.filePath("a"), "abc");
        QByteArray huge;
        for (int i = 0; i < 20000; ++i)
            huge += "a 352441c2\r\n";
        writeText(dir.filePath("huge.sfv"), huge);
        TestContext t2;
        QVERIFY(CheckSFV(t2.context, dir.filePath("huge.sfv")));
        QCOMPARE(SfvMessages(t2).last(), QStringLiteral("20000 OK, 0 failed, 0 missing (0 s)"));
        QCOMPARE(t2.view.progressMaximum, 20000);

        QByteArray binary(256 * 1024, '\0');
        QRandomGenerator random(29);
        for (char &c : binary)
            c = char(random.generate() & 0xff);
        writeText(dir.filePath("binary.sfv"), binary);
        TestContext t3;
        QVERIFY(!CheckSFV(t3.context, dir.filePath("binary.sfv")));
        QVERIFY(SfvMessages(t3).filter(QStringLiteral(" missing (")).last().startsWith("0 OK, "));
        QVERIFY(SfvMessages(t3).last().endsWith(QStringLiteral(", …"))); // ten names at most

        writeFile(dir.filePath("disc.sfv"), 64 * 1024 * 1024 + 1);
        TestContext t4;
        QVERIFY(!CheckSFV(t4.context, dir.filePath("disc.sfv")));
        QCOMPARE(SfvMessages(t4), QStringList{dir.filePath("disc.sfv") +
                                              " is too large to be an SFV file and is not read"});
    }
};

QTEST_GUILESS_MAIN(TestSfvCheck)
#include "tst_sfvcheck.moc"
