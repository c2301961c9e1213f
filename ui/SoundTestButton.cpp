#include "ui/SoundTestButton.h"

#include "engine/LanguageTexts.h"
#include "engine/Platform.h"
#include "engine/TextNumbers.h"

namespace {
constexpr int PollMs = 50;
} // namespace

SoundTestButton::SoundTestButton(const LanguageTexts &language, Platform &platform,
                                 std::function<QString()> caption,
                                 std::function<void(const QString &)> setCaption,
                                 ClipFactory factory)
    : m_language(language), m_platform(platform), m_caption(std::move(caption)),
      m_setCaption(std::move(setCaption)), m_factory(std::move(factory))
{
    if (!m_factory)
        m_factory = [](const QString &path) -> std::unique_ptr<SoundClip> {
            return PlaySoundFile(path);
        };
}

void SoundTestButton::Button12Click(const QString &soundFile)
{
    if (m_caption() == m_language.LangText(Text::SoundPlaying)) {
        // The press that arrives while the first one is still looping below.
        m_stopSoundRequested = true;
        return;
    }
    m_stopSoundRequested = false;
    m_setCaption(m_language.LangText(Text::SoundPlaying));
    std::unique_ptr<SoundClip> player = m_factory(soundFile);
    while (player->IsPlaying()) {
        if (m_stopSoundRequested) {
            player->Stop();
            break;
        }
        m_platform.sleepMs(PollMs);
        m_platform.processEvents();
    }
    player.reset();
    m_setCaption(m_language.LangText(Text::SoundIdle));
}
