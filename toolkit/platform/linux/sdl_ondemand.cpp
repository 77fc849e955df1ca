// SDL2 and SDL2_mixer, loaded when a sound is first wanted.
//
// Linked at start, the mixer brings some fifty libraries with it (its decoders, the MIDI
// synthesisers, the sound servers' clients and what they use): about 4.5 MB of resident
// memory and their start-up work, in a clock that most days never makes a sound. This
// file defines the SDL functions the audio service calls; the first call loads the
// mixer (and SDL with it) with dlopen and each function then forwards to the real one.
// The program is linked with --as-needed, so while every function the service calls is
// defined here the two libraries stay out of the start (bench/footprint reports whether
// they were loaded). When the mixer cannot be loaded, the functions fail as SDL does
// when there is no audio, and SDL_GetError says why.
#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>

#include <string>

#include <dlfcn.h>

namespace {
constexpr const char* MixerLibrary = "libSDL2_mixer-2.0.so.0";

struct TLibrary {
    void* Handle = nullptr;
    std::string Error;
};

// Loaded once, on the first call (SDL is only called from the window thread; the
// static's initialisation is thread-safe anyway).
const TLibrary& Library()
{
    static const TLibrary Loaded = [] {
        TLibrary L;
        L.Handle = dlopen(MixerLibrary, RTLD_NOW | RTLD_LOCAL);
        if (!L.Handle) {
            const char* Reason = dlerror();
            L.Error = std::string("bibliothèque audio introuvable (")
                + (Reason ? Reason : MixerLibrary) + ")";
        }
        return L;
    }();
    return Loaded;
}

template <class TFunction>
struct TSignature;
template <class R, class... A>
struct TSignature<R (*)(A...)> {
    using TResult = R;
};
template <auto Own>
using TResultOf = typename TSignature<decltype(Own)>::TResult;

// The real function behind one of ours (looked up in the mixer and the libraries it
// loaded, never in the program), or null when the mixer is missing.
template <auto Own>
decltype(Own) Real(const char* Name)
{
    static const auto Function = [Name] {
        const TLibrary& L = Library();
        return L.Handle ? reinterpret_cast<decltype(Own)>(dlsym(L.Handle, Name)) : nullptr;
    }();
    return Function;
}

template <auto Own, class... A>
TResultOf<Own> Call(const char* Name, TResultOf<Own> Failure, A... Args)
{
    const auto Function = Real<Own>(Name);
    return Function ? Function(Args...) : Failure;
}

template <auto Own, class... A>
void CallVoid(const char* Name, A... Args)
{
    if (const auto Function = Real<Own>(Name)) {
        Function(Args...);
    }
}
} // namespace

const char* SDL_GetError(void)
{
    return Call<&SDL_GetError>("SDL_GetError", Library().Error.c_str());
}

SDL_bool SDL_SetHint(const char* Name, const char* Value)
{
    return Call<&SDL_SetHint>("SDL_SetHint", SDL_FALSE, Name, Value);
}

int SDL_InitSubSystem(Uint32 Flags)
{
    return Call<&SDL_InitSubSystem>("SDL_InitSubSystem", -1, Flags);
}

void SDL_QuitSubSystem(Uint32 Flags)
{
    CallVoid<&SDL_QuitSubSystem>("SDL_QuitSubSystem", Flags);
}

SDL_RWops* SDL_RWFromConstMem(const void* Memory, int Size)
{
    return Call<&SDL_RWFromConstMem>("SDL_RWFromConstMem", nullptr, Memory, Size);
}

int Mix_Init(int Flags)
{
    return Call<&Mix_Init>("Mix_Init", 0, Flags);
}

int Mix_OpenAudio(int Frequency, Uint16 Format, int Channels, int ChunkSize)
{
    return Call<&Mix_OpenAudio>("Mix_OpenAudio", -1, Frequency, Format, Channels, ChunkSize);
}

void Mix_CloseAudio(void)
{
    CallVoid<&Mix_CloseAudio>("Mix_CloseAudio");
}

int Mix_QuerySpec(int* Frequency, Uint16* Format, int* Channels)
{
    return Call<&Mix_QuerySpec>("Mix_QuerySpec", 0, Frequency, Format, Channels);
}

int Mix_SetTimidityCfg(const char* Path)
{
    return Call<&Mix_SetTimidityCfg>("Mix_SetTimidityCfg", -1, Path);
}

void Mix_HookMusicFinished(void (*MusicFinished)(void))
{
    CallVoid<&Mix_HookMusicFinished>("Mix_HookMusicFinished", MusicFinished);
}

void Mix_ChannelFinished(void (*ChannelFinished)(int))
{
    CallVoid<&Mix_ChannelFinished>("Mix_ChannelFinished", ChannelFinished);
}

void Mix_SetPostMix(void (*MixFunction)(void*, Uint8*, int), void* Argument)
{
    CallVoid<&Mix_SetPostMix>("Mix_SetPostMix", MixFunction, Argument);
}

Mix_Music* Mix_LoadMUSType_RW(SDL_RWops* Source, Mix_MusicType Type, int FreeSource)
{
    return Call<&Mix_LoadMUSType_RW>("Mix_LoadMUSType_RW", nullptr, Source, Type, FreeSource);
}

void Mix_FreeMusic(Mix_Music* Music)
{
    CallVoid<&Mix_FreeMusic>("Mix_FreeMusic", Music);
}

double Mix_MusicDuration(Mix_Music* Music)
{
    return Call<&Mix_MusicDuration>("Mix_MusicDuration", -1.0, Music);
}

int Mix_PlayMusic(Mix_Music* Music, int Loops)
{
    return Call<&Mix_PlayMusic>("Mix_PlayMusic", -1, Music, Loops);
}

int Mix_HaltMusic(void)
{
    return Call<&Mix_HaltMusic>("Mix_HaltMusic", 0);
}

int Mix_SetMusicPosition(double Position)
{
    return Call<&Mix_SetMusicPosition>("Mix_SetMusicPosition", -1, Position);
}

Mix_Chunk* Mix_QuickLoad_RAW(Uint8* Memory, Uint32 Length)
{
    return Call<&Mix_QuickLoad_RAW>("Mix_QuickLoad_RAW", nullptr, Memory, Length);
}

void Mix_FreeChunk(Mix_Chunk* Chunk)
{
    CallVoid<&Mix_FreeChunk>("Mix_FreeChunk", Chunk);
}

int Mix_PlayChannel(int Channel, Mix_Chunk* Chunk, int Loops)
{
    return Call<&Mix_PlayChannel>("Mix_PlayChannel", -1, Channel, Chunk, Loops);
}

int Mix_HaltChannel(int Channel)
{
    return Call<&Mix_HaltChannel>("Mix_HaltChannel", 0, Channel);
}

int Mix_Playing(int Channel)
{
    return Call<&Mix_Playing>("Mix_Playing", 0, Channel);
}
