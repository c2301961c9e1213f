// Sound playback through Qt Multimedia on a real audio server: a private PulseAudio daemon with a
// null sink, so that playing, stopping, position and length are checked on any machine.

#include <QDataStream>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QtMath>

#include "support/Fakes.h"
#include "support/ReleaseMaker.h"
#include "ui/SoundPlayer.h"
#include "ui/SoundTestButton.h"

class TestSoundOutput : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QProcess m_server;
    QString m_wav;

private slots:
    void initTestCase()
    {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("pulseaudio"));
        if (daemon.isEmpty())
            QSKIP("pulseaudio is not installed (scripts/setup-deps installs it)");
        QVERIFY(m_dir.isValid());
        const QString socket = m_dir.filePath(QStringLiteral("native"));
        // Set before Qt Multimedia first looks for a server, which happens on first use.
        qputenv("XDG_RUNTIME_DIR", m_dir.path().toLocal8Bit());
        qputenv("PULSE_RUNTIME_PATH", m_dir.path().toLocal8Bit());
        qputenv("PULSE_SERVER", "unix:" + socket.toLocal8Bit());
        m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_server.start(daemon, {"--daemonize=no", "--exit-idle-time=-1", "--system=false", "-n",
                                "--disable-shm", "--log-level=error",
                                "--load=module-null-sink sink_name=tevo_test",
                                "--load=module-native-protocol-unix socket=" + socket});
        QVERIFY(m_server.waitForStarted(5000));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(socket), 10000);

        m_wav = m_dir.filePath(QStringLiteral("ding.wav"));
        ReleaseMaker::writeSineWav(m_wav, 1500);
        QCOMPARE(InitSoundOutput(), false);
        QVERIFY(!SoundUnavailable());
    }

    void cleanupTestCase()
    {
        if (m_server.state() != QProcess::NotRunning) {
            m_server.terminate();
            if (!m_server.waitForFinished(5000))
                m_server.kill();
        }
    }

    void playsStopsAndReportsPositionAndLength()
    {
        std::unique_ptr<TPMP3> player = PlaySoundFile(m_wav);
        QVERIFY(player->HasStream());
        QTRY_VERIFY_WITH_TIMEOUT(player->IsPlaying(), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(player->Length() > 1400 && player->Length() < 1600, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(player->Position() > 0, 5000);
        QVERIFY(player->IsPlaying());
        player->Stop();
        QTRY_VERIFY_WITH_TIMEOUT(!player->IsPlaying(), 2000);
    }

    // Left alone, a sound ends by itself.
    void playsToItsEnd()
    {
        const QString shortWav = m_dir.filePath(QStringLiteral("blip.wav"));
        ReleaseMaker::writeSineWav(shortWav, 200);
        std::unique_ptr<TPMP3> player = PlaySoundFile(shortWav);
        QTRY_VERIFY_WITH_TIMEOUT(player->IsPlaying(), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(!player->IsPlaying(), 5000);
    }

    void undecodableFileEndsAtOnce()
    {
        const QString junk = m_dir.filePath(QStringLiteral("junk.wav"));
        QFile file(junk);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("this is no sound");
        file.close();
        std::unique_ptr<TPMP3> player = PlaySoundFile(junk);
        QVERIFY(player->HasStream());
        QTRY_VERIFY_WITH_TIMEOUT(!player->IsPlaying(), 5000);
    }

    // The after-extraction sounds keep playing side by side while the program goes on.
    void afterExtractionSoundsOverlap()
    {
        QtSoundOutput output;
        output.PlaySoundFile(m_wav);
        output.PlaySoundFile(m_wav);
        QCOMPARE(output.PlayerCount(), 2);
        QTest::qWait(300);
        QCOMPARE(output.PlayerCount(), 2);
    }

    // A sound that has ended is let go when the next one starts; one still playing is kept.
    void endedSoundsAreLetGo()
    {
        const QString shortWav = m_dir.filePath(QStringLiteral("short.wav"));
        const QString longWav = m_dir.filePath(QStringLiteral("long.wav"));
        ReleaseMaker::writeSineWav(shortWav, 150);
        ReleaseMaker::writeSineWav(longWav, 8000);
        QtSoundOutput output;
        output.PlaySoundFile(shortWav);
        output.PlaySoundFile(longWav);
        QCOMPARE(output.PlayerCount(), 2);
        QTest::qWait(3000); // the short one ends, the long one plays on
        output.PlaySoundFile(shortWav);
        QCOMPARE(output.PlayerCount(), 2);
    }

    // The Play button on a real sound: the second press stops it and the caption comes back.
    void playButtonSecondPressStops()
    {
        TestContext t;
        t.platform.pumpRealEvents = true;
        QString caption = t.language.LangText(151);
        SoundTestButton button(
            t.language, t.platform, [&] { return caption; },
            [&](const QString &text) { caption = text; });
        int pumps = 0;
        t.platform.onProcessEvents = [&] {
            if (++pumps == 5)
                button.Button12Click(m_wav); // the second press, while the first one loops
        };
        button.Button12Click(m_wav);
        QCOMPARE(pumps, 5);
        QVERIFY(button.StopSoundRequested());
        QCOMPARE(caption, t.language.LangText(151));
    }
};

QTEST_MAIN(TestSoundOutput)
#include "tst_soundoutput.moc"
