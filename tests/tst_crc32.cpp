// The CRC-32 of files: the same value as zlib and cksfv, block by block, with failures.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <thread>
#include <zlib.h>

#include "engine/Crc32.h"
#include "engine/Errors.h"
#include "support/Fakes.h"
#include "support/ReleaseMaker.h"

namespace {

QString ZlibCrc(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("unreadable");
    const QByteArray data = file.readAll();
    const uLong crc = crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef *>(data.constData()),
                            static_cast<uInt>(data.size()));
    return QStringLiteral("%1").arg(crc, 8, 16, QLatin1Char('0')).toUpper();
}

// The value cksfv writes for the file.
QString CksfvCrc(const QString &folder, const QString &name)
{
    QString output;
    if (!ReleaseMaker::run(QStringLiteral("cksfv"), {QStringLiteral("-b"), name}, folder, &output))
        return QString();
    for (const QString &line : output.split(QLatin1Char('\n'))) {
        if (line.startsWith(name + QLatin1Char(' ')))
            return line.mid(name.size() + 1).trimmed().toUpper();
    }
    return QString();
}

} // namespace

class TestCrc32 : public QObject
{
    Q_OBJECT

private slots:
    void knownValues()
    {
        QTemporaryDir dir;
        ReleaseMaker::writeText(dir.filePath("abc"), "abc");
        ReleaseMaker::writeText(dir.filePath("empty"), "");
        TestContext t;
        QCOMPARE(FileCrc32(t.context, dir.filePath("abc")), QStringLiteral("352441C2"));
        QCOMPARE(FileCrc32(t.context, dir.filePath("empty")), QStringLiteral("00000000"));
    }

    void sameAsZlibAndCksfv_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<int>("blocks");
        QTest::newRow("1 byte") << qint64(1) << 1;
        QTest::newRow("7 bytes") << qint64(7) << 1;
        QTest::newRow("one block less one") << qint64(65520) << 1;
        QTest::newRow("one block") << qint64(65521) << 1;
        QTest::newRow("one block and one") << qint64(65522) << 2;
        QTest::newRow("odd, several blocks") << qint64(3 * 65521 + 4093) << 4;
        // Files of four pieces (sixteen blocks each) and more are shared with a helper thread;
        // its blocks give the window no turn, so only the first piece's sixteen are certain.
        const qint64 piece = 16 * 65521;
        QTest::newRow("four pieces less one") << qint64(4 * piece - 1) << 64;
        QTest::newRow("four pieces") << qint64(4 * piece) << -1;
        QTest::newRow("four pieces and one") << qint64(4 * piece + 1) << -1;
        QTest::newRow("a volume") << qint64(5 * 1024 * 1024 + 13) << -1;
        QTest::newRow("a larger volume") << qint64(23 * piece + 65521 * 3 + 17) << -1;
    }
    void sameAsZlibAndCksfv()
    {
        QFETCH(qint64, size);
        QFETCH(int, blocks);
        QTemporaryDir dir;
        const QString path = ReleaseMaker::writeFile(dir.filePath("x.r00"), size, quint32(size));
        TestContext t;
        // Widgets live on the calling thread: the window must never be pumped from another.
        const std::thread::id caller = std::this_thread::get_id();
        bool pumpedElsewhere = false;
        t.platform.onProcessEvents = [&] {
            pumpedElsewhere |= std::this_thread::get_id() != caller;
        };
        const QString crc = FileCrc32(t.context, path);
        QCOMPARE(crc.size(), 8);
        QCOMPARE(crc, ZlibCrc(path));
        QCOMPARE(crc, CksfvCrc(dir.path(), QStringLiteral("x.r00")));
        QVERIFY(!pumpedElsewhere);
        // The window gets its turn after every block read on its own thread.
        if (blocks >= 0)
            QCOMPARE(t.platform.processEventsCalls, blocks);
        else
            QVERIFY(t.platform.processEventsCalls >= 16);
    }

    // An error raised while the window has its turn leaves the check at once, helper included.
    void errorDuringSharedCheckStopsTheHelper()
    {
        QTemporaryDir dir;
        const QString path = ReleaseMaker::writeFile(dir.filePath("x.r00"), 64 * 65521 * 3, 5);
        TestContext t;
        t.platform.onProcessEvents = [&] {
            if (t.platform.processEventsCalls == 3)
                throw TevoError(QStringLiteral("stop"));
        };
        QVERIFY_THROWS_EXCEPTION(TevoError, FileCrc32(t.context, path));
        // The next check of the same file is whole again.
        t.platform.onProcessEvents = nullptr;
        QCOMPARE(FileCrc32(t.context, path), ZlibCrc(path));
    }

    void unopenableFilesGiveEmptyText()
    {
        QTemporaryDir dir;
        TestContext t;
        QCOMPARE(FileCrc32(t.context, dir.filePath("missing")), QString());
        QCOMPARE(FileCrc32(t.context, dir.path()), QString());
    }

    // A file that opens but cannot be read ends the job instead of giving a made-up value.
    void readErrorIsRaised()
    {
        QFile probe(QStringLiteral("/proc/self/mem"));
        if (!probe.open(QIODevice::ReadOnly))
            QSKIP("no /proc/self/mem to read from");
        TestContext t;
        QVERIFY_THROWS_EXCEPTION(TevoError, FileCrc32(t.context, QStringLiteral("/proc/self/mem")));
    }
};

QTEST_GUILESS_MAIN(TestCrc32)
#include "tst_crc32.moc"
