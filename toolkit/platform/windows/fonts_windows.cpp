#include "toolkit/platform/fonts.h"

#include "toolkit/core/filepath.h"
#include "toolkit/platform/serviceslot.h"
#include "toolkit/platform/windows/loader/systemfunction.h"
#include "toolkit/platform/windows/wintext.h"

#include <windows.h>

// The folder identifiers are defined here (initguid.h), each kept only when used, rather
// than taken from the uuid library, whose one object brings all of Windows' 40 KB.
#include <initguid.h>
#include <knownfolders.h>
#include <shlobj.h>
// windows.h names AddFontResourceW this way, which would rename the interface's method.
#undef AddFontResource

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

// Files are read and written through the core's reader and the system's calls, not the
// standard library's streams and paths: linked statically, those bring their locale
// machinery, some 0.8 MB of the program's code.
namespace {

// A font file is small; anything larger is refused rather than read.
constexpr std::size_t MaxFontBytes = 64 * 1024 * 1024;
using TBytes = std::vector<std::uint8_t>;

bool ReadFontFile(const TString& Name, TBytes& Content)
{
    TFileReader File;
    return FileKindOf(Name) == TFileKind::Regular && File.Open(Name)
        && File.ReadAll(Content, MaxFontBytes) == TFileReader::TReadAll::Done;
}

// Writes Content into a new file of that name; false (and no file) when it cannot.
bool WriteNewFile(const std::wstring& Name, const TBytes& Content)
{
    HANDLE File = CreateFileW(
        Name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (File == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD Written = 0;
    // A font is at most 64 MB: one write.
    bool Done = WriteFile(File, Content.data(), DWORD(Content.size()), &Written, nullptr)
        && Written == Content.size();
    Done = CloseHandle(File) && Done;
    if (!Done) {
        DeleteFileW(Name.c_str());
    }
    return Done;
}

unsigned Read16(const TBytes& D, size_t At)
{
    return At + 2 <= D.size() ? unsigned(D[At]) << 8 | D[At + 1] : 0;
}
// Whether the four bytes at At are Tag.
bool HasTag(const TBytes& D, size_t At, const char (&Tag)[5])
{
    return At + 4 <= D.size() && std::equal(Tag, Tag + 4, D.begin() + std::ptrdiff_t(At));
}
std::uint32_t Read32(const TBytes& D, size_t At)
{
    return std::uint32_t(Read16(D, At)) << 16 | Read16(D, At + 2);
}

// The family name (name 1) of the font whose table directory starts at Font, as GDI
// knows the face: the Windows platform's record (UTF-16, big-endian), US English first.
// Empty when the file does not hold one; every offset is checked against the file.
TString FamilyOf(const TBytes& D, size_t Font)
{
    const unsigned Tables = Read16(D, Font + 4);
    size_t Name = 0;
    for (unsigned i = 0; i < Tables; ++i) {
        const size_t Record = Font + 12 + size_t(i) * 16;
        if (Record + 16 > D.size()) {
            break;
        }
        if (HasTag(D, Record, "name")) {
            Name = Read32(D, Record + 8);
            break;
        }
    }
    if (Name == 0 || Name >= D.size()) {
        return {};
    }
    const unsigned Count = Read16(D, Name + 2);
    const size_t Strings = Name + Read16(D, Name + 4);
    TString Best;
    for (unsigned i = 0; i < Count; ++i) {
        const size_t R = Name + 6 + size_t(i) * 12;
        if (R + 12 > D.size() || Read16(D, R) != 3 || Read16(D, R + 6) != 1) {
            continue;
        }
        const size_t Length = Read16(D, R + 8);
        const size_t At = Strings + Read16(D, R + 10);
        if (At + Length > D.size()) {
            continue;
        }
        TString Family;
        for (size_t k = 0; k + 1 < Length; k += 2) {
            Family += char16_t(Read16(D, At + k));
        }
        if (Best.empty() || Read16(D, R + 4) == 0x409) {
            Best = Family;
        }
    }
    return Best;
}

// The families of a TrueType or OpenType file, or of each font of a collection.
std::vector<TString> FamiliesOf(const TBytes& D)
{
    std::vector<TString> Fonts;
    std::vector<size_t> Starts { 0 };
    if (HasTag(D, 0, "ttcf")) {
        Starts.clear();
        const std::uint32_t Count = Read32(D, 8);
        for (std::uint32_t i = 0; i < Count && 12 + size_t(i) * 4 + 4 <= D.size(); ++i) {
            Starts.push_back(Read32(D, 12 + size_t(i) * 4));
        }
    }
    for (const size_t Start : Starts) {
        TString Family = FamilyOf(D, Start);
        if (!Family.empty() && std::find(Fonts.begin(), Fonts.end(), Family) == Fonts.end()) {
            Fonts.push_back(std::move(Family));
        }
    }
    return Fonts;
}

// The digit face for the program only, with no administrator's right. The fonts folder
// is the user's own (%LOCALAPPDATA%\Microsoft\Windows\Fonts), where a user may write:
// the system's folder (the shell's "Fonts" folder) refuses a normal user since Vista.
// The face is added as a private font of the process (AddFontResourceExW with
// FR_PRIVATE), so it is neither shown to other programs nor left behind at exit, and
// no WM_FONTCHANGE goes to the other windows: nothing changed for them.
class TPrivateFonts : public IFontService {
public:
    TString FontsFolder() const override
    {
        const TSystemLibrary ShellLibrary(L"shell32.dll");
        const auto KnownFolderPath
            = ShellLibrary.Function<HRESULT(WINAPI*)(REFKNOWNFOLDERID, DWORD, HANDLE, PWSTR*)>(
                "SHGetKnownFolderPath");
        PWSTR Path = nullptr;
        TString Folder;
        if (KnownFolderPath
            && SUCCEEDED(KnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_DEFAULT, nullptr, &Path))
            && Path && *Path) {
            Folder = TextOf(Path) + u"\\Microsoft\\Windows\\Fonts\\";
        }
        CoTaskMemFree(Path);
        return Folder;
    }

    bool CopyFontFile(const TString& SourceName, const TString& TargetName) override
    {
        TBytes Content;
        if (!ReadFontFile(SourceName, Content)) {
            return false;
        }
        // The same font already there is left alone: a running program holds it open.
        TBytes Present;
        if (ReadFontFile(TargetName, Present) && Present == Content) {
            return true;
        }
        const std::wstring Target = WideOf(TargetName);
        const std::size_t Slash = Target.find_last_of(L"\\/");
        if (Slash != std::wstring::npos) {
            const TSystemLibrary ShellLibrary(L"shell32.dll");
            const auto CreateFolders
                = ShellLibrary.Function<int(WINAPI*)(HWND, PCWSTR, const SECURITY_ATTRIBUTES*)>(
                    "SHCreateDirectoryExW");
            if (CreateFolders) {
                CreateFolders(nullptr, Target.substr(0, Slash).c_str(), nullptr);
            }
        }
        // Written aside and renamed over the old one, so no reader sees half a font.
        const std::wstring Aside = Target + L".new";
        if (!WriteNewFile(Aside, Content)) {
            return false;
        }
        if (!MoveFileExW(Aside.c_str(), Target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
            DeleteFileW(Aside.c_str());
            return false;
        }
        return true;
    }

    std::vector<TString> AddFontResource(const TString& FileName) override
    {
        TBytes Content;
        if (FileName.find(u'\0') != TString::npos || !ReadFontFile(FileName, Content)) {
            return {};
        }
        if (AddFontResourceExW(WideOf(FileName).c_str(), FR_PRIVATE, nullptr) == 0) {
            return {};
        }
        return FamiliesOf(Content);
    }
};
TPrivateFonts PrivateFonts;
TServiceSlot<IFontService> Slot(PrivateFonts);
}

IFontService& FontService()
{
    return Slot.Get();
}
void SetFontService(IFontService* Service)
{
    Slot.Set(Service);
}
