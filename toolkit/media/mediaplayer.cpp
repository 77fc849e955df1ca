#include "toolkit/media/mediaplayer.h"

#include "toolkit/core/sysutils.h"
#include "toolkit/platform/audio.h"

namespace {
// The code stored for a play or stop that failed after a successful open.
constexpr int PlayFailed = 1;
}

TMediaPlayer::TMediaPlayer(TComponent* AOwner)
    : TComponent(AOwner)
{
}

TMediaPlayer::~TMediaPlayer() = default;

void TMediaPlayer::CheckIfOpen() const
{
    if (!FSound) {
        throw Exception(u"Aucun périphérique MCI ouvert");
    }
}

void TMediaPlayer::ClearError()
{
    FError = 0;
    FErrorMessage.clear();
}

void TMediaPlayer::Open()
{
    Close();
    FSound = AudioService().OpenSound(FFileName);
    ClearError();
}

void TMediaPlayer::Close()
{
    FSound.reset();
}

void TMediaPlayer::Play()
{
    CheckIfOpen();
    try {
        if (FSound->Position() == FSound->Length()) {
            FSound->Rewind();
        }
        FSound->Play();
        ClearError();
    } catch (const Exception& E) {
        FError = PlayFailed;
        FErrorMessage = E.Message();
    }
}

void TMediaPlayer::Stop()
{
    CheckIfOpen();
    try {
        FSound->Stop();
        ClearError();
    } catch (const Exception& E) {
        FError = PlayFailed;
        FErrorMessage = E.Message();
    }
}

std::int64_t TMediaPlayer::Position() const
{
    return FSound ? FSound->Position() : 0;
}

std::int64_t TMediaPlayer::Length() const
{
    CheckIfOpen();
    return FSound->Length();
}
