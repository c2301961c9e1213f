// The sound player over Qt Multimedia, and the Play button's toggle.

#include <QAudioDevice>
#include <QAudioOutput>
#include <QDataStream>
#include <QFile>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QTemporaryDir>
#include <QTest>
#include <QtMath>

#include "support/Fakes.h"
#include "support/ReleaseMaker.h"
#include "ui/SoundPlayer.h"
#include "ui/SoundTestButton.h"

namespace {

// A sound that plays until stopped, counting what was asked of it.
struct EndlessClip : SoundClip
{
    int *stops;
    bool playing = false;
    explicit EndlessClip(int *stopCounter) : stops(stopCounter) {}
    void Play() override { playing = true; }
    void Stop() override
    {
        ++*stops;
        playing = false;
    }
    bool IsPlaying() const override { return playing; }
};

} // namespace

class TestSoundPlayer : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_wav;
    // What this machine offers, asked of Qt Multimedia directly.
    bool m_machineHasSound = false;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_wav = m_dir.filePath(QStringLiteral("ding.wav"));
        ReleaseMaker::writeSineWav(m_wav, 1500);
        QMediaPlayer probe;
        m_machineHasSound = probe.isAvailable() && !QMediaDevices::audioOutputs().isEmpty();
        qInfo("sound on this machine: %s", m_machineHasSound ? "yes" : "no");
        QCOMPARE(InitSoundOutput(), !m_machineHasSound);
        QCOMPARE(SoundUnavailable(), !m_machineHasSound);
    }

    void missingOrEmptyFileLoadsNothing()
    {
        for (const QString &path :
             {QString(), m_dir.filePath(QStringLiteral("nope.wav")), m_dir.path()}) {
            TPMP3 player(path);
            QVERIFY(!player.HasStream());
            player.Play();
            QVERIFY(!player.IsPlaying());
            QCOMPARE(player.Position(), qint64(-1));
            QCOMPARE(player.Length(), qint64(-1));
            player.Stop();
        }
    }

    void withoutSoundNothingIsLoaded()
    {
        if (m_machineHasSound)
            QSKIP("this machine has a sound output; the unavailable case cannot show here");
        std::unique_ptr<TPMP3> player = PlaySoundFile(m_wav);
        QVERIFY(!player->HasStream());
        QVERIFY(!player->IsPlaying());
        QCOMPARE(player->Length(), qint64(-1));
        QtSoundOutput output;
        output.PlaySoundFile(m_wav);
        QCOMPARE(output.PlayerCount(), 1);
    }

    void playsStopsAndReportsLength()
    {
        if (!m_machineHasSound)
            QSKIP("no Qt Multimedia back-end with an audio output on this machine");
        std::unique_ptr<TPMP3> player = PlaySoundFile(m_wav);
        QVERIFY(player->HasStream());
        QTRY_VERIFY_WITH_TIMEOUT(player->IsPlaying(), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(player->Length() > 1400 && player->Length() < 1600, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(player->Position() > 0, 5000);
        player->Stop();
        QTRY_VERIFY_WITH_TIMEOUT(!player->IsPlaying(), 2000);
    }

    void undecodableFileEndsAtOnce()
    {
        if (!m_machineHasSound)
            QSKIP("no Qt Multimedia back-end with an audio output on this machine");
        const QString junk = m_dir.filePath(QStringLiteral("junk.wav"));
        QFile file(junk);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("this is no sound");
        file.close();
        std::unique_ptr<TPMP3> player = PlaySoundFile(junk);
        QTRY_VERIFY_WITH_TIMEOUT(!player->IsPlaying(), 5000);
    }

    void afterExtractionSoundsOverlap()
    {
        if (!m_machineHasSound)
            QSKIP("no Qt Multimedia back-end with an audio output on this machine");
        QtSoundOutput output;
        output.PlaySoundFile(m_wav);
        output.PlaySoundFile(m_wav);
        QCOMPARE(output.PlayerCount(), 2);
    }

    // The Play button with a sound that cannot play: the caption flips to "Stop" and back.
    void playButtonWithWrongFileFlipsBack()
    {
        TestContext t;
        QString caption = t.language.LangText(65);
        QStringList captions;
        SoundTestButton button(
            t.language, t.platform, [&] { return caption; },
            [&](const QString &text) {
                caption = text;
                captions << text;
            });
        button.Button12Click(m_dir.filePath(QStringLiteral("nope.wav")));
        QCOMPARE(captions, (QStringList{t.language.LangText(150), t.language.LangText(151)}));
        QCOMPARE(t.platform.processEventsCalls, 0);
    }

    // A second press, arriving through the event pump, stops the sound within one poll.
    void secondPressStopsTheSound()
    {
        TestContext t;
        QString caption = t.language.LangText(151);
        int stops = 0;
        QString playedPath;
        SoundTestButton button(
            t.language, t.platform, [&] { return caption; },
            [&](const QString &text) { caption = text; },
            [&](const QString &path) -> std::unique_ptr<SoundClip> {
                playedPath = path;
                auto clip = std::make_unique<EndlessClip>(&stops);
                clip->Play();
                return clip;
            });
        int pumps = 0;
        t.platform.onProcessEvents = [&] {
            if (++pumps == 3) {
                QCOMPARE(caption, t.language.LangText(150));
                button.Button12Click(m_wav); // the second press
            }
        };
        const std::uint32_t start = t.platform.tick;
        button.Button12Click(m_wav);
        QCOMPARE(playedPath, m_wav);
        QCOMPARE(stops, 1);
        QCOMPARE(pumps, 3);
        QCOMPARE(t.platform.tick - start, 150u); // three 50 ms polls
        QCOMPARE(caption, t.language.LangText(151));
        QVERIFY(button.StopSoundRequested());
    }
};

QTEST_MAIN(TestSoundPlayer)
#include "tst_soundplayer.moc"
