#include "toolkit/platform/windows/wintext.h"

#include <windows.h>

TString SystemErrorText(unsigned long Code)
{
    wchar_t Buffer[512] = {};
    DWORD Length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, Code, 0, Buffer, DWORD(std::size(Buffer)), nullptr);
    while (Length > 0
        && (Buffer[Length - 1] == L'\r' || Buffer[Length - 1] == L'\n' || Buffer[Length - 1] == L' '
            || Buffer[Length - 1] == L'.')) {
        --Length;
    }
    return TextOf(Buffer, Length);
}
