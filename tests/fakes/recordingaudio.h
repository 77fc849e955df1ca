#pragma once

#include "toolkit/platform/audio.h"

#include <QStringList>

// Stands in for the sound output: it records the beeps and what was done with each
// sound file, and plays nothing. An opened file's sound has the length SoundLengthMs
// and stands still until the test moves it (MoveToEnd). Files named in Unreadable fail
// to open the way a missing file does. Installs itself on construction and puts the
// real output back on destruction.
class TRecordingAudio : public IAudioService {
public:
    class TSound : public ISound {
    public:
        TSound(TRecordingAudio& Audio, qint64 Length);
        ~TSound() override;
        void Play() override;
        void Stop() override;
        void Rewind() override;
        bool Playing() override { return FPlaying; }
        std::int64_t Position() override { return FPosition; }
        std::int64_t Length() override { return FLength; }
        void MoveToEnd();

    private:
        TRecordingAudio& FAudio;
        qint64 FLength;
        qint64 FPosition = 0;
        bool FPlaying = false;
    };

    TRecordingAudio();
    ~TRecordingAudio() override;

    std::unique_ptr<ISound> OpenSound(const TString& FileName) override;
    void Beep() override { ++Beeps; }

    // The sound that is open now (the last one opened and not yet closed), or null.
    TSound* Current() const { return FCurrent; }
    // Puts the open sound at its end, as if it had played through.
    void MoveToEnd();

    int Beeps = 0;
    qint64 SoundLengthMs = 1000;
    QStringList Unreadable;
    // "open <file>", "play", "stop", "rewind", "close", in order.
    QStringList Log;

private:
    TSound* FCurrent = nullptr;
};
