#pragma once

#include <windows.h>

// A function of a Windows library loaded from the system folder when first asked for,
// not with the program: a library that only some uses of the clock need (the file
// dialog's, the common controls', the sound's) stays out of its memory until then. The
// library stays loaded: the load counts for the function kept, even when the library was
// loaded already, by a holder that may let it go. Null when the library or the function
// is not there (a function of a later Windows than this one). Callers keep what it gives.
template <class TFunction>
TFunction SystemFunction(const wchar_t* Library, const char* Name)
{
    HMODULE Module = LoadLibraryExW(Library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return Module
        ? reinterpret_cast<TFunction>(reinterpret_cast<void*>(GetProcAddress(Module, Name)))
        : nullptr;
}

// A system library loaded for a few calls and let go with this object, for a library
// that keeps no state of the program's between them and that the clock needs only now
// and then: the shell's, for the notification icon and the fonts folder, which under
// Wine keeps 1.2 MB resident with the two libraries it brings. The system counts the
// loads: a library loaded elsewhere too stays.
class TSystemLibrary {
public:
    explicit TSystemLibrary(const wchar_t* Library)
        : FModule(LoadLibraryExW(Library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32))
    {
    }
    ~TSystemLibrary()
    {
        if (FModule) {
            FreeLibrary(FModule);
        }
    }
    TSystemLibrary(const TSystemLibrary&) = delete;
    TSystemLibrary& operator=(const TSystemLibrary&) = delete;

    // Null when the library or the function is not there.
    template <class TFunction>
    TFunction Function(const char* Name) const
    {
        return FModule
            ? reinterpret_cast<TFunction>(reinterpret_cast<void*>(GetProcAddress(FModule, Name)))
            : nullptr;
    }

private:
    HMODULE FModule;
};
