#pragma once

#include "toolkit/core/tstring.h"

#include <string>

// The toolkit's text and the Windows API's wide text are the same UTF-16 units (wchar_t
// is 16 bits wide on Windows): they pass between the two as they are.
static_assert(sizeof(wchar_t) == sizeof(char16_t));

inline std::wstring WideOf(TStringView Text)
{
    return std::wstring(reinterpret_cast<const wchar_t*>(Text.data()), Text.size());
}

inline TString TextOf(const wchar_t* Wide)
{
    return Wide ? TString(reinterpret_cast<const char16_t*>(Wide)) : TString();
}

inline TString TextOf(const wchar_t* Wide, size_t Length)
{
    return TString(reinterpret_cast<const char16_t*>(Wide), Length);
}

// The system's text for an error code (GetLastError's), without its line end; empty
// when it has none.
TString SystemErrorText(unsigned long Code);
