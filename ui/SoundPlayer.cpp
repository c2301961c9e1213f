#include "ui/SoundPlayer.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QFileInfo>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QUrl>

namespace {
bool g_soundUnavailable = false;
}

bool InitSoundOutput()
{
    // Qt Multimedia loads its back-end lazily; a player that reports itself unavailable means no
    // back-end plugin could be loaded. Without an output device nothing could be heard either.
    QMediaPlayer probe;
    g_soundUnavailable = !probe.isAvailable() || QMediaDevices::audioOutputs().isEmpty();
    return g_soundUnavailable;
}

bool SoundUnavailable()
{
    return g_soundUnavailable;
}

TPMP3::TPMP3(const QString &fileName)
{
    if (g_soundUnavailable || !QFileInfo(fileName).isFile())
        return;
    m_output = std::make_unique<QAudioOutput>();
    m_player = std::make_unique<QMediaPlayer>();
    m_player->setAudioOutput(m_output.get());
    m_player->setSource(QUrl::fromLocalFile(QFileInfo(fileName).absoluteFilePath()));
}

TPMP3::~TPMP3()
{
    if (m_player)
        m_player->stop();
}

void TPMP3::Play()
{
    if (m_player)
        m_player->play();
}

void TPMP3::Stop()
{
    if (m_player)
        m_player->stop();
}

bool TPMP3::IsPlaying() const
{
    if (!m_player || m_player->error() != QMediaPlayer::NoError)
        return false;
    const QMediaPlayer::MediaStatus status = m_player->mediaStatus();
    if (status == QMediaPlayer::InvalidMedia || status == QMediaPlayer::EndOfMedia)
        return false;
    return m_player->playbackState() == QMediaPlayer::PlayingState;
}

qint64 TPMP3::Position() const
{
    return m_player ? m_player->position() : -1;
}

qint64 TPMP3::Length() const
{
    return m_player ? m_player->duration() : -1;
}

std::unique_ptr<TPMP3> PlaySoundFile(const QString &path)
{
    auto player = std::make_unique<TPMP3>(path);
    player->Play();
    return player;
}

void QtSoundOutput::PlaySoundFile(const QString &path)
{
    // Sounds that have ended are let go, so that a watch running for days does not gather one
    // player per release; those still playing are kept and go on.
    m_players.removeIf([](const std::shared_ptr<TPMP3> &player) { return !player->IsPlaying(); });
    m_players << std::shared_ptr<TPMP3>(::PlaySoundFile(path));
}
