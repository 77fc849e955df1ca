#pragma once

#include <windows.h>

// A function of a Windows library loaded from the system folder when first asked for,
// not with the program: a library that only some uses of the clock need (the file
// dialog's, the common controls', the sound's) stays out of its memory until then. The
// library stays loaded. Null when the library or the function is not there (a function
// of a later Windows than this one).
template <class TFunction>
TFunction SystemFunction(const wchar_t* Library, const char* Name)
{
    HMODULE Module = GetModuleHandleW(Library);
    if (!Module) {
        Module = LoadLibraryExW(Library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
    return Module
        ? reinterpret_cast<TFunction>(reinterpret_cast<void*>(GetProcAddress(Module, Name)))
        : nullptr;
}
