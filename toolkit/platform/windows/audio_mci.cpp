#include "toolkit/platform/audio.h"

#include "toolkit/core/sysutils.h"
#include "toolkit/platform/serviceslot.h"
#include "toolkit/platform/windows/loader/systemfunction.h"
#include "toolkit/platform/windows/wintext.h"

#include <windows.h>

#include <mmsystem.h>

#include <algorithm>
#include <cwchar>
#include <string>

// Sound files through the Media Control Interface's string commands, each file by the
// device its extension calls for: waveaudio for WAV, sequencer for MIDI, and mpegvideo
// (DirectShow, which reads MP3 and most other formats by their content) for the rest.
// As on Linux the device is held only while the sound plays: opening a sound opens its
// device once to learn the length, and each Play opens it again. Every call is made on
// the window thread, which asks the device for its state instead of waiting for a
// notification window. The multimedia library is loaded with the first sound: a clock
// that never rings does not keep it, nor the codec manager it brings, resident.

namespace {
constexpr std::uintmax_t MaxSoundFileBytes = 64 * 1024 * 1024;

// The Qt-free build has no tstring.cpp yet (see core/qtfree/sysutils.h): the texts are
// put together here.
TString Digits(std::int64_t Value)
{
    const std::wstring Text = std::to_wstring(Value);
    return TextOf(Text.c_str(), Text.size());
}

TString Failure(const char16_t* What, const TString& FileName, const TString& Reason)
{
    return What + (u" « " + FileName + u" » : ") + Reason;
}
const char16_t* const OpenFailure = u"Impossible d'ouvrir le fichier son";
const char16_t* const PlayFailure = u"Impossible de lire le fichier son";

struct TMci {
    decltype(&mciSendStringW) SendString
        = SystemFunction<decltype(&mciSendStringW)>(L"winmm.dll", "mciSendStringW");
    decltype(&mciGetErrorStringW) ErrorString
        = SystemFunction<decltype(&mciGetErrorStringW)>(L"winmm.dll", "mciGetErrorStringW");
};

const TMci& Mci()
{
    static const TMci Loaded;
    return Loaded;
}

TString MciErrorText(MCIERROR Error)
{
    wchar_t Text[256] = {};
    if (!Mci().ErrorString || !Mci().ErrorString(Error, Text, DWORD(std::size(Text))) || !*Text) {
        return u"erreur MCI " + Digits(Error);
    }
    return TextOf(Text);
}

// Sends one command; its answer goes to Answer. 0 when the device did it.
MCIERROR Send(const TString& Command, TString* Answer = nullptr)
{
    wchar_t Buffer[128] = {};
    if (!Mci().SendString) {
        return MCIERR_DEVICE_NOT_INSTALLED;
    }
    const MCIERROR Error
        = Mci().SendString(WideOf(Command).c_str(), Buffer, UINT(std::size(Buffer)), nullptr);
    if (Answer) {
        *Answer = TextOf(Buffer);
    }
    return Error;
}

std::int64_t Number(const TString& Text)
{
    std::int64_t Value = 0;
    for (const char16_t C : Text) {
        if (C < u'0' || C > u'9') {
            return -1;
        }
        Value = Value * 10 + (C - u'0');
    }
    return Text.empty() ? -1 : Value;
}

TString DeviceType(const TString& FileName)
{
    const size_t Dot = FileName.find_last_of(u'.');
    TString Extension = Dot == TString::npos ? TString() : FileName.substr(Dot);
    for (char16_t& C : Extension) {
        C = C >= u'A' && C <= u'Z' ? char16_t(C + 32) : C;
    }
    if (Extension == u".wav") {
        return u"waveaudio";
    }
    if (Extension == u".mid" || Extension == u".midi" || Extension == u".rmi") {
        return u"sequencer";
    }
    return u"mpegvideo";
}

class TMciSound;
TMciSound* GCurrent = nullptr; // the sound that plays

class TMciSound : public ISound {
public:
    TMciSound(TString FileName, std::int64_t LengthMs)
        : FFileName(std::move(FileName))
        , FLengthMs(LengthMs)
    {
    }
    ~TMciSound() override { Stop(); }

    void Play() override
    {
        Reap();
        if (FAlias.empty()) {
            if (GCurrent) {
                GCurrent->Stop(); // one sound at a time
            }
            const MCIERROR Error = OpenDevice(FFileName, FAlias);
            if (Error) {
                throw Exception(Failure(PlayFailure, FFileName, MciErrorText(Error)));
            }
            const TString From = FPositionMs > 0 && (FLengthMs < 0 || FPositionMs < FLengthMs)
                ? u" from " + Digits(FPositionMs)
                : TString();
            if (const MCIERROR Error = Send(u"play " + FAlias + From)) {
                CloseDevice();
                throw Exception(Failure(PlayFailure, FFileName, MciErrorText(Error)));
            }
            GCurrent = this;
        }
    }

    void Stop() override
    {
        if (FAlias.empty()) {
            return;
        }
        FPositionMs = DevicePosition();
        Send(u"stop " + FAlias);
        CloseDevice();
    }

    void Rewind() override
    {
        Stop();
        FPositionMs = 0;
    }

    bool Playing() override
    {
        Reap();
        return !FAlias.empty();
    }

    std::int64_t Position() override
    {
        Reap();
        if (FAlias.empty()) {
            return FPositionMs;
        }
        // Short of the length until the device has stopped at the end.
        const std::int64_t Played = DevicePosition();
        return FLengthMs > 0 ? std::min(Played, FLengthMs - 1) : Played;
    }

    std::int64_t Length() override
    {
        Reap();
        return FLengthMs;
    }

    // Opens FileName's device under a new alias, its times in milliseconds.
    static MCIERROR OpenDevice(const TString& FileName, TString& Alias)
    {
        static unsigned Serial = 0;
        const TString Name = u"veludor" + Digits(++Serial);
        const MCIERROR Error
            = Send(u"open \"" + FileName + u"\" type " + DeviceType(FileName) + u" alias " + Name);
        if (Error) {
            return Error;
        }
        Alias = Name;
        if (const MCIERROR Format = Send(u"set " + Alias + u" time format milliseconds")) {
            Send(u"close " + Alias);
            Alias.clear();
            return Format;
        }
        return 0;
    }

private:
    std::int64_t DevicePosition()
    {
        TString Answer;
        const std::int64_t Value
            = Send(u"status " + FAlias + u" position", &Answer) ? -1 : Number(Answer);
        return Value >= 0 ? Value : FPositionMs;
    }

    // A sound that played to its end: its device stopped by itself.
    void Reap()
    {
        TString Mode;
        if (FAlias.empty()
            || (Send(u"status " + FAlias + u" mode", &Mode) == 0
                && (Mode == u"playing" || Mode == u"seeking" || Mode == u"not ready"))) {
            return;
        }
        const std::int64_t Played = DevicePosition();
        if (FLengthMs < 0) {
            FLengthMs = Played;
        }
        FPositionMs = FLengthMs;
        CloseDevice();
    }

    void CloseDevice()
    {
        Send(u"close " + FAlias);
        FAlias.clear();
        if (GCurrent == this) {
            GCurrent = nullptr;
        }
    }

    TString FFileName;
    TString FAlias; // while the device is open
    std::int64_t FLengthMs; // -1 until known
    std::int64_t FPositionMs = 0; // while not playing
};

class TMciAudio : public IAudioService {
public:
    std::unique_ptr<ISound> OpenSound(const TString& FileName) override
    {
        if (FileName.empty() || FileName.find_first_of(u"\"\0", 0, 2) != TString::npos) {
            throw Exception(Failure(OpenFailure, FileName, u"nom de fichier incorrect"));
        }
        // A missing file is left to the device, whose text tells it. What it would not
        // tell as clearly is checked first.
        WIN32_FILE_ATTRIBUTE_DATA Info;
        if (GetFileAttributesExW(WideOf(FileName).c_str(), GetFileExInfoStandard, &Info)) {
            if (Info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                throw Exception(Failure(OpenFailure, FileName, u"ce n'est pas un fichier"));
            }
            const std::uintmax_t Size
                = std::uintmax_t(Info.nFileSizeHigh) << 32 | Info.nFileSizeLow;
            if (Size == 0) {
                throw Exception(Failure(OpenFailure, FileName, u"fichier vide"));
            }
            if (Size > MaxSoundFileBytes) {
                throw Exception(
                    Failure(OpenFailure, FileName, u"fichier trop volumineux (plus de 64 Mo)"));
            }
        }
        TString Alias;
        if (const MCIERROR Error = TMciSound::OpenDevice(FileName, Alias)) {
            throw Exception(Failure(OpenFailure, FileName, MciErrorText(Error)));
        }
        TString Answer;
        const std::int64_t Length
            = Send(u"status " + Alias + u" length", &Answer) ? -1 : Number(Answer);
        Send(u"close " + Alias);
        return std::make_unique<TMciSound>(FileName, Length > 0 ? Length : -1);
    }

    void Beep() override { MessageBeep(MB_OK); }
};
TMciAudio MciAudio;
TServiceSlot<IAudioService> Slot(MciAudio);
}

IAudioService& AudioService()
{
    return Slot.Get();
}
void SetAudioService(IAudioService* Service)
{
    Slot.Set(Service);
}
