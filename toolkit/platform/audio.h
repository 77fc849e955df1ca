#pragma once

#include "toolkit/core/tstring.h"

#include <cstdint>
#include <memory>

// One sound file opened for playback. Position and length are in milliseconds and
// compare equal once playback has reached the end. Play returns at once; the sound
// plays on the audio device, which is held only while sound is playing.
class ISound {
public:
    virtual ~ISound() = default; // stops the sound if it plays

    // Plays from the current position. A failure throws Exception with a French text.
    virtual void Play() = 0;
    // Stops playing and keeps the position.
    virtual void Stop() = 0;
    // Goes back to the start (stopping the sound if it plays).
    virtual void Rewind() = 0;
    virtual bool Playing() = 0;
    virtual std::int64_t Position() = 0;
    // The length, or -1 while it is not known: formats that do not tell their length
    // (MIDI) learn it when they have played to the end once.
    virtual std::int64_t Length() = 0;
};

// The sound output: sound files and the short warning tone. One sound file plays at a
// time: playing one stops another that was playing.
class IAudioService {
public:
    virtual ~IAudioService() = default;

    // Reads and checks FileName (relative names resolve against the current
    // directory). A file that cannot be played throws Exception whose French text
    // names the failure and the file.
    virtual std::unique_ptr<ISound> OpenSound(const TString& FileName) = 0;
    // A short tone that returns at once; a failure is not reported.
    virtual void Beep() = 0;
};

IAudioService& AudioService();
// Installs an audio service (not owned); nullptr puts the system's back.
void SetAudioService(IAudioService* Service);
