#pragma once
// The sound player: one MP3 or WAV file played in the background through Qt Multimedia.

#include <memory>
#include <QList>
#include <QString>

#include "engine/SoundOutput.h"

class QAudioOutput;
class QMediaPlayer;

// What the Play button needs of a sound that is playing.
class SoundClip
{
public:
    virtual ~SoundClip() = default;
    virtual void Play() = 0;
    virtual void Stop() = 0;
    virtual bool IsPlaying() const = 0;
};

// One sound file. When sound is unavailable, or no file exists at the path, nothing is loaded and
// every operation does nothing.
class TPMP3 : public SoundClip
{
public:
    explicit TPMP3(const QString &fileName);
    ~TPMP3() override;

    void Play() override;
    void Stop() override;
    // True from Play until the sound has ended, been stopped or failed to decode.
    bool IsPlaying() const override;
    // Position and length in milliseconds; -1 when nothing is loaded.
    qint64 Position() const;
    qint64 Length() const;
    bool HasStream() const { return m_player != nullptr; }

private:
    std::unique_ptr<QAudioOutput> m_output;
    std::unique_ptr<QMediaPlayer> m_player;
};

// Looks once for a usable Qt Multimedia back-end with an audio output device. Returns true when
// sound is unavailable; from then on no player touches Qt Multimedia.
bool InitSoundOutput();
bool SoundUnavailable();

// Creates a player for the file and starts it; the caller owns the player.
std::unique_ptr<TPMP3> PlaySoundFile(const QString &path);

// The after-extraction sounds: each player lives until its sound has ended, so a sound plays to
// its end and sounds of successive folders may overlap.
class QtSoundOutput : public SoundOutput
{
public:
    void PlaySoundFile(const QString &path) override;
    int PlayerCount() const { return m_players.size(); }

private:
    QList<std::shared_ptr<TPMP3>> m_players;
};
