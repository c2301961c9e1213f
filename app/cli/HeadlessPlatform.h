#pragma once
// The platform of a program without a desktop: the system's services, with nothing opened,
// played or powered off; each of those is named in the log instead.

#include <functional>

#include "engine/SoundOutput.h"
#include "platform/SystemPlatform.h"

class HeadlessPlatform : public SystemPlatform
{
public:
    using Note = std::function<void(const QString &text)>;
    explicit HeadlessPlatform(Note note) : m_note(std::move(note)) {}

    bool openPath(const QString &path) override;
    void requestShutdown() override;

private:
    Note m_note;
};

class HeadlessSound : public SoundOutput
{
public:
    explicit HeadlessSound(HeadlessPlatform::Note note) : m_note(std::move(note)) {}
    void PlaySoundFile(const QString &path) override;

private:
    HeadlessPlatform::Note m_note;
};
