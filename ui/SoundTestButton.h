#pragma once
// The "Play" button beside the sound file: a toggle that plays the chosen sound once to try it.

#include <functional>
#include <memory>
#include <QString>

#include "ui/SoundPlayer.h"

class LanguageTexts;
class Platform;

class SoundTestButton
{
public:
    using ClipFactory = std::function<std::unique_ptr<SoundClip>(const QString &path)>;

    // caption/setCaption reach the button's text; the factory starts a sound (PlaySoundFile when
    // none is given).
    SoundTestButton(const LanguageTexts &language, Platform &platform,
                    std::function<QString()> caption,
                    std::function<void(const QString &)> setCaption, ClipFactory factory = {});

    // A press: starts the sound and stays until it ends or a second press (arriving through the
    // event pump) asks it to stop.
    void Button12Click(const QString &soundFile);
    bool StopSoundRequested() const { return m_stopSoundRequested; }

private:
    const LanguageTexts &m_language;
    Platform &m_platform;
    std::function<QString()> m_caption;
    std::function<void(const QString &)> m_setCaption;
    ClipFactory m_factory;
    bool m_stopSoundRequested = false;
};
