#include "toolkit/platform/audio.h"

#include "toolkit/core/sysutils.h"
#include "toolkit/platform/serviceslot.h"
#include "toolkit/qt/qtconvert.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QObject>

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>

#include <atomic>
#include <cmath>
#include <numbers>
#include <vector>

// Sound through SDL2_mixer. Every SDL_mixer call is made on the window thread; SDL's
// audio thread only runs the three callbacks below, which touch nothing but atomics
// and post a wake-up to the window thread.
//
// The audio device is opened when sound starts and closed as soon as nothing sounds
// (the sound file ended or was stopped, the tone ended), so the program holds no
// device while the clock idles. SDL_mixer keeps a loaded piece of music tied to the
// open device, so a sound keeps its file's bytes in memory and loads them again each
// time it starts.

namespace {
Q_LOGGING_CATEGORY(lcAudio, "veludor.audio", QtInfoMsg)

// Alarm sounds are short; the cap keeps a mistaken choice (a film) from filling memory.
constexpr qint64 MaxSoundFileBytes = 64 * 1024 * 1024;
constexpr int BeepMs = 150;
constexpr double BeepHz = 880.0;
constexpr int RampMs = 5; // fade in and out so the tone does not click

// Written by the audio thread (and by halts made on the window thread), read on the
// window thread.
std::atomic<bool> GMusicActive { false }; // counts rendered frames while set
std::atomic<bool> GMusicFinished { false };
std::atomic<qint64> GMusicFrames { 0 };
std::atomic<int> GBytesPerFrame { 4 };
std::atomic<bool> GChannelFinished { false };
std::atomic<QObject*> GWaker { nullptr };

void WakeWindowThread();

void SDLCALL OnMusicFinished()
{
    GMusicActive = false;
    GMusicFinished = true;
    WakeWindowThread();
}

void SDLCALL OnChannelFinished(int)
{
    GChannelFinished = true;
    WakeWindowThread();
}

// Sees every mixed buffer: counts the frames played while the music runs, which
// gives the position of formats that cannot tell it themselves.
void SDLCALL OnPostMix(void*, Uint8*, int Len)
{
    if (GMusicActive) {
        GMusicFrames += Len / GBytesPerFrame;
    }
}

TString OpenFailure(const QString& FileName, const QString& Reason)
{
    return FromQt(
        QStringLiteral("Impossible d'ouvrir le fichier son « %1 » : %2").arg(FileName, Reason));
}

TString PlayFailure(const QString& FileName, const QString& Reason)
{
    return FromQt(
        QStringLiteral("Impossible de lire le fichier son « %1 » : %2").arg(FileName, Reason));
}

const QString NoDevice = QStringLiteral("aucun périphérique audio disponible");

class TSdlSound;

class TSdlAudio : public IAudioService {
public:
    ~TSdlAudio() override;
    std::unique_ptr<ISound> OpenSound(const TString& FileName) override;
    void Beep() override;

    // Opens the device for one more user; false (and the reason in SDL's error) when
    // there is none.
    bool AcquireDevice();
    void ReleaseDevice();
    int Frequency() const { return FFrequency; }
    Mix_Music* LoadMusic(const QByteArray& Data) const;

    // Finishes what the audio thread reported as ended: the sound's end position, the
    // music and the tone freed, the device closed when nothing sounds any more.
    void Reap();

    TSdlSound* FCurrent = nullptr; // the sound whose music is loaded and playing

private:
    void Initialise();
    void StopBeep();

    bool FInitialised = false;
    int FDeviceUsers = 0;
    int FFrequency = 44100;
    int FChannels = 2;
    std::unique_ptr<QObject> FWaker;
    std::vector<Sint16> FBeepSamples;
    Mix_Chunk* FBeepChunk = nullptr;
    int FBeepChannel = -1;
};

class TSdlSound : public ISound {
public:
    TSdlSound(TSdlAudio& Audio, QString FileName, QByteArray Data, qint64 LengthMs)
        : FAudio(Audio)
        , FFileName(std::move(FileName))
        , FData(std::move(Data))
        , FLengthMs(LengthMs)
    {
    }
    ~TSdlSound() override;

    void Play() override;
    void Stop() override;
    void Rewind() override;
    bool Playing() override;
    std::int64_t Position() override;
    std::int64_t Length() override;

    // The music reached its end (called by the service on the window thread).
    void Finished();

private:
    qint64 PlayedMs() const;
    void Unload();

    TSdlAudio& FAudio;
    QString FFileName;
    QByteArray FData; // Mix_Music reads from it while it plays
    Mix_Music* FMusic = nullptr;
    qint64 FLengthMs; // -1 until known
    qint64 FPositionMs = 0; // while not playing
    qint64 FStartMs = 0; // where the current playing started
};

// The instrument set for MIDI files. SDL_mixer's own synthesiser needs a timidity
// configuration; Debian's freepats package installs one. When none is found, SDL_mixer
// falls back to FluidSynth with the system's default sound font.
void ConfigureMidi()
{
    if (qEnvironmentVariableIsSet("TIMIDITY_CFG")) {
        return; // SDL_mixer reads it itself
    }
    for (const char* Candidate :
        { "/etc/timidity/freepats.cfg", "/etc/timidity.cfg", "/usr/share/timidity/timidity.cfg" }) {
        if (QFileInfo(QString::fromLatin1(Candidate)).isFile()) {
            Mix_SetTimidityCfg(Candidate);
            qCDebug(lcAudio) << "MIDI instruments from" << Candidate;
            return;
        }
    }
    qCDebug(lcAudio) << "no timidity configuration found";
}

TSdlAudio::~TSdlAudio()
{
    // At exit: no more wake-ups. The sounds were closed with their owners, but a tone
    // may still sound; the device closes after the callbacks are unhooked, which waits
    // for one that is running.
    GWaker = nullptr;
    StopBeep();
    if (FDeviceUsers > 0) {
        FDeviceUsers = 1;
        ReleaseDevice();
    }
}

void TSdlAudio::Initialise()
{
    if (FInitialised) {
        return;
    }
    FInitialised = true;
    // SDL would otherwise take SIGINT and SIGTERM for its own event queue, which no one
    // reads here, while the audio subsystem runs: the program could not be stopped.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    const QByteArray AppName = QCoreApplication::applicationName().toUtf8();
    if (!AppName.isEmpty()) {
        SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, AppName.constData());
    }
    FWaker = std::make_unique<QObject>();
    GWaker = FWaker.get();
    ConfigureMidi();
}

bool TSdlAudio::AcquireDevice()
{
    Initialise();
    if (FDeviceUsers > 0) {
        ++FDeviceUsers;
        return true;
    }
    // The audio subsystem is started and stopped with the device, so that nothing of
    // it (driver connection, threads) stays while the clock idles.
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        qCDebug(lcAudio) << "no audio subsystem:" << SDL_GetError();
        return false;
    }
    Mix_Init(MIX_INIT_MP3 | MIX_INIT_MID);
    if (Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024) != 0) {
        qCDebug(lcAudio) << "no audio device:" << Mix_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    Uint16 Format = 0;
    Mix_QuerySpec(&FFrequency, &Format, &FChannels);
    GBytesPerFrame = std::max(1, int(SDL_AUDIO_BITSIZE(Format) / 8) * FChannels);
    GMusicActive = false;
    GMusicFinished = false;
    GChannelFinished = false;
    Mix_HookMusicFinished(OnMusicFinished);
    Mix_ChannelFinished(OnChannelFinished);
    Mix_SetPostMix(OnPostMix, nullptr);
    FDeviceUsers = 1;
    qCDebug(lcAudio) << "device opened at" << FFrequency << "Hz," << FChannels << "channels";
    return true;
}

void TSdlAudio::ReleaseDevice()
{
    if (FDeviceUsers == 0 || --FDeviceUsers > 0) {
        return;
    }
    Mix_SetPostMix(nullptr, nullptr);
    Mix_HookMusicFinished(nullptr);
    Mix_ChannelFinished(nullptr);
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    qCDebug(lcAudio) << "device closed";
}

Mix_Music* TSdlAudio::LoadMusic(const QByteArray& Data) const
{
    SDL_RWops* Source = SDL_RWFromConstMem(Data.constData(), int(Data.size()));
    if (!Source) {
        return nullptr;
    }
    // The type comes from the content (freesrc = 1: the music owns the reader).
    return Mix_LoadMUSType_RW(Source, MUS_NONE, 1);
}

std::unique_ptr<ISound> TSdlAudio::OpenSound(const TString& Name)
{
    const QString FileName = ToQt(Name);
    Reap();
    QFileInfo Info(FileName);
    if (!Info.exists()) {
        throw Exception(OpenFailure(FileName, QStringLiteral("fichier introuvable")));
    }
    if (!Info.isFile()) {
        throw Exception(OpenFailure(FileName, QStringLiteral("ce n'est pas un fichier")));
    }
    QFile File(FileName);
    if (!File.open(QIODevice::ReadOnly)) {
        throw Exception(OpenFailure(FileName, QStringLiteral("lecture refusée")));
    }
    if (File.size() > MaxSoundFileBytes) {
        throw Exception(
            OpenFailure(FileName, QStringLiteral("fichier trop volumineux (plus de 64 Mo)")));
    }
    QByteArray Data = File.read(MaxSoundFileBytes + 1);
    if (Data.isEmpty()) {
        throw Exception(OpenFailure(FileName, QStringLiteral("fichier vide")));
    }
    if (Data.size() > MaxSoundFileBytes) {
        throw Exception(
            OpenFailure(FileName, QStringLiteral("fichier trop volumineux (plus de 64 Mo)")));
    }

    // Decoding needs the device open: SDL_mixer prepares the decoders for its format.
    if (!AcquireDevice()) {
        throw Exception(OpenFailure(FileName, NoDevice));
    }
    Mix_Music* Music = LoadMusic(Data);
    if (!Music) {
        qCDebug(lcAudio) << FileName << "does not decode:" << Mix_GetError();
        ReleaseDevice();
        throw Exception(
            OpenFailure(FileName, QStringLiteral("format non reconnu ou fichier endommagé")));
    }
    const double Seconds = Mix_MusicDuration(Music);
    Mix_FreeMusic(Music);
    ReleaseDevice();
    const qint64 LengthMs = Seconds > 0 ? qint64(std::llround(Seconds * 1000.0)) : -1;
    return std::make_unique<TSdlSound>(*this, FileName, std::move(Data), LengthMs);
}

void TSdlAudio::Reap()
{
    if (GMusicFinished.exchange(false) && FCurrent) {
        FCurrent->Finished();
    }
    if (GChannelFinished.exchange(false) && FBeepChunk && !Mix_Playing(FBeepChannel)) {
        StopBeep();
    }
}

void TSdlAudio::StopBeep()
{
    if (!FBeepChunk) {
        return;
    }
    Mix_HaltChannel(FBeepChannel);
    Mix_FreeChunk(FBeepChunk);
    FBeepChunk = nullptr;
    FBeepChannel = -1;
    ReleaseDevice();
}

void TSdlAudio::Beep()
{
    Reap();
    // A tone still sounding is cut and started again.
    StopBeep();
    if (!AcquireDevice()) {
        return; // no device: no tone, nothing to report
    }
    const int Frames = FFrequency * BeepMs / 1000;
    const int Ramp = FFrequency * RampMs / 1000;
    FBeepSamples.assign(size_t(Frames) * size_t(FChannels), 0);
    for (int i = 0; i < Frames; ++i) {
        const double Envelope = std::min({ 1.0, double(i) / Ramp, double(Frames - 1 - i) / Ramp });
        const double Value
            = 0.4 * Envelope * std::sin(2.0 * std::numbers::pi * BeepHz * i / FFrequency);
        for (int c = 0; c < FChannels; ++c) {
            FBeepSamples[size_t(i) * size_t(FChannels) + size_t(c)] = Sint16(Value * 32767.0);
        }
    }
    FBeepChunk = Mix_QuickLoad_RAW(reinterpret_cast<Uint8*>(FBeepSamples.data()),
        Uint32(FBeepSamples.size() * sizeof(Sint16)));
    FBeepChannel = FBeepChunk ? Mix_PlayChannel(-1, FBeepChunk, 0) : -1;
    if (FBeepChannel < 0) {
        qCDebug(lcAudio) << "tone not played:" << Mix_GetError();
        if (FBeepChunk) {
            Mix_FreeChunk(FBeepChunk);
            FBeepChunk = nullptr;
        }
        ReleaseDevice();
    }
}

TSdlSound::~TSdlSound()
{
    Stop();
}

qint64 TSdlSound::PlayedMs() const
{
    return FStartMs + GMusicFrames.load() * 1000 / FAudio.Frequency();
}

void TSdlSound::Play()
{
    FAudio.Reap();
    if (FMusic) {
        return; // already playing
    }
    if (FAudio.FCurrent) {
        FAudio.FCurrent->Stop(); // one music at a time
    }
    if (!FAudio.AcquireDevice()) {
        throw Exception(PlayFailure(FFileName, NoDevice));
    }
    FMusic = FAudio.LoadMusic(FData);
    if (!FMusic) {
        FAudio.ReleaseDevice();
        throw Exception(
            PlayFailure(FFileName, QStringLiteral("format non reconnu ou fichier endommagé")));
    }
    GMusicFinished = false;
    GMusicFrames = 0;
    GMusicActive = true;
    if (Mix_PlayMusic(FMusic, 0) != 0) {
        GMusicActive = false;
        const QString Reason = QString::fromUtf8(Mix_GetError());
        Unload();
        throw Exception(PlayFailure(FFileName, Reason));
    }
    FStartMs = 0;
    if (FPositionMs > 0) {
        // Formats that cannot seek start again from the beginning.
        if (Mix_SetMusicPosition(double(FPositionMs) / 1000.0) == 0) {
            FStartMs = FPositionMs;
        }
        GMusicFrames = 0;
    }
    FAudio.FCurrent = this;
}

void TSdlSound::Stop()
{
    FAudio.Reap();
    if (!FMusic) {
        return;
    }
    FPositionMs = Position();
    // The finished hook runs inside the halt, on this thread: nothing to reap then.
    Mix_HaltMusic();
    GMusicFinished = false;
    Unload();
}

void TSdlSound::Unload()
{
    Mix_FreeMusic(FMusic);
    FMusic = nullptr;
    if (FAudio.FCurrent == this) {
        FAudio.FCurrent = nullptr;
    }
    FAudio.ReleaseDevice();
}

void TSdlSound::Finished()
{
    if (!FMusic) {
        return;
    }
    if (FLengthMs < 0) {
        FLengthMs = PlayedMs();
    }
    FPositionMs = FLengthMs;
    Unload();
}

void TSdlSound::Rewind()
{
    Stop();
    FPositionMs = 0;
}

bool TSdlSound::Playing()
{
    FAudio.Reap();
    return FMusic != nullptr;
}

std::int64_t TSdlSound::Position()
{
    FAudio.Reap();
    if (!FMusic) {
        return FPositionMs;
    }
    // Until the music has ended the position stays short of the length: decoders may
    // play a few frames past the length they announced.
    const qint64 Played = PlayedMs();
    return FLengthMs > 0 ? std::min(Played, FLengthMs - 1) : Played;
}

std::int64_t TSdlSound::Length()
{
    FAudio.Reap();
    return FLengthMs;
}

TSdlAudio SdlAudio;
TServiceSlot<IAudioService> Slot(SdlAudio);

// Called on SDL's audio thread: the window thread does the rest in Reap.
void WakeWindowThread()
{
    if (QObject* Waker = GWaker.load()) {
        QMetaObject::invokeMethod(
            Waker, [] { SdlAudio.Reap(); }, Qt::QueuedConnection);
    }
}
}

IAudioService& AudioService()
{
    return Slot.Get();
}
void SetAudioService(IAudioService* Service)
{
    Slot.Set(Service);
}
