#pragma once
// Where the engine sends the after-extraction sound; the program plays it through Qt Multimedia.

#include <QString>

class SoundOutput
{
public:
    virtual ~SoundOutput() = default;
    // Starts playing the file in the background and returns at once; the sound plays to its end
    // while the program goes on. A missing or unplayable file stays silent.
    virtual void PlaySoundFile(const QString &path) = 0;
};
