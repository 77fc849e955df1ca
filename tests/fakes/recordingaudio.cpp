#include "tests/fakes/recordingaudio.h"

#include "toolkit/core/sysutils.h"
#include "toolkit/qt/qtconvert.h"

TRecordingAudio::TRecordingAudio() { SetAudioService(this); }

TRecordingAudio::~TRecordingAudio() { SetAudioService(nullptr); }

std::unique_ptr<ISound> TRecordingAudio::OpenSound(const TString& Name)
{
    const QString FileName = ToQt(Name);
    Log << QStringLiteral("open ") + FileName;
    if (Unreadable.contains(FileName)) {
        throw Exception(FromQt(
            QStringLiteral("Impossible d'ouvrir le fichier son « %1 » : fichier introuvable")
                .arg(FileName)));
    }
    auto Sound = std::make_unique<TSound>(*this, SoundLengthMs);
    FCurrent = Sound.get();
    return Sound;
}

void TRecordingAudio::MoveToEnd()
{
    if (FCurrent) {
        FCurrent->MoveToEnd();
    }
}

TRecordingAudio::TSound::TSound(TRecordingAudio& Audio, qint64 Length)
    : FAudio(Audio)
    , FLength(Length)
{
}

TRecordingAudio::TSound::~TSound()
{
    FAudio.Log << QStringLiteral("close");
    if (FAudio.FCurrent == this) {
        FAudio.FCurrent = nullptr;
    }
}

void TRecordingAudio::TSound::Play()
{
    FAudio.Log << QStringLiteral("play");
    FPlaying = true;
}

void TRecordingAudio::TSound::Stop()
{
    FAudio.Log << QStringLiteral("stop");
    FPlaying = false;
}

void TRecordingAudio::TSound::Rewind()
{
    FAudio.Log << QStringLiteral("rewind");
    FPlaying = false;
    FPosition = 0;
}

void TRecordingAudio::TSound::MoveToEnd()
{
    FPosition = FLength;
    FPlaying = false;
}
