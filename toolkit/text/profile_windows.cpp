// The settings file's system side on Windows: names as wide text (the toolkit's text is
// UTF-16 already), the atomic replace by MoveFileExW.
#include "toolkit/text/profilefile.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

std::wstring Wide(TStringView Name)
{
    return std::wstring(Name.begin(), Name.end());
}

} // namespace

TProfileEntry ProfileEntry(TStringView Name)
{
    const DWORD Attributes
        = Name.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(Wide(Name).c_str());
    if (Attributes == INVALID_FILE_ATTRIBUTES) {
        return {};
    }
    const bool File = (Attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
    return { File ? TProfileEntryKind::File : TProfileEntryKind::Other,
        (Attributes & FILE_ATTRIBUTE_READONLY) == 0 };
}

bool ProfileFolderWritable(TStringView Name)
{
    if (Name.empty()) {
        return false;
    }
    const std::wstring Path = Wide(Name);
    wchar_t* Part = nullptr;
    std::wstring Full(MAX_PATH, L'\0');
    DWORD Length = GetFullPathNameW(Path.c_str(), DWORD(Full.size()), Full.data(), &Part);
    if (Length >= Full.size()) {
        Full.resize(Length);
        Length = GetFullPathNameW(Path.c_str(), DWORD(Full.size()), Full.data(), &Part);
    }
    if (Length == 0 || Length >= Full.size() || !Part) {
        return false;
    }
    // The folder is what comes before the name's last part; Windows ignores the
    // read-only attribute of a folder, so only its existence counts.
    Full.resize(size_t(Part - Full.data()));
    const DWORD Attributes = GetFileAttributesW(Full.c_str());
    return Attributes != INVALID_FILE_ATTRIBUTES && (Attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::FILE* ProfileOpenRead(TStringView Name)
{
    return _wfopen(Wide(Name).c_str(), L"rb");
}

bool ProfileReplace(TStringView Name, std::string_view Data)
{
    const std::wstring Path = Wide(Name);
    std::wstring Temporary;
    HANDLE File = INVALID_HANDLE_VALUE;
    for (unsigned Attempt = 0; Attempt < 100 && File == INVALID_HANDLE_VALUE; ++Attempt) {
        Temporary = Path + L"." + std::to_wstring(GetCurrentProcessId()) + L"."
            + std::to_wstring(GetTickCount() + Attempt) + L".tmp";
        File = CreateFileW(Temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
            FILE_ATTRIBUTE_NORMAL, nullptr);
        if (File == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) {
            return false;
        }
    }
    if (File == INVALID_HANDLE_VALUE) {
        return false;
    }
    bool Done = true;
    while (Done && !Data.empty()) {
        const DWORD Chunk = DWORD(std::min<size_t>(Data.size(), 1 << 20));
        DWORD Written = 0;
        Done = WriteFile(File, Data.data(), Chunk, &Written, nullptr) && Written == Chunk;
        Data.remove_prefix(Written);
    }
    Done = Done && FlushFileBuffers(File);
    Done = CloseHandle(File) && Done;
    Done = Done
        && MoveFileExW(
            Temporary.c_str(), Path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!Done) {
        DeleteFileW(Temporary.c_str());
    }
    return Done;
}
